#include "browse/widgets/memberbrowsewindow.h"

#include "browse/list/browserefresh.h"
#include "browse/list/locationcolumns.h"
#include "browse/widgets/stateicons.h"
#include "platform/inifile.h"
#include "platform/launcher.h"

#include <QApplication>
#include <QClipboard>
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
    Launcher *launcher = m_env.launcher;
    if (!launcher) {
        m_ownLauncher = std::make_unique<Launcher>(m_env.ui);
        launcher = m_ownLauncher.get();
    }
    LocationBrowse::Hooks hooks = m_env.hooks;
    if (!hooks.setClipboard)
        hooks.setClipboard = [](const QString &text) {
            QGuiApplication::clipboard()->setText(text);
        };
    if (!hooks.setBusy)
        hooks.setBusy = [](bool on) {
            if (on)
                QApplication::setOverrideCursor(Qt::WaitCursor);
            else
                QApplication::restoreOverrideCursor();
        };
    m_browse = std::make_unique<MemberBrowse>(m_env.collection,
                                              m_env.ui,
                                              m_env.errors,
                                              *launcher,
                                              std::move(hooks),
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

QWidget *MemberBrowseWindow::command(const QString &text,
                                     const QString &tip,
                                     const char *name,
                                     const std::function<void()> &run,
                                     bool tool)
{
    QAbstractButton *b = nullptr;
    if (tool) {
        auto *t = new QToolButton(this);
        t->setAutoRaise(true);
        t->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b = t;
    } else {
        auto *p = new QPushButton(this);
        p->setAutoDefault(false);
        b = p;
    }
    b->setText(text);
    b->setToolTip(tip);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QAbstractButton::clicked, this, run);
    return b;
}

void MemberBrowseWindow::buildWindow()
{
    LocationBrowse &commands = m_browse->commands();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    auto *tools = new QHBoxLayout;
    QStyle *s = style();
    auto addTool = [&](const QString &text,
                       const QString &tip,
                       const char *name,
                       QStyle::StandardPixmap icon,
                       const std::function<void()> &run) {
        auto *b = static_cast<QToolButton *>(command(text, tip, name, run, true));
        b->setIcon(s->standardIcon(icon));
        tools->addWidget(b);
        return b;
    };
    addTool(QStringLiteral("Query"),
            QStringLiteral("Query the database (show selected records)"),
            "queryTool",
            QStyle::SP_FileDialogContentsView,
            [this] { runQuery(); });
    m_resetWidgets << addTool(QStringLiteral("Reset"),
                              QStringLiteral("Reset the query (show all records)"),
                              "resetTool",
                              QStyle::SP_DialogResetButton,
                              [this] { m_browse->resetQuery(); });
    addTool(QStringLiteral("Copy"),
            QStringLiteral("Copy highlighted URL to the clipboard"),
            "copyTool",
            QStyle::SP_FileIcon,
            [this, &commands] { commands.copyToClipboard(currentRow()); });
    addTool(QStringLiteral("Launch"),
            QStringLiteral("Launch using the default program"),
            "launchTool",
            QStyle::SP_MediaPlay,
            [this, &commands] { commands.launch(currentRow()); });
    tools->addWidget(command(QStringLiteral("Downlo&ad"),
                             QStringLiteral("Download URL(s) to a local folder"),
                             "downloadButton",
                             [this, &commands] { commands.download(currentRow()); }));
    addTool(QStringLiteral("Grab"),
            QStringLiteral("Get current URL from an open browser window"),
            "grabTool",
            QStyle::SP_ArrowDown,
            [&commands] { commands.grabFromBrowser(); });
    tools->addStretch();
    auto *actionsLabel = new QLabel(QStringLiteral("Actions"), this);
    auto *sendTypes = new QComboBox(this);
    sendTypes->setObjectName(QStringLiteral("sendTypes"));
    sendTypes->addItems(SendType::names());
    sendTypes->setToolTip(
        QStringLiteral("Select information to \ncopy to the clipboard \nor launch"));
    actionsLabel->setBuddy(sendTypes);
    connect(sendTypes, &QComboBox::currentIndexChanged, this, [&commands](int index) {
        commands.setSendType(SendType::Type(std::max(index, 0)));
    });
    tools->addWidget(actionsLabel);
    tools->addWidget(sendTypes);
    layout->addLayout(tools);

    layout->addWidget(new QLabel(QStringLiteral("Click on the column headings to change the order "
                                                "of displayed records.  Right-click for more "
                                                "options."),
                                 this));
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
    if (m_browse->kind() == MemberRows::Kind::Keywords) {
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

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("memberList"));
    m_table->setModel(&m_browse->model());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setSectionsMovable(true);
    m_table->horizontalHeader()->setSectionsClickable(true);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->setIconSize(QSize(12, 12));
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
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        m_browse->commands().doubleClick(index.row());
    });
    connect(m_table, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex index = m_table->indexAt(pos);
        if (index.isValid())
            selectRow(index.row());
        m_popup->popup(m_table->viewport()->mapToGlobal(pos));
    });
    layout->addWidget(m_table, 1);

    auto *findShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    findShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(findShortcut, &QShortcut::activated, this, &MemberBrowseWindow::find);
    auto *againShortcut = new QShortcut(QKeySequence(Qt::Key_F3), this);
    againShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(againShortcut, &QShortcut::activated, this, &MemberBrowseWindow::findAgain);

    auto *row1 = new QHBoxLayout;
    row1->addWidget(command(QStringLiteral("Copy to clipboard (action)"),
                            QStringLiteral("Copy to the clipboard.  Use the clipboard monitor to "
                                           "quickly copy *FROM* the clipboard."),
                            "copyButton",
                            [this, &commands] { commands.copyToClipboard(currentRow()); }));
    row1->addWidget(command(QStringLiteral("Launch URL"),
                            QStringLiteral("Launch using the default program"),
                            "launchButton",
                            [this, &commands] { commands.launch(currentRow()); }));
    row1->addWidget(command(QStringLiteral("&Query"),
                            QStringLiteral("View selected records"),
                            "queryButton",
                            [this] { runQuery(); }));
    QWidget *reset = command(QStringLiteral("&Reset"),
                             QStringLiteral("View all records"),
                             "resetButton",
                             [this] { m_browse->resetQuery(); });
    m_resetWidgets << reset;
    row1->addWidget(reset);
    row1->addStretch();
    layout->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    row2->addWidget(command(QStringLiteral("&New"),
                            QStringLiteral("Add location information"),
                            "insertButton",
                            [&commands] { commands.insert(); }));
    row2->addWidget(command(QStringLiteral("&Edit"),
                            QStringLiteral("Change location information"),
                            "changeButton",
                            [this, &commands] { commands.change(currentRow()); }));
    row2->addWidget(command(QStringLiteral("&Delete"),
                            QStringLiteral("Remove location information"),
                            "deleteButton",
                            [this, &commands] { commands.remove(currentRow()); }));
    row2->addWidget(command(QStringLiteral("&Test"),
                            QStringLiteral("Test currently highlighted URL"),
                            "testButton",
                            [this, &commands] { commands.test(currentRow()); }));
    row2->addWidget(command(QStringLiteral("&Print"),
                            QStringLiteral("Print location information"),
                            "printButton",
                            [&commands] { commands.print(); }));
    row2->addStretch();
    row2->addWidget(
        command(QStringLiteral("Cl&ose"), QStringLiteral("Close this window"), "closeButton", [this] {
            if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
                sub->close();
            else
                close();
        }));
    layout->addLayout(row2);
    resize(860, 560);
}

