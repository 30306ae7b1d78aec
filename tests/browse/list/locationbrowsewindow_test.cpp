#include "browse/list/browserefresh.h"
#include "browse/list/locationcolumns.h"
#include "browse/widgets/locationbrowsewindow.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/inifile.h"
#include "platform/launcher.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/picture.h"
#include "support/tempcollection.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace pk;

class LocationBrowseWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsTheListWithTitleAndColumns();
    void tabsAndLocatorMoveTheHighlight();
    void headingClicksSortBothWays();
    void sendTypesChooseWhatIsCopied();
    void popupMenuListsTheCommandsInOrder();
    void controlsCarryTheirTips();
    void resetIsEnabledOnlyWithAQuery();
    void columnLayoutIsKeptInPositionIni();
    void dragCarriesTheAddress();
    void findKeysSearchTheList();
    void refreshRequestReachesEveryOpenList();
    void anotherProgramsChangesShowWithoutLosingThePlace();
    void aLongListAnswersBeforeItsOrdersPlacesAreRead();
    void keysActOnlyOnTheWindowTheyAreTypedIn();
    void datesAndHeadingsFitTheirColumns();

private:
    LocationBrowseWindow *makeWindow();
    void fill(int n);
    /// Another program adds "Site 0000 first" through its own connection.
    void addElsewhere();

    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    std::unique_ptr<ScriptedUserInterface> m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<Launcher> m_launcher;
    std::unique_ptr<IniFile> m_ini;
    QStringList m_launched;
    QString m_queryAnswer;
    QList<QWidget *> m_queryParents;
    QList<QWidget *> m_findParents;
    QString m_findAnswer;
    bool m_findNext = false;
    LocationBrowseWindow *m_window = nullptr;
};

void LocationBrowseWindowTest::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_temp = std::make_unique<test::TempCollection>();
    QDir().mkpath(m_temp->folder());
    m_collection = std::make_unique<Collection>(m_temp->folder());
    QVERIFY(m_collection->openAll(true).ok());
    for (const char *name : {"Cat0", "Cat1", "Cat2"}) {
        CategoryRecord c;
        c.Category = QString::fromLatin1(name);
        QVERIFY(m_collection->categories().insert(c).ok());
    }
    m_ui = std::make_unique<ScriptedUserInterface>();
    m_errors = std::make_unique<ErrorManager>(*m_ui);
    m_launcher = std::make_unique<Launcher>(
        *m_ui,
        [this](const QString &file, const QString &, const QString &) {
            m_launched << file;
            return Launcher::Success;
        },
        [](const QString &, const QStringList &, const QString &) { return true; });
    m_ini = std::make_unique<IniFile>(m_temp->root() + QStringLiteral("/POSITION.INI"));
    m_ini->load();
    m_launched.clear();
}

void LocationBrowseWindowTest::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_collection.reset();
    m_temp.reset();
}

void LocationBrowseWindowTest::addElsewhere()
{
    Collection other(m_temp->folder());
    QVERIFY(other.openAll(false).ok());
    LocationRecord r;
    r.Location = QStringLiteral("http://first.example/");
    r.Description = QStringLiteral("Site 0000 first");
    r.Category = QStringLiteral("Cat1");
    QVERIFY(other.locations().insert(r).ok());
}

void LocationBrowseWindowTest::fill(int n)
{
    QVERIFY(m_collection
                ->transaction([&] {
                    for (int i = 0; i < n; ++i) {
                        LocationRecord r;
                        r.Location = QStringLiteral("http://site%1.example/")
                                         .arg(i, 4, 10, QLatin1Char('0'));
                        r.Description = QStringLiteral("Site %1").arg(i, 4, 10, QLatin1Char('0'));
                        r.Category = QStringLiteral("Cat%1").arg(i % 3);
                        r.Rating = i % 11;
                        r.Keyword = QStringLiteral("kw%1").arg(i % 7);
                        r.Validated = quint8(i % 3);
                        const StoreStatus s = m_collection->locations().insert(r);
                        if (!s)
                            return s;
                    }
                    return StoreStatus::success();
                })
                .ok());
}

