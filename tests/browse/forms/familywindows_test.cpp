#include "browse/forms/widgets/categorytable.h"
#include "browse/forms/widgets/splitbrowsewindow.h"
#include "browse/list/locationcolumns.h"
#include "browse/widgets/memberbrowsewindow.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/inifile.h"
#include "platform/launcher.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "support/recordingstarter.h"
#include "support/tempcollection.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTableView>
#include <QTest>

using namespace pk;
using namespace Qt::StringLiterals;

/// The split category/location window and the keyword list, on the offscreen platform.
class FamilyWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void splitFollowsTheCategoryHighlight();
    void splitStartsNewLocationsInTheCategoryAndKeepsLocationsOfADeletedOne();
    void keywordWindowShowsOneRowPerKeywordWithoutRemovalCommands();

private:
    LocationBrowseWindow::Environment environment();
    QStringList shownDescriptions(LocationBrowseWindow *w);

    std::unique_ptr<test::TempCollection> m_temp;
    std::unique_ptr<Collection> m_collection;
    std::unique_ptr<ScriptedUserInterface> m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<Launcher> m_launcher;
    std::unique_ptr<IniFile> m_ini;
    std::unique_ptr<test::RecordingStarter> m_starter;
    QWidget *m_window = nullptr;
};

void FamilyWindowsTest::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_temp = std::make_unique<test::TempCollection>();
    QDir().mkpath(m_temp->folder());
    m_collection = std::make_unique<Collection>(m_temp->folder());
    QVERIFY(m_collection->openAll(true).ok());
    for (const char *name : {"Music", "News", "Tools"})
        QVERIFY(m_collection->categories().insert({QString::fromLatin1(name), 0, {}}).ok());
    const QList<QStringList> rows{{u"http://n1/"_s, u"Paper"_s, u"News"_s},
                                  {u"http://n2/"_s, u"Radio"_s, u"News"_s},
                                  {u"http://t1/"_s, u"Hammer"_s, u"Tools"_s}};
    for (const QStringList &r : rows) {
        LocationRecord l;
        l.Location = r[0];
        l.Description = r[1];
        l.Category = r[2];
        QVERIFY(m_collection->locations().insert(l).ok());
    }
    for (const char *k : {"daily", "print", "press"}) {
        KeywordRecord kw;
        kw.Location = u"http://n1/"_s;
        kw.Keyword = QString::fromLatin1(k);
        QVERIFY(m_collection->keywords().insert(kw).ok());
    }
    m_ui = std::make_unique<ScriptedUserInterface>();
    m_errors = std::make_unique<ErrorManager>(*m_ui);
    m_launcher = std::make_unique<Launcher>(
        *m_ui,
        [](const QString &, const QString &, const QString &) { return Launcher::Success; },
        [](const QString &, const QStringList &, const QString &) { return true; });
    m_ini = std::make_unique<IniFile>(m_temp->root() + u"/POSITION.INI"_s);
    m_ini->load();
    m_starter = std::make_unique<test::RecordingStarter>(m_errors.get());
}

void FamilyWindowsTest::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_collection.reset();
    m_temp.reset();
}

LocationBrowseWindow::Environment FamilyWindowsTest::environment()
{
    LocationBrowse::Hooks hooks;
    hooks.starter = m_starter.get();
    return {*m_collection, *m_ui, *m_errors, hooks, {}, {}, m_ini.get(), m_launcher.get()};
}

QStringList FamilyWindowsTest::shownDescriptions(LocationBrowseWindow *w)
{
    QStringList out;
    QAbstractItemModel *model = w->table()->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, LocationColumns::Description).data().toString();
    return out;
}

