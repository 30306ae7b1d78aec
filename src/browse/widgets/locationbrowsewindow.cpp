#include "browse/widgets/locationbrowsewindow.h"

#include "browse/list/browserefresh.h"
#include "browse/list/locationcolumns.h"
#include "browse/list/sorttab.h"
#include "browse/widgets/listwindowcontrols.h"
#include "browse/widgets/stateicons.h"
#include "framework/errormanager.h"
#include "platform/inifile.h"
#include "platform/launcher.h"
#include "shell/windowposition.h"
#include "store/picture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace pk {

namespace {

/// How often an open list looks for changes other programs made to the collection.
constexpr int kChangeWatchMs = 1000;

/// The list view: drops of shortcut files go to the window, drags carry the address.
class LocationTable final : public QTableView
{
public:
    using QTableView::QTableView;
    std::function<void(const QStringList &)> onDrop;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (event->source() != this && event->mimeData()->hasUrls())
            event->acceptProposedAction();
        else
            QTableView::dragEnterEvent(event);
    }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        if (event->source() != this && event->mimeData()->hasUrls())
            event->acceptProposedAction();
        else
            QTableView::dragMoveEvent(event);
    }
    void dropEvent(QDropEvent *event) override
    {
        if (event->source() == this || !event->mimeData()->hasUrls()) {
            event->ignore();
            return;
        }
        QStringList files;
        for (const QUrl &url : event->mimeData()->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
        event->acceptProposedAction();
        if (onDrop && !files.isEmpty())
            onDrop(files);
    }
};

} // namespace

int LocationBrowseWindow::dialogUnitsToPixels(int units, const QFontMetrics &metrics)
{
    // A horizontal dialog unit is a quarter of the font's average character width.
    static const QString alphabet = QStringLiteral(
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    return (units * average + 2) / 4;
}

LocationBrowseWindow::LocationBrowseWindow(Environment environment, QWidget *parent)
    : QWidget(parent)
    , m_env(std::move(environment))
{
    setObjectName(QLatin1String(m_env.layout.section));
    setAttribute(Qt::WA_DeleteOnClose);
    m_browse = std::make_unique<LocationBrowse>(m_env.collection,
                                                m_env.ui,
                                                m_env.errors,
                                                ListWindowControls::launcherOrOwn(m_env.launcher,
                                                                                  m_env.ui,
                                                                                  m_ownLauncher),
                                                ListWindowControls::withDesktopHooks(m_env.hooks));
    m_browse->model().setStateIcon(
        [](int validated) { return QVariant(StateIcons::forValidated(validated)); });

    buildWindow();
    buildPopup();
    restoreLayout();

    connect(m_browse.get(), &LocationBrowse::refreshed, this, &LocationBrowseWindow::updateState);
    // Whatever reads the list again keeps the highlighted location highlighted.
    connect(&m_browse->model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const QModelIndex current = m_table->currentIndex();
        m_highlighted
            = current.isValid()
                  ? m_browse->model().data(current, LocationListModel::RowIdRole).toLongLong()
                  : 0;
        m_highlightedRow = current.isValid() ? current.row() : -1;
        const int top = m_table->rowAt(0);
        m_rowsAbove = current.isValid() && top >= 0 ? std::max(current.row() - top, 0) : 0;
    });
    connect(&m_browse->model(), &QAbstractItemModel::modelReset, this, [this] {
        // A new order starts at its top: looking for the old row there costs a count of the
        // whole order for nothing.
        if (m_newOrder)
            return;
        // A long list knows where the location went once its order's places are read: the
        // highlight keeps its row meanwhile and follows the location then.
        m_highlightPending = m_highlighted > 0 && m_browse->model().pager().placesPending();
        keepHighlight();
    });
    connect(&m_browse->model(), &LocationListModel::orderReady, this, [this] {
        m_table->viewport()->unsetCursor();
        if (m_pendingLocate) {
            locate(*std::exchange(m_pendingLocate, std::nullopt));
        } else if (m_highlightPending) {
            m_highlightPending = false;
            keepHighlight();
        }
    });
    connect(m_browse.get(), &LocationBrowse::queryChanged, this, &LocationBrowseWindow::updateState);
    connect(&BrowseRefresh::instance(),
            &BrowseRefresh::refreshRequested,
            this,
            &LocationBrowseWindow::refresh);

    // Another program writing the collection: the list shows it at its next look, which is
    // cheap (one counter per file), and at once when the window becomes active.
    m_changeWatch = new QTimer(this);
    m_changeWatch->setInterval(kChangeWatchMs);
    connect(m_changeWatch, &QTimer::timeout, this, &LocationBrowseWindow::refreshIfChangedElsewhere);

    m_browse->refresh();
    selectRow(0);
}

