#include "browse/widgets/memberbrowsewindow.h"

#include "browse/list/browserefresh.h"
#include "browse/list/locationcolumns.h"
#include "browse/widgets/listwindowcontrols.h"
#include "browse/widgets/stateicons.h"
#include "platform/inifile.h"
#include "platform/launcher.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace pk {

MemberBrowseWindow::MemberBrowseWindow(LocationBrowseWindow::Environment environment,
                                       MemberRows::Kind kind,
                                       QWidget *parent)
    : QWidget(parent)
    , m_env(std::move(environment))
    , m_kind(kind)
{
    setObjectName(section());
    setAttribute(Qt::WA_DeleteOnClose);
    m_browse = std::make_unique<MemberBrowse>(m_env.collection,
                                              m_env.ui,
                                              m_env.errors,
                                              ListWindowControls::launcherOrOwn(m_env.launcher,
                                                                                m_env.ui,
                                                                                m_ownLauncher),
                                              ListWindowControls::withDesktopHooks(m_env.hooks),
                                              kind);
    m_browse->model().setStateIcon(
        [](int validated) { return QVariant(StateIcons::forValidated(validated)); });
    setWindowTitle(m_browse->title());

    buildWindow();
    buildPopup();

    connect(m_browse.get(), &MemberBrowse::refreshed, this, &MemberBrowseWindow::updateState);
    connect(m_browse.get(), &MemberBrowse::queryChanged, this, &MemberBrowseWindow::updateState);
    connect(&m_browse->model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const QModelIndex current = m_table->currentIndex();
        m_highlighted
            = current.isValid()
                  ? m_browse->model().data(current, MemberListModel::MemberRowIdRole).toLongLong()
                  : 0;
    });
    connect(&m_browse->model(), &QAbstractItemModel::modelReset, this, [this] {
        const int row = m_highlighted > 0 ? m_browse->rows().rowOfMember(m_highlighted) : -1;
        selectRow(std::max(row, 0));
    });
    connect(&BrowseRefresh::instance(),
            &BrowseRefresh::refreshRequested,
            this,
            &MemberBrowseWindow::refresh);
    m_browse->refresh();
}

MemberBrowseWindow::~MemberBrowseWindow() = default;

QString MemberBrowseWindow::section() const
{
    return QString::fromLatin1(m_kind == MemberRows::Kind::Details ? Procedure::BrowseDetails
                                                                   : Procedure::BrowseKeywords);
}

ListWindowControls::Commands MemberBrowseWindow::commands()
{
    return {m_browse->commands(),
            [this] { return currentRow(); },
            [this] { runQuery(); },
            [this] { m_browse->resetQuery(); }};
}

void MemberBrowseWindow::buildWindow()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    QComboBox *sendTypes = nullptr;
    layout->addLayout(ListWindowControls::toolRow(this, commands(), m_resetWidgets, sendTypes));
    layout->addWidget(new QLabel(QStringLiteral("Click on the column headings to change the order "
                                                "of displayed records.  Right-click for more "
                                                "options."),
                                 this));
    buildTabsAndLocator(layout);
    buildTable(layout);
    ListWindowControls::addFindShortcuts(
        this, [this] { find(); }, [this] { findAgain(); });
    layout->addLayout(ListWindowControls::commandRow(this, commands(), m_resetWidgets));
    layout->addLayout(ListWindowControls::recordRow(this, commands(), [this] {
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->close();
        else
            close();
    }));
    resize(860, 560);
}