void FamilyWindowsTest::splitFollowsTheCategoryHighlight()
{
    FormsContext context{*m_collection, *m_ui, *m_errors, m_ini.get(), m_starter.get(), {}, {}};
    auto *split = new SplitBrowseWindow(context, environment());
    m_window = split;
    split->show();
    QVERIFY(QTest::qWaitForWindowExposed(split));
    QCOMPARE(split->windowTitle(), u"Browse Locations by Category"_s);

    LocationBrowseWindow *locations = split->locations();
    QVERIFY(!locations->tabs()->isVisible());
    QVERIFY(locations->table()->isColumnHidden(LocationColumns::Category));
    QHeaderView *header = locations->table()->horizontalHeader();
    QVERIFY(header->visualIndex(LocationColumns::LastValidated)
            < header->visualIndex(LocationColumns::LastVisit));
    auto *box = qobject_cast<QGroupBox *>(locations->locator()->parentWidget());
    QVERIFY(box);
    QCOMPARE(box->title(), u"Locate Description"_s);

    // "Music" first: no locations.
    QCOMPARE(split->categoryTable()->currentRow(), 0);
    QVERIFY(shownDescriptions(locations).isEmpty());
    split->selectCategory(1);
    QCOMPARE(shownDescriptions(locations), (QStringList{u"Paper"_s, u"Radio"_s}));
    // The locator finds a description within the category.
    locations->locator()->setFocus();
    QTest::keyClicks(locations->locator(), u"r"_s);
    QCOMPARE(locations->currentRow(), 1);
    // Moving the highlight with the keyboard refills the list as well.
    split->categoryTable()->table()->setFocus();
    QTest::keyClick(split->categoryTable()->table(), Qt::Key_Down);
    QCOMPARE(shownDescriptions(locations), QStringList{u"Hammer"_s});

    // "Close" closes the whole window, not only its location side.
    auto *close = locations->findChild<QPushButton *>(u"closeButton"_s);
    QVERIFY(close);
    close->click();
    QVERIFY(!split->isVisible());
    m_window = nullptr; // deleted on close
    QTest::qWait(0);
}

void FamilyWindowsTest::splitStartsNewLocationsInTheCategoryAndKeepsLocationsOfADeletedOne()
{
    FormsContext context{*m_collection, *m_ui, *m_errors, m_ini.get(), m_starter.get(), {}, {}};
    auto *split = new SplitBrowseWindow(context, environment());
    m_window = split;
    split->selectCategory(1);
    auto *insert = split->locations()->findChild<QPushButton *>(u"insertButton"_s);
    QVERIFY(insert);
    insert->click();
    QCOMPARE(m_starter->calls.size(), std::size_t(1));
    QVERIFY(m_starter->calls[0].as<LocationFormRequest>());
    QCOMPARE(m_starter->calls[0].as<LocationFormRequest>()->category, u"News"_s);

    // Delete "News" from the left list: its locations stay.
    auto *remove = split->findChild<QPushButton *>(u"categorydelete"_s);
    QVERIFY(remove);
    m_ui->push(true);
    remove->click();
    QVERIFY(!m_collection->categories().exists(u"News"_s));
    QCOMPARE(m_collection->locations().count(), 3);
    QCOMPARE(split->categories().count(), 2);
    // The highlight moved on, and the list shows that category's locations.
    const QString shownCategory
        = split->categories().rowAt(split->categoryTable()->currentRow())->record.Category;
    QCOMPARE(split->locations()->browse().categoryScope(), shownCategory);
}

void FamilyWindowsTest::keywordWindowShowsOneRowPerKeywordWithoutRemovalCommands()
{
    auto *w = new MemberBrowseWindow(environment(), MemberRows::Kind::Keywords);
    m_window = w;
    QCOMPARE(w->windowTitle(), u"Keywords and Locations"_s);
    QAbstractItemModel *model = w->table()->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), u"Keyword"_s);
    for (int r = 0; r < 3; ++r)
        QCOMPARE(model->index(r, 1 + LocationColumns::Description).data().toString(), u"Paper"_s);
    QVERIFY(!w->findChild<QPushButton *>(u"removeDisplayedButton"_s));
    for (QAction *a : w->popupMenu()->actions())
        QVERIFY(!a->text().startsWith(u"Remove"_s));
    // Edit opens the form on the row's location.
    w->selectRow(2);
    w->findChild<QPushButton *>(u"changeButton"_s)->click();
    const auto *form = m_starter->calls.back().as<LocationFormRequest>();
    QVERIFY(form);
    QCOMPARE(form->action, FormRequest::Change);
    QCOMPARE(form->location, u"http://n1/"_s);
}

QTEST_MAIN(FamilyWindowsTest)
#include "familywindows_test.moc"