LocationBrowseWindow::~LocationBrowseWindow() = default;

void LocationBrowseWindow::refreshIfChangedElsewhere()
{
    // While another program writes without pause, reading a long list again after each of its
    // commits would keep the window busy: the look waits ten times as long as the last read took.
    if (m_sinceRefresh.isValid() && m_sinceRefresh.elapsed() < 10 * m_lastRefreshMs)
        return;
    // Every open list reads again (categories too), each keeping its place.
    if (isVisible() && !QApplication::activeModalWidget() && m_browse->changedElsewhere())
        BrowseRefresh::instance().request();
}

bool LocationBrowseWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        m_sinceRefresh.invalidate(); // the user looks now
        refreshIfChangedElsewhere();
    }
    return QWidget::event(event);
}

ListWindowControls::Commands LocationBrowseWindow::commands()
{
    return {*m_browse,
            [this] { return currentRow(); },
            [this] { runQuery(); },
            [this] { m_browse->resetQuery(); }};
}

void LocationBrowseWindow::buildWindow()
{
    // The controls sit in a scroll area: a window tiled smaller than its buttons scrolls
    // instead of cutting them off.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("contentScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    outer->addWidget(scroll);
    auto *content = new QWidget(scroll);
    m_content = content;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 6);

    layout->addLayout(ListWindowControls::toolRow(this, commands(), m_resetWidgets, m_sendTypes));
    buildTabsAndLocator(layout);
    buildTable(layout);
    addShortcuts();
    buildButtonRows(layout);
    scroll->setWidget(content);

    setAcceptDrops(false);
    setMinimumSize(240, 160);
    resize(860, 560);
}

void LocationBrowseWindow::buildTabsAndLocator(QVBoxLayout *layout)
{
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("sortTabs"));
    for (const SortTab &tab : SortTab::tabs())
        m_tabs->addTab(QString::fromLatin1(tab.title));
    layout->addWidget(m_tabs);
    m_tabs->setVisible(m_env.layout.sortTabs);
    auto *locateBox = new QGroupBox(m_env.layout.locatorTitle, this);
    auto *locateLayout = new QHBoxLayout(locateBox);
    locateLayout->setContentsMargins(6, 2, 6, 4);
    m_locator = new QLineEdit(locateBox);
    m_locator->setObjectName(QStringLiteral("locator"));
    m_locator->setAccessibleName(QString(m_env.layout.locatorTitle).remove(QLatin1Char('&')));
    m_locator->setToolTip(m_env.layout.locatorTip.isEmpty()
                              ? QString::fromLatin1(SortTab::tabs()[0].locatorTip)
                              : m_env.layout.locatorTip);
    locateLayout->addWidget(m_locator);
    layout->addWidget(locateBox);
    connect(m_tabs, &QTabBar::currentChanged, this, &LocationBrowseWindow::setTab);
    // Clicking the tab already chosen after a heading sort returns to the tab's order too.
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int tab) {
        if (tab >= 0 && tab == m_tabs->currentIndex() && m_browse->sortColumn() >= 0)
            setTab(tab);
    });
    connect(m_locator, &QLineEdit::textEdited, this, &LocationBrowseWindow::locate);
}