void MemberBrowseWindow::buildTabsAndLocator(QVBoxLayout *layout)
{
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("sortTabs"));
    m_tabs->setExpanding(false);
    for (const QString &tab : MemberBrowse::tabs())
        m_tabs->addTab(tab);
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int tab) {
        m_table->horizontalHeader()->setSortIndicatorShown(false);
        m_browse->setTab(tab);
    });
    if (m_browse->kind() != MemberRows::Kind::Keywords)
        return;
    auto *locateBox = new QGroupBox(QStringLiteral("Locate"), this);
    auto *locateLayout = new QHBoxLayout(locateBox);
    locateLayout->setContentsMargins(6, 2, 6, 4);
    m_locator = new QLineEdit(locateBox);
    m_locator->setObjectName(QStringLiteral("locator"));
    m_locator->setAccessibleName(QStringLiteral("Locate"));
    m_locator->setToolTip(QStringLiteral("Location of site"));
    locateLayout->addWidget(m_locator);
    layout->addWidget(locateBox);
    connect(m_locator, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_table->horizontalHeader()->setSortIndicatorShown(false);
        selectRow(m_browse->locate(text));
    });
}

void MemberBrowseWindow::buildTable(QVBoxLayout *layout)
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("memberList"));
    m_table->setModel(&m_browse->model());
    ListWindowControls::setUpTable(m_table);
    const MemberRows &rows = m_browse->rows();
    for (int c = 0; c < rows.columnCount(); ++c) {
        const int location = rows.locationColumn(c);
        const int units = location < 0 ? MemberRows::memberColumn(rows.kind(), c).width
                                       : LocationColumns::column(location).width;
        // Room for the heading beside the sort arrow, whatever the units say.
        const int heading = m_table->horizontalHeader()->fontMetrics().horizontalAdvance(
                                rows.heading(c))
                            + 28;
        m_table->setColumnWidth(
            c,
            std::max(LocationBrowseWindow::dialogUnitsToPixels(units, m_table->fontMetrics()),
                     heading));
    }
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        QHeaderView *header = m_table->horizontalHeader();
        const bool descending = header->isSortIndicatorShown()
                                && header->sortIndicatorSection() == column
                                && header->sortIndicatorOrder() == Qt::AscendingOrder;
        header->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        header->setSortIndicatorShown(true);
        m_browse->sortByColumn(column, descending);
    });
    layout->addWidget(m_table, 1);
}

void MemberBrowseWindow::buildPopup()
{
    m_popup = ListWindowControls::popupMenu(this, commands(), m_resetActions);
    ListWindowControls::connectMouse(
        m_table,
        m_popup,
        [this](int row) { selectRow(row); },
        [this](int row) { m_browse->commands().doubleClick(row); });
}

int MemberBrowseWindow::currentRow() const
{
    return ListWindowControls::currentRow(m_table);
}

void MemberBrowseWindow::selectRow(int row)
{
    ListWindowControls::selectRow(m_table, row);
}

void MemberBrowseWindow::updateState()
{
    ListWindowControls::enableReset(m_resetWidgets, m_resetActions, m_browse->hasQuery());
}

void MemberBrowseWindow::refresh()
{
    m_browse->refresh();
}

void MemberBrowseWindow::runQuery()
{
    ListWindowControls::runQuery(this, m_env.queryWizard, *m_browse, m_table);
}

void MemberBrowseWindow::find()
{
    ListWindowControls::find(this, m_env.findDialog, *m_browse, m_table);
}

void MemberBrowseWindow::findAgain()
{
    ListWindowControls::findAgain(*m_browse, m_table);
}

void MemberBrowseWindow::savePosition()
{
    if (!m_env.positionIni)
        return;
    // The frame keeps the window's place under the same section.
    IniFile &ini = *m_env.positionIni;
    ini.setValue(section(),
                 QString::fromLatin1(LayoutKey),
                 QString::fromLatin1(m_table->horizontalHeader()->saveState().toBase64()));
    ini.save();
}

void MemberBrowseWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_restored || !m_env.positionIni)
        return;
    m_restored = true;
    const QString saved = m_env.positionIni->value(section(), QString::fromLatin1(LayoutKey));
    if (!saved.isEmpty())
        m_table->horizontalHeader()->restoreState(QByteArray::fromBase64(saved.toLatin1()));
    m_table->horizontalHeader()->setSortIndicatorShown(false);
    m_table->setFocus();
}

void MemberBrowseWindow::closeEvent(QCloseEvent *event)
{
    savePosition();
    QWidget::closeEvent(event);
}

} // namespace pk