LocationBrowseWindow *LocationBrowseWindowTest::makeWindow()
{
    LocationBrowseWindow::Environment
        env{*m_collection, *m_ui, *m_errors, {}, {}, {}, m_ini.get(), m_launcher.get()};
    env.queryWizard = [this](QWidget *parent, const QString &) -> std::optional<QString> {
        m_queryParents << parent;
        if (m_queryAnswer.isNull())
            return std::nullopt;
        return m_queryAnswer;
    };
    env.findDialog = [this](QWidget *parent, bool &findNext) {
        m_findParents << parent;
        findNext = m_findNext;
        return m_findAnswer;
    };
    m_window = new LocationBrowseWindow(std::move(env));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->show();
    return m_window;
}

void LocationBrowseWindowTest::showsTheListWithTitleAndColumns()
{
    fill(320);
    LocationBrowseWindow *w = makeWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Browse Locations (320)"));
    QAbstractItemModel *model = w->table()->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model->columnCount(), 16);
    const QStringList headings{QString(),
                               QStringLiteral("Description"),
                               QStringLiteral("Location"),
                               QStringLiteral("Category"),
                               QStringLiteral("Rating"),
                               QStringLiteral("Keyword"),
                               QStringLiteral("Last Visit"),
                               QStringLiteral("Last Validated"),
                               QStringLiteral("Comments"),
                               QStringLiteral("User Name"),
                               QStringLiteral("Password"),
                               QStringLiteral("Custom 1"),
                               QStringLiteral("Custom 2"),
                               QStringLiteral("Custom 3"),
                               QStringLiteral("Site Info"),
                               QStringLiteral("Email Address")};
    for (int c = 0; c < 16; ++c)
        QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), headings[c]);
    QCOMPARE(model->rowCount(), 320);
    QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Site 0000"));
    QCOMPARE(model->index(0, 4).data().toString(), QString()); // rating 0 is blank
    QVERIFY(!model->index(1, 0).data(Qt::DecorationRole).isNull());
    // Site Info is the widest column, as its dialog units say.
    QVERIFY(w->table()->columnWidth(14) > w->table()->columnWidth(1));
    QCOMPARE(w->currentRow(), 0);
    // The state column is first and in view.
    QVERIFY(!w->table()->isColumnHidden(0));
    QVERIFY(w->table()->columnWidth(0) >= 16);
    QCOMPARE(w->table()->columnViewportPosition(0), 0);

    // After a change elsewhere, the refresh request updates the title.
    QVERIFY(m_collection->locations().remove(QStringLiteral("http://site0005.example/")).ok());
    w->refresh();
    QCOMPARE(w->windowTitle(), QStringLiteral("Browse Locations (319)"));
}