void LocationBrowseWindow::buildTable(QVBoxLayout *layout)
{
    auto *table = new LocationTable(this);
    m_table = table;
    m_table->setObjectName(QStringLiteral("locationList"));
    m_table->setModel(&m_browse->model());
    ListWindowControls::setUpTable(m_table);
    m_table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setSortIndicatorShown(false);
    m_table->setDragEnabled(true);
    m_table->setAcceptDrops(true);
    m_table->setDragDropMode(QAbstractItemView::DragDrop);
    m_table->setDefaultDropAction(Qt::CopyAction);
    table->onDrop = [this](const QStringList &files) { m_browse->dropFiles(files); };
    for (int c = 0; c < LocationColumns::Count; ++c)
        m_table->setColumnWidth(c,
                                dialogUnitsToPixels(LocationColumns::column(c).width,
                                                    m_table->fontMetrics()));
    m_table->setColumnWidth(LocationColumns::State,
                            std::max(m_table->columnWidth(LocationColumns::State), 20));
    fitColumnsToTexts();
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        // The header has turned its own indicator round before this runs: the list keeps the
        // order, and the indicator only shows it.
        m_newOrder = true;
        m_browse->clickHeading(column);
        m_newOrder = false;
        QHeaderView *header = m_table->horizontalHeader();
        header->setSortIndicator(m_browse->sortColumn(),
                                 m_browse->sortDescending() ? Qt::DescendingOrder
                                                            : Qt::AscendingOrder);
        header->setSortIndicatorShown(true);
        selectRow(0);
        // A column without an index shows its rows once they are sorted, off this thread.
        if (m_browse->model().pager().orderPending())
            m_table->viewport()->setCursor(Qt::BusyCursor);
    });
    layout->addWidget(m_table, 1);
}

void LocationBrowseWindow::addShortcuts()
{
    ListWindowControls::addFindShortcuts(
        this, [this] { find(); }, [this] { findAgain(); });
    // Ctrl+Tab and Ctrl+PgDn step through the sort tabs, Ctrl+Shift+Tab and Ctrl+PgUp back.
    // The context keeps them to this window, so another open list is never moved.
    auto stepTabs = [this](const QList<QKeySequence> &keys, int step) {
        auto *shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, step] {
            const int count = m_tabs->count();
            m_tabs->setCurrentIndex((m_tabs->currentIndex() + step + count) % count);
        });
    };
    stepTabs({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1);
    stepTabs({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
              QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
             -1);
    auto *deleteShortcut = new QShortcut(QKeySequence(Qt::Key_Delete), m_table);
    deleteShortcut->setContext(Qt::WidgetShortcut);
    connect(deleteShortcut, &QShortcut::activated, this, [this] { m_browse->remove(currentRow()); });
    auto *insertShortcut = new QShortcut(QKeySequence(Qt::Key_Insert), m_table);
    insertShortcut->setContext(Qt::WidgetShortcut);
    connect(insertShortcut, &QShortcut::activated, this, [this] { m_browse->insert(); });
}

void LocationBrowseWindow::buildButtonRows(QVBoxLayout *layout)
{
    QHBoxLayout *row1 = ListWindowControls::commandRow(this, commands(), m_resetWidgets);
    row1->addWidget(ListWindowControls::button(this,
                                               QStringLiteral("Remove displayed entries"),
                                               QString(),
                                               "removeDisplayedButton",
                                               [this] { m_browse->removeDisplayed(); }));
    row1->addWidget(ListWindowControls::button(this,
                                               QStringLiteral("Remove invalid links"),
                                               QString(),
                                               "removeInvalidButton",
                                               [this] { m_browse->removeInvalid(); }));
    layout->addLayout(row1);
    layout->addLayout(ListWindowControls::recordRow(this, commands(), [this] {
        QWidget *target = m_env.layout.embedded ? window() : this;
        if (auto *sub = qobject_cast<QMdiSubWindow *>(target->parentWidget()))
            sub->close();
        else
            target->close();
    }));
}

QSize LocationBrowseWindow::sizeHint() const
{
    return m_content ? m_content->sizeHint().expandedTo(QSize(860, 560)) : QWidget::sizeHint();
}

void LocationBrowseWindow::fitColumnsToTexts()
{
    // Each heading keeps room beside the sort arrow, and a date column shows a whole date in
    // this locale's short form (the widest of every month), not "15 Dec 20...".
    QHeaderView *header = m_table->horizontalHeader();
    QStyle *style = header->style();
    const int margin = style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int arrow = style->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
    const QFontMetrics headings(header->font());
    const QFontMetrics cells(m_table->font());
    const int cellPadding = 2 * style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_table)
                            + 8;
    int widestDate = 0;
    LocationRecord sample;
    for (int month = 1; month <= 12; ++month) {
        sample.LastVisit = DayNumber::fromDate(QDate(2000, month, 28));
        widestDate = std::max(widestDate,
                              cells.horizontalAdvance(
                                  LocationColumns::display(sample, LocationColumns::LastVisit)));
    }
    for (int c = LocationColumns::Description; c < LocationColumns::Count; ++c) {
        const QString heading = QString::fromUtf8(LocationColumns::column(c).heading);
        int width = headings.horizontalAdvance(heading) + arrow + 4 * margin;
        if (c == LocationColumns::LastVisit || c == LocationColumns::LastValidated)
            width = std::max(width, widestDate + cellPadding);
        m_table->setColumnWidth(c, std::max(m_table->columnWidth(c), width));
    }
}