void MemberBrowseWindow::buildPopup()
{
    LocationBrowse &commands = m_browse->commands();
    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("listPopup"));
    auto add = [this](const QString &text, const std::function<void()> &run) {
        QAction *action = m_popup->addAction(text);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    add(QStringLiteral("&Insert"), [&commands] { commands.insert(); });
    add(QStringLiteral("&Change"), [this, &commands] { commands.change(currentRow()); });
    add(QStringLiteral("&Delete"), [this, &commands] { commands.remove(currentRow()); });
    m_popup->addSeparator();
    add(QStringLiteral("&Query"), [this] { runQuery(); });
    m_resetActions << add(QStringLiteral("&Reset"), [this] { m_browse->resetQuery(); });
    m_popup->addSeparator();
    add(QStringLiteral("Copy to clipboard (action)"),
        [this, &commands] { commands.copyToClipboard(currentRow()); });
    add(QStringLiteral("Launch URL"), [this, &commands] { commands.launch(currentRow()); });
    add(QStringLiteral("Get current URL from browser"), [&commands] { commands.grabFromBrowser(); });
    m_popup->addSeparator();
    add(QStringLiteral("&Test"), [this, &commands] { commands.test(currentRow()); });
    add(QStringLiteral("Downlo&ad"), [this, &commands] { commands.download(currentRow()); });
    m_popup->addSeparator();
    add(QStringLiteral("&Print"), [&commands] { commands.print(); });
}

int MemberBrowseWindow::currentRow() const
{
    const QModelIndex index = m_table->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void MemberBrowseWindow::selectRow(int row)
{
    if (row < 0 || row >= m_browse->model().rowCount())
        return;
    const QModelIndex index = m_browse->model().index(row, std::max(m_table->columnAt(0), 0));
    m_table->setCurrentIndex(index);
    m_table->selectRow(row);
    m_table->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void MemberBrowseWindow::updateState()
{
    const bool applied = m_browse->hasQuery();
    for (QWidget *w : std::as_const(m_resetWidgets))
        w->setEnabled(applied);
    for (QAction *a : std::as_const(m_resetActions))
        a->setEnabled(applied);
}

void MemberBrowseWindow::refresh()
{
    m_browse->refresh();
}

void MemberBrowseWindow::runQuery()
{
    if (!m_env.queryWizard)
        return;
    const auto expression = m_env.queryWizard(this, m_browse->query());
    if (expression && m_browse->applyQuery(*expression))
        selectRow(0);
}

void MemberBrowseWindow::find()
{
    if (!m_env.findDialog)
        return;
    bool findNext = false;
    const QString expression = m_env.findDialog(this, findNext);
    if (expression.isEmpty())
        return;
    const int row = m_browse->find(expression, !findNext, currentRow());
    if (row >= 0)
        selectRow(row);
}

void MemberBrowseWindow::findAgain()
{
    const int row = m_browse->findAgain(currentRow());
    if (row >= 0)
        selectRow(row);
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