void LocationBrowseWindowTest::tabsAndLocatorMoveTheHighlight()
{
    fill(40);
    LocationBrowseWindow *w = makeWindow();
    QCOMPARE(w->tabs()->count(), 5);
    QCOMPARE(w->tabs()->tabText(0), QStringLiteral("Description"));
    QCOMPARE(w->locator()->toolTip(), QStringLiteral("Description of site"));
    QTest::keyClicks(w->locator(), QStringLiteral("site 0012"));
    QCOMPARE(w->currentRow(), 12);

    w->tabs()->setCurrentIndex(3);
    QCOMPARE(w->locator()->toolTip(), QStringLiteral("Rating of site"));
    w->locator()->clear();
    QTest::keyClicks(w->locator(), QStringLiteral("9"));
    const int row = w->currentRow();
    QCOMPARE(w->table()->model()->index(row, 4).data().toString(), QStringLiteral("9"));
    QCOMPARE(w->table()->model()->index(0, 4).data().toString(), QStringLiteral("10"));

    // A heading click sorts by that column; the tab brings its key back.
    w->tabs()->setCurrentIndex(1);
    w->table()->horizontalHeader()->sectionClicked(5); // Keyword
    QCOMPARE(w->table()->model()->index(0, 5).data().toString(), QStringLiteral("kw0"));
    w->tabs()->setCurrentIndex(0);
    QCOMPARE(w->table()->model()->index(0, 1).data().toString(), QStringLiteral("Site 0000"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Browse Locations (40)"));
}

void LocationBrowseWindowTest::headingClicksSortBothWays()
{
    fill(12);
    LocationBrowseWindow *w = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QHeaderView *header = w->table()->horizontalHeader();
    auto click = [&](int column) {
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    auto first = [&] { return w->table()->model()->index(0, 1).data().toString(); };
    const QString ascending = QStringLiteral("Site 0000");
    const QString descending = QStringLiteral("Site 0011");
    // Real clicks: the header turns its indicator round itself before the list hears of it.
    click(LocationColumns::Location);
    QCOMPARE(first(), ascending);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    click(LocationColumns::Location);
    QCOMPARE(first(), descending);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    click(LocationColumns::Location);
    QCOMPARE(first(), ascending);
    click(LocationColumns::Description);
    QCOMPARE(first(), ascending);
    click(LocationColumns::Description);
    QCOMPARE(first(), descending);

    // A click on the tab already chosen returns to its order.
    const int tab = w->tabs()->currentIndex();
    QTest::mouseClick(w->tabs(), Qt::LeftButton, {}, w->tabs()->tabRect(tab).center());
    QCOMPARE(first(), ascending);
    QVERIFY(!header->isSortIndicatorShown());
}

void LocationBrowseWindowTest::sendTypesChooseWhatIsCopied()
{
    fill(5);
    LocationBrowseWindow *w = makeWindow();
    QComboBox *types = w->sendTypes();
    QCOMPARE(types->count(), 6);
    const QStringList names{QStringLiteral("URL"),
                            QStringLiteral("Description"),
                            QStringLiteral("Category"),
                            QStringLiteral("Keyword"),
                            QStringLiteral("Rating"),
                            QStringLiteral("Site Information")};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(types->itemText(i), names[i]);
    QCOMPARE(types->currentText(), QStringLiteral("URL"));
    QCOMPARE(types->toolTip(),
             QStringLiteral("Select information to \ncopy to the clipboard \nor launch"));

    w->selectRow(2);
    auto *copy = w->findChild<QPushButton *>(QStringLiteral("copyButton"));
    QVERIFY(copy);
    copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("http://site0002.example/"));
    types->setCurrentIndex(1);
    copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Site 0002"));

    types->setCurrentIndex(2);
    w->findChild<QPushButton *>(QStringLiteral("launchButton"))->click();
    QCOMPARE(m_ui->messages(), QStringList{QStringLiteral("No program associated with Category.")});
    types->setCurrentIndex(0);
    w->findChild<QPushButton *>(QStringLiteral("launchButton"))->click();
    QCOMPARE(m_launched, QStringList{QStringLiteral("http://site0002.example/")});
    QCOMPARE(w->currentRow(), 2);
}

void LocationBrowseWindowTest::popupMenuListsTheCommandsInOrder()
{
    fill(3);
    LocationBrowseWindow *w = makeWindow();
    QStringList texts;
    for (QAction *a : w->popupMenu()->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    const QStringList expected{QStringLiteral("&Insert"),
                               QStringLiteral("&Change"),
                               QStringLiteral("&Delete"),
                               QStringLiteral("-"),
                               QStringLiteral("&Query"),
                               QStringLiteral("&Reset"),
                               QStringLiteral("-"),
                               QStringLiteral("Copy to clipboard (action)"),
                               QStringLiteral("Launch URL"),
                               QStringLiteral("Get current URL from browser"),
                               QStringLiteral("-"),
                               QStringLiteral("&Test"),
                               QStringLiteral("Downlo&ad"),
                               QStringLiteral("-"),
                               QStringLiteral("&Print"),
                               QStringLiteral("-"),
                               QStringLiteral("Remove invalid links"),
                               QStringLiteral("Remove displayed entries"),
                               QStringLiteral("-"),
                               QStringLiteral("Query"),
                               QStringLiteral("Reset")};
    QCOMPARE(texts, expected);

    // An entry does what its button does: Test is not registered yet.
    for (QAction *a : w->popupMenu()->actions())
        if (a->text() == QStringLiteral("&Test"))
            a->trigger();
    QCOMPARE(m_ui->messages(),
             QStringList{QStringLiteral("The Procedure RetrieveAndTest has not been defined.")});
}

void LocationBrowseWindowTest::controlsCarryTheirTips()
{
    fill(1);
    LocationBrowseWindow *w = makeWindow();
    const QList<QPair<const char *, const char *>> tips{
        {"queryTool", "Query the database (show selected records)"},
        {"resetTool", "Reset the query (show all records)"},
        {"copyTool", "Copy highlighted URL to the clipboard"},
        {"launchTool", "Launch using the default program"},
        {"downloadButton", "Download URL(s) to a local folder"},
        {"grabTool", "Get current URL from an open browser window"},
        {"copyButton",
         "Copy to the clipboard.  Use the clipboard monitor to quickly copy *FROM* the clipboard."},
        {"launchButton", "Launch using the default program"},
        {"queryButton", "View selected records"},
        {"resetButton", "View all records"},
        {"insertButton", "Add location information"},
        {"changeButton", "Change location information"},
        {"deleteButton", "Remove location information"},
        {"testButton", "Test currently highlighted URL"},
        {"printButton", "Print location information"},
        {"closeButton", "Close this window"},
    };
    for (const auto &[name, tip] : tips) {
        auto *widget = w->findChild<QWidget *>(QString::fromLatin1(name));
        QVERIFY2(widget, name);
        QCOMPARE(widget->toolTip(), QString::fromLatin1(tip));
    }
    QCOMPARE(w->findChild<QPushButton *>(QStringLiteral("removeDisplayedButton"))->text(),
             QStringLiteral("Remove displayed entries"));
    QCOMPARE(w->findChild<QPushButton *>(QStringLiteral("removeInvalidButton"))->text(),
             QStringLiteral("Remove invalid links"));
}

void LocationBrowseWindowTest::resetIsEnabledOnlyWithAQuery()
{
    fill(9);
    LocationBrowseWindow *w = makeWindow();
    auto *reset = w->findChild<QPushButton *>(QStringLiteral("resetButton"));
    QVERIFY(!reset->isEnabled());
    m_queryAnswer = QStringLiteral("URL:Category = 'Cat1'");
    w->findChild<QPushButton *>(QStringLiteral("queryButton"))->click();
    QVERIFY(reset->isEnabled());
    QCOMPARE(w->table()->model()->rowCount(), 3);
    reset->click();
    QVERIFY(!reset->isEnabled());
    QCOMPARE(w->table()->model()->rowCount(), 9);
}

void LocationBrowseWindowTest::columnLayoutIsKeptInPositionIni()
{
    fill(2);
    LocationBrowseWindow *w = makeWindow();
    QCOMPARE(m_ini->value(QStringLiteral("BrowsePATHKEEP"), QStringLiteral("SRCFOriginal?Browse:1")),
             LocationColumns::builtInFormat());
    w->table()->setColumnWidth(2, 333);
    w->table()->horizontalHeader()->moveSection(3, 1);
    w->close();
    QVERIFY(
        !m_ini->value(QStringLiteral("BrowsePATHKEEP"), QStringLiteral("SRCF?Browse:1")).isEmpty());
    delete m_window;
    m_window = nullptr;

    w = makeWindow();
    QCOMPARE(w->table()->columnWidth(2), 333);
    QCOMPARE(w->table()->horizontalHeader()->visualIndex(3), 1);
    w->close();
    delete m_window;
    m_window = nullptr;

    // A different built-in format (a new program version) resets the layout.
    m_ini->setValue(QStringLiteral("BrowsePATHKEEP"),
                    QStringLiteral("SRCFOriginal?Browse:1"),
                    QStringLiteral("old"));
    w = makeWindow();
    QVERIFY(w->table()->columnWidth(2) != 333);
    QCOMPARE(w->table()->horizontalHeader()->visualIndex(3), 3);
}

void LocationBrowseWindowTest::dragCarriesTheAddress()
{
    fill(2);
    LocationBrowseWindow *w = makeWindow();
    QAbstractItemModel *model = w->table()->model();
    std::unique_ptr<QMimeData> mime(model->mimeData({model->index(1, 2), model->index(1, 1)}));
    QVERIFY(mime);
    QCOMPARE(mime->text(), QStringLiteral("http://site0001.example/"));
    QCOMPARE(mime->urls(), QList<QUrl>{QUrl(QStringLiteral("http://site0001.example/"))});
}

void LocationBrowseWindowTest::findKeysSearchTheList()
{
    fill(30);
    LocationBrowseWindow *w = makeWindow();
    QApplication::setActiveWindow(w);
    w->table()->setFocus();
    QTest::keyClick(w->table(), Qt::Key_F3);
    QCOMPARE(m_ui->messages(), QStringList{QStringLiteral("No search criteria specified.")});

    m_findAnswer = QStringLiteral("MATCH(URL:Description,'*2?',17)");
    QTest::keyClick(w->table(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(w->currentRow(), 20);
    QTest::keyClick(w->table(), Qt::Key_F3);
    QCOMPARE(w->currentRow(), 21);
    w->selectRow(29);
    QTest::keyClick(w->table(), Qt::Key_F3);
    QCOMPARE(m_ui->interactions().last().title, QStringLiteral("Find"));
    QCOMPARE(m_ui->interactions().last().text, QStringLiteral("No more matches."));
    QCOMPARE(w->currentRow(), 29);
    // "Find Next" in the dialog starts after the highlighted row.
    w->selectRow(24);
    m_findNext = true;
    QTest::keyClick(w->table(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(w->currentRow(), 25);
}

void LocationBrowseWindowTest::refreshRequestReachesEveryOpenList()
{
    fill(4);
    LocationBrowseWindow *w = makeWindow();
    LocationBrowseWindow::Environment
        env{*m_collection, *m_ui, *m_errors, {}, {}, {}, nullptr, m_launcher.get()};
    std::unique_ptr<LocationBrowseWindow> second(new LocationBrowseWindow(std::move(env)));
    second->setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(m_collection->locations().remove(QStringLiteral("http://site0002.example/")).ok());
    BrowseRefresh::instance().request();
    BrowseRefresh::instance().request();
    QTRY_COMPARE(w->windowTitle(), QStringLiteral("Browse Locations (3)"));
    QCOMPARE(second->windowTitle(), QStringLiteral("Browse Locations (3)"));
    QCOMPARE(second->table()->model()->rowCount(), 3);
}

void LocationBrowseWindowTest::anotherProgramsChangesShowWithoutLosingThePlace()
{
    fill(500);
    LocationBrowseWindow *w = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QTest::keyClicks(w->locator(), QStringLiteral("site 0300"));
    QCOMPARE(w->currentRow(), 300);
    const int above = w->currentRow() - w->table()->rowAt(0);

    // Another program (its own connection) adds a location ahead of the highlighted one.
    addElsewhere();

    QTRY_COMPARE(w->windowTitle(), QStringLiteral("Browse Locations (501)"));
    QCOMPARE(w->currentRow(), 301);
    QCOMPARE(w->table()->model()->index(301, 1).data().toString(), QStringLiteral("Site 0300"));
    QCOMPARE(w->currentRow() - w->table()->rowAt(0), above);
}

void LocationBrowseWindowTest::aLongListAnswersBeforeItsOrdersPlacesAreRead()
{
    // As on a list of a million locations, the window goes on while the places of the order
    // are read on another thread: what waits for them happens once they are in.
    fill(2000);
    LocationBrowseWindow *w = makeWindow();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    LocationPager &pager = w->browse().model().pager();
    pager.setWaitLimit(0);
    w->tabs()->setCurrentIndex(1);
    w->tabs()->setCurrentIndex(0);
    QTest::keyClicks(w->locator(), QStringLiteral("site 1500"));
    QTRY_COMPARE(w->currentRow(), 1500);
    QCOMPARE(w->table()->model()->index(1500, 1).data().toString(), QStringLiteral("Site 1500"));
    const int above = w->currentRow() - w->table()->rowAt(0);

    // Another program adds a location ahead: the highlight follows its location.
    addElsewhere();
    QTRY_COMPARE(w->windowTitle(), QStringLiteral("Browse Locations (2001)"));
    QTRY_COMPARE(w->currentRow(), 1501);
    QCOMPARE(w->currentRow() - w->table()->rowAt(0), above);

    // A heading without an index: its rows show once sorted, and the busy look goes.
    w->table()->horizontalHeader()->sectionClicked(LocationColumns::LastVisit);
    QTRY_VERIFY(!pager.orderPending());
    QTRY_COMPARE(w->table()->viewport()->cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(w->table()->model()->index(0, 1).data().toString(), QStringLiteral("Site 0000"));
    // Equal dates keep the order of entry.
    QCOMPARE(w->table()->model()->index(1, 1).data().toString(), QStringLiteral("Site 0001"));
    QCOMPARE(w->table()->model()->index(2000, 1).data().toString(),
             QStringLiteral("Site 0000 first"));
}

void LocationBrowseWindowTest::keysActOnlyOnTheWindowTheyAreTypedIn()
{
    fill(6);
    QMdiArea area;
    LocationBrowseWindow *first = makeWindow();
    m_window = nullptr;
    LocationBrowseWindow *second = makeWindow();
    m_window = nullptr;
    QMdiSubWindow *firstSub = area.addSubWindow(first);
    area.addSubWindow(second);
    area.resize(1200, 900);
    area.show();
    QApplication::setActiveWindow(&area);
    QVERIFY(QTest::qWaitForWindowActive(&area));
    area.setActiveSubWindow(firstSub);
    first->table()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), first->table());

    // Ctrl+Tab / Ctrl+PgDn forward, Ctrl+Shift+Tab / Ctrl+PgUp back, wrapping at the ends.
    const int tabs = first->tabs()->count();
    QTest::keyClick(first->table(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(first->tabs()->currentIndex(), 1);
    QTest::keyClick(first->table(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(first->tabs()->currentIndex(), 2);
    QTest::keyClick(first->table(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(first->tabs()->currentIndex(), 1);
    QTest::keyClick(first->table(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(first->tabs()->currentIndex(), 0);
    QTest::keyClick(first->table(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(first->tabs()->currentIndex(), tabs - 1);
    // Typed in the locator, the keys still switch tabs.
    first->locator()->setFocus();
    QTest::keyClick(first->locator(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(first->tabs()->currentIndex(), 0);
    QCOMPARE(second->tabs()->currentIndex(), 0);

    // Find and the buttons' letters reach only the window typed in.
    m_findAnswer.clear();
    m_findParents.clear();
    m_queryParents.clear();
    QTest::keyClick(first->table(), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(first->table(), Qt::Key_Q, Qt::AltModifier);
    QCOMPARE(m_findParents, QList<QWidget *>{first});
    // A button's letter clicks it a moment later, as a mouse click would look.
    QTRY_COMPARE(m_queryParents, QList<QWidget *>{first});

    delete first;
    delete second;
}

void LocationBrowseWindowTest::datesAndHeadingsFitTheirColumns()
{
    fill(1);
    LocationBrowseWindow *w = makeWindow();
    QHeaderView *header = w->table()->horizontalHeader();
    const int arrow = header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header);
    for (int c = LocationColumns::Description; c < LocationColumns::Count; ++c) {
        const QString heading = QString::fromUtf8(LocationColumns::column(c).heading);
        QVERIFY2(header->sectionSize(c) >= header->fontMetrics().horizontalAdvance(heading) + arrow,
                 qPrintable(heading));
    }
    // The widest date of the year shows whole in both date columns.
    LocationRecord r;
    for (int month = 1; month <= 12; ++month) {
        r.LastVisit = DayNumber::fromDate(QDate(2025, month, 28));
        const int needed = w->table()->fontMetrics().horizontalAdvance(
            LocationColumns::display(r, LocationColumns::LastVisit));
        QVERIFY(header->sectionSize(LocationColumns::LastVisit) > needed);
        QVERIFY(header->sectionSize(LocationColumns::LastValidated) > needed);
    }
}

QTEST_MAIN(LocationBrowseWindowTest)
#include "locationbrowsewindow_test.moc"