void LocationBrowseWindow::buildPopup()
{
    // The list's own entries first.
    m_popup = ListWindowControls::popupMenu(this, commands(), m_resetActions);
    const auto add = [this](const QString &text, const std::function<void()> &command) {
        return ListWindowControls::addPopupEntry(m_popup, text, command);
    };
    m_popup->addSeparator();
    add(QStringLiteral("Remove invalid links"), [this] { m_browse->removeInvalid(); });
    add(QStringLiteral("Remove displayed entries"), [this] { m_browse->removeDisplayed(); });
    m_popup->addSeparator();
    add(QStringLiteral("Query"), [this] { runQuery(); });
    m_resetActions << add(QStringLiteral("Reset"), [this] { m_browse->resetQuery(); });
    ListWindowControls::connectMouse(
        m_table,
        m_popup,
        [this](int row) { selectRow(row); },
        [this](int row) { m_browse->doubleClick(row); });
}

int LocationBrowseWindow::currentRow() const
{
    return ListWindowControls::currentRow(m_table);
}

void LocationBrowseWindow::locate(const QString &text)
{
    m_newOrder = true;
    const std::optional<int> row = m_browse->tryLocate(text);
    m_newOrder = false;
    // A long list finds the place once its order's places are read; typing goes on meanwhile.
    m_pendingLocate = row ? std::nullopt : std::optional<QString>(text);
    if (row)
        selectRow(*row);
    // The locator goes back to the tab's order.
    if (m_browse->sortColumn() < 0)
        m_table->horizontalHeader()->setSortIndicatorShown(false);
}

void LocationBrowseWindow::keepHighlight()
{
    const qint64 found = m_highlighted > 0 && !m_highlightPending
                             ? m_browse->model().pager().rowOfRowId(m_highlighted)
                             : -1;
    // A location gone meanwhile leaves the highlight at its place.
    const int count = m_browse->model().rowCount();
    const int row = found >= 0 ? int(found)
                               : std::clamp(m_highlightedRow, 0, std::max(count - 1, 0));
    selectRow(row);
    // The highlighted row keeps its height in the window: the list does not jump.
    if (m_highlightedRow >= 0)
        m_table->verticalScrollBar()->setValue(std::max(row - m_rowsAbove, 0));
}

void LocationBrowseWindow::selectRow(int row)
{
    ListWindowControls::selectRow(m_table, row);
}

void LocationBrowseWindow::updateState()
{
    setWindowTitle(m_browse->title());
    ListWindowControls::enableReset(m_resetWidgets, m_resetActions, m_browse->hasQuery());
}

void LocationBrowseWindow::refresh()
{
    QElapsedTimer took;
    took.start();
    m_browse->refresh();
    m_lastRefreshMs = took.elapsed();
    m_sinceRefresh.start();
}

void LocationBrowseWindow::setTab(int tab)
{
    m_table->horizontalHeader()->setSortIndicatorShown(false);
    m_locator->setToolTip(QString::fromLatin1(SortTab::tabs()[std::size_t(tab)].locatorTip));
    m_newOrder = true;
    m_browse->setTab(tab);
    m_newOrder = false;
    const QString typed = m_locator->text();
    if (typed.isEmpty())
        selectRow(0);
    else
        locate(typed);
}

void LocationBrowseWindow::runQuery()
{
    ListWindowControls::runQuery(this, m_env.queryWizard, *m_browse, m_table);
}

void LocationBrowseWindow::find()
{
    ListWindowControls::find(this, m_env.findDialog, *m_browse, m_table);
}

void LocationBrowseWindow::findAgain()
{
    ListWindowControls::findAgain(*m_browse, m_table);
}

void LocationBrowseWindow::restoreLayout()
{
    // A saved layout holds the columns' places and hidden state already.
    if (m_env.positionIni && restoreColumns())
        return;
    QHeaderView *header = m_table->horizontalHeader();
    for (int column : std::as_const(m_env.layout.hiddenColumns))
        header->setSectionHidden(column, true);
    for (const auto &[a, b] : std::as_const(m_env.layout.swappedColumns))
        header->swapSections(header->visualIndex(a), header->visualIndex(b));
}

bool LocationBrowseWindow::restoreColumns()
{
    IniFile &ini = *m_env.positionIni;
    const QString section = QString::fromLatin1(m_env.layout.section);
    const QString builtIn = LocationColumns::builtInFormat();
    if (ini.value(section, QString::fromLatin1(OriginalLayoutKey)) != builtIn) {
        // A new column set: forget the user's old layout.
        ini.setValue(section, QString::fromLatin1(OriginalLayoutKey), builtIn);
        ini.remove(section, QString::fromLatin1(LayoutKey));
        ini.save();
        return false;
    }
    const QString saved = ini.value(section, QString::fromLatin1(LayoutKey));
    const bool restored = !saved.isEmpty()
                          && m_table->horizontalHeader()->restoreState(
                              QByteArray::fromBase64(saved.toLatin1()));
    m_table->horizontalHeader()->setSortIndicatorShown(false);
    return restored;
}

QWidget *positionTarget(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        return sub;
    return window;
}

void LocationBrowseWindow::restorePosition()
{
    if (!m_env.positionIni || m_env.layout.embedded)
        return;
    IniFile &ini = *m_env.positionIni;
    const auto position = WindowPosition::load(ini, QString::fromLatin1(m_env.layout.section));
    if (!position)
        return;
    QWidget *target = positionTarget(this);
    if (position->geometry.isValid())
        target->setGeometry(position->geometry);
    if (position->maximized)
        target->showMaximized();
}

void LocationBrowseWindow::savePosition()
{
    if (!m_env.positionIni)
        return;
    IniFile &ini = *m_env.positionIni;
    const QString section = QString::fromLatin1(m_env.layout.section);
    if (!m_env.layout.embedded) {
        QWidget *target = positionTarget(this);
        WindowPosition position;
        position.maximized = target->isMaximized();
        position.geometry = target->isMaximized() ? target->normalGeometry() : target->geometry();
        position.store(ini, section);
    }
    ini.setValue(section, QString::fromLatin1(OriginalLayoutKey), LocationColumns::builtInFormat());
    ini.setValue(section,
                 QString::fromLatin1(LayoutKey),
                 QString::fromLatin1(m_table->horizontalHeader()->saveState().toBase64()));
    ini.save();
}

void LocationBrowseWindow::hideEvent(QHideEvent *event)
{
    m_changeWatch->stop();
    QWidget::hideEvent(event);
}

void LocationBrowseWindow::showEvent(QShowEvent *event)
{
    m_changeWatch->start();
    QWidget::showEvent(event);
    if (!m_restored) {
        m_restored = true;
        restorePosition();
        QWidget *target = positionTarget(this);
        if (target != this) {
            m_positionWatched = target;
            target->installEventFilter(this);
        }
        m_table->setFocus();
    }
}

bool LocationBrowseWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_positionWatched
        && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        // Several moves in one drag make one write.
        QTimer::singleShot(0, this, [this] { savePosition(); });
    }
    return QWidget::eventFilter(watched, event);
}

void LocationBrowseWindow::closeEvent(QCloseEvent *event)
{
    savePosition();
    QWidget::closeEvent(event);
}

} // namespace pk
