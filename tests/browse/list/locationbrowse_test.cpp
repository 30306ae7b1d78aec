#include "browse/list/locationbrowse.h"
#include "browse/list/locationcolumns.h"
#include "browse/list/rowcache.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/launcher.h"
#include "store/categorymanager.h"
#include "store/collation.h"
#include "store/collection.h"
#include "store/configurationmanager.h"
#include "store/locationmanager.h"
#include "store/picture.h"
#include "support/recordingstarter.h"
#include "support/strictmodeltester.h"
#include "support/tempcollection.h"

#include <QAbstractListModel>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <limits>
#include <random>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

using namespace pk;

namespace {

/// A collection with `n` locations "Site 0000".."Site n-1", category "Cat<i%3>", rating i%11.
class BrowseFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        QDir().mkpath(m_temp.folder());
        m_collection = std::make_unique<Collection>(m_temp.folder());
        ASSERT_TRUE(m_collection->openAll(true).ok());
        for (const char *name : {"Cat0", "Cat1", "Cat2"}) {
            CategoryRecord c;
            c.Category = QString::fromLatin1(name);
            ASSERT_TRUE(m_collection->categories().insert(c).ok());
        }
        m_errors = std::make_unique<ErrorManager>(m_ui);
        m_errors->setHaltHandler([](const QString &, const QString &) {});
        m_starter = std::make_unique<test::RecordingStarter>(m_errors.get());
        m_launcher = std::make_unique<Launcher>(
            m_ui,
            [this](const QString &file, const QString &params, const QString &) {
                m_launched << file + (params.isEmpty() ? QString() : QLatin1Char(' ') + params);
                return Launcher::Success;
            },
            [](const QString &, const QStringList &, const QString &) { return true; });
    }

    /// Adds locations until there are `n` (numbered on from those already there).
    void fill(int n, const std::function<void(int, LocationRecord &)> &adjust = {})
    {
        const int first = int(m_collection->locations().count());
        const StoreStatus status = m_collection->transaction([&] {
            for (int i = first; i < n; ++i) {
                LocationRecord r;
                r.Location
                    = QStringLiteral("http://site%1.example/").arg(i, 4, 10, QLatin1Char('0'));
                r.Description = QStringLiteral("Site %1").arg(i, 4, 10, QLatin1Char('0'));
                r.Category = QStringLiteral("Cat%1").arg(i % 3);
                r.Rating = i % 11;
                r.Keyword = QStringLiteral("kw%1").arg(i % 7);
                if (adjust)
                    adjust(i, r);
                const StoreStatus s = m_collection->locations().insert(r);
                if (!s)
                    return s;
            }
            return StoreStatus::success();
        });
        ASSERT_TRUE(status.ok()) << qPrintable(status.describe());
    }

    LocationBrowse &browse()
    {
        if (!m_browse) {
            LocationBrowse::Hooks hooks;
            hooks.starter = m_starter.get();
            hooks.setClipboard = [this](const QString &text) { m_clipboard = text; };
            hooks.minimiseFrame = [this] { ++m_minimised; };
            hooks.favouritesFolder = [this] { return m_favourites; };
            m_browse = std::make_unique<LocationBrowse>(*m_collection,
                                                        m_ui,
                                                        *m_errors,
                                                        *m_launcher,
                                                        hooks);
            m_browse->refresh();
        }
        return *m_browse;
    }

    QString description(int row) { return browse().model().rowAt(row)->record.Description; }

    test::TempCollection m_temp;
    std::unique_ptr<Collection> m_collection;
    ScriptedUserInterface m_ui;
    std::unique_ptr<ErrorManager> m_errors;
    std::unique_ptr<Launcher> m_launcher;
    std::unique_ptr<test::RecordingStarter> m_starter;
    std::unique_ptr<LocationBrowse> m_browse;
    QStringList m_launched;
    QString m_clipboard;
    QString m_favourites;
    int m_minimised = 0;
};

} // namespace

TEST(RowCache, KeepsAtMostItsCapacityDroppingTheLeastRecentlyUsed)
{
    RowCache<int> cache(100, 3);
    cache.put(0, 10);
    cache.put(1, 11);
    cache.put(2, 12);
    ASSERT_NE(cache.get(0), nullptr); // 0 is now the most recent
    cache.put(3, 13);                 // drops 1
    EXPECT_FALSE(cache.contains(1));
    EXPECT_TRUE(cache.contains(0));
    EXPECT_EQ(cache.size(), 3);
    EXPECT_EQ(cache.chunkOf(250), 2);
    EXPECT_EQ(cache.nearest(5), 3);
}

TEST_F(BrowseFixture, BelowThreeHundredTheListHoldsEveryRowFromThreeHundredItPages)
{
    fill(299);
    EXPECT_FALSE(browse().model().pager().isPaged());
    EXPECT_EQ(browse().model().rowCount(), 299);
    EXPECT_EQ(browse().title(), QStringLiteral("Browse Locations (299)"));

    LocationRecord r;
    r.Location = QStringLiteral("http://zzz.example/");
    r.Description = QStringLiteral("Site 0299");
    r.Category = QStringLiteral("Cat0");
    ASSERT_TRUE(m_collection->locations().insert(r).ok());
    browse().refresh();
    EXPECT_TRUE(browse().model().pager().isPaged());
    EXPECT_EQ(browse().model().rowCount(), 300);
    EXPECT_EQ(browse().title(), QStringLiteral("Browse Locations (300)"));
    for (int row : {0, 150, 299, 5, 298})
        EXPECT_EQ(description(row), QStringLiteral("Site %1").arg(row, 4, 10, QLatin1Char('0')));
}

TEST_F(BrowseFixture, PagedModelPassesTheModelTesterAndStaysSmallWhileScrolling)
{
    fill(5000);
    LocationListModel &model = browse().model();
    test::StrictModelTester tester(&model);
    ASSERT_TRUE(model.pager().isPaged());
    for (int row = 0; row < model.rowCount(); ++row) {
        ASSERT_EQ(model.index(row, LocationColumns::Description).data().toString(),
                  QStringLiteral("Site %1").arg(row, 4, 10, QLatin1Char('0')));
    }
    EXPECT_LE(model.pager().cachedChunks(), LocationPager::CacheChunks);
    // Backwards, and jumps far from anything held.
    for (int row = model.rowCount() - 1; row >= 0; row -= 37)
        ASSERT_EQ(description(row), QStringLiteral("Site %1").arg(row, 4, 10, QLatin1Char('0')));
    for (int row : {4000, 17, 2500, 4999, 1234})
        ASSERT_EQ(description(row), QStringLiteral("Site %1").arg(row, 4, 10, QLatin1Char('0')));
    // Rows around a located entry, read from its place, agree with their neighbours.
    browse().refresh();
    const int at = browse().locate(QStringLiteral("site 2600"));
    ASSERT_EQ(at, 2600);
    for (int row = at - 140; row < at + 300; ++row)
        ASSERT_EQ(description(row), QStringLiteral("Site %1").arg(row, 4, 10, QLatin1Char('0')));
    browse().setTab(3); // Rating: highest first
    EXPECT_EQ(browse().model().rowAt(0)->record.Rating, 10);
    EXPECT_EQ(browse().model().rowAt(4999)->record.Rating, 0);
}

namespace {

/// A list whose check state is out of range: the model tester must catch it.
class BrokenCheckStateModel final : public QAbstractListModel
{
public:
    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        return role == Qt::CheckStateRole ? QVariant(7) : QVariant(QStringLiteral("row"));
    }
};

} // namespace

TEST(StrictModelTester, FailsTheTestOnABrokenModel)
{
    BrokenCheckStateModel broken;
    EXPECT_NONFATAL_FAILURE({ test::StrictModelTester tester(&broken); }, "Model fault");
}

TEST_F(BrowseFixture, TabsOrderTheListAndTheLocatorFindsTheFirstEntryAtOrAfterTheText)
{
    for (int n : {40, 4000}) {
        SCOPED_TRACE(n);
        m_browse.reset();
        fill(n);
        EXPECT_EQ(browse().locate(QStringLiteral("site 0025")), 25);
        EXPECT_EQ(browse().locate(QStringLiteral("Site 0025x")), 26);
        browse().setTab(1); // Location
        EXPECT_EQ(browse().locate(QStringLiteral("http://site0030")), 30);
        browse().setTab(3); // Rating, highest first: 7 is after every 10, 9 and 8
        const int row = browse().locate(QStringLiteral("7"));
        ASSERT_GE(row, 0);
        EXPECT_EQ(browse().model().rowAt(row)->record.Rating, 7);
        if (row > 0) {
            EXPECT_EQ(browse().model().rowAt(row - 1)->record.Rating, 8);
        }
        browse().setTab(2); // Category
        const int cat = browse().locate(QStringLiteral("cat1"));
        EXPECT_EQ(browse().model().rowAt(cat)->record.Category, QStringLiteral("Cat1"));
        EXPECT_EQ(browse().model().rowAt(cat - 1)->record.Category, QStringLiteral("Cat0"));
        browse().setTab(0);
    }
}

TEST_F(BrowseFixture, HeadingSortOrdersByTheColumnAndATabReturnsToItsKey)
{
    fill(350, [](int i, LocationRecord &r) {
        r.Comments = QStringLiteral("c%1").arg(999 - i, 4, 10, QLatin1Char('0'));
    });
    browse().sortByColumn(LocationColumns::Comments, false);
    EXPECT_EQ(description(0), QStringLiteral("Site 0349"));
    EXPECT_EQ(description(349), QStringLiteral("Site 0000"));
    browse().sortByColumn(LocationColumns::Description, true);
    EXPECT_EQ(description(0), QStringLiteral("Site 0349"));
    browse().setTab(0);
    EXPECT_EQ(description(0), QStringLiteral("Site 0000"));
}

TEST_F(BrowseFixture, ALongListsOrderReadOnAnotherThreadGivesEveryPlaceAndRow)
{
    // Comments with equal values, letter cases and non-ASCII letters: the order must be the
    // collation's, equal values by row id, in both directions, whether read by key or by id.
    const QStringList words = {QStringLiteral("apple"),
                               QStringLiteral("Apple"),
                               QStringLiteral("\u00e9clair"),
                               QStringLiteral("\u00c9CLAIR"),
                               QStringLiteral("zebra"),
                               QStringLiteral(""),
                               QStringLiteral("Zeta \u00df"),
                               QStringLiteral("banana")};
    std::mt19937 rng(7);
    constexpr int n = 2500; // more than Find checks near the highlighted row
    fill(n, [&](int, LocationRecord &r) {
        r.Comments = words[rng() % words.size()] + QString::number(rng() % 3);
    });
    browse().model().pager().setWaitLimit(0); // go on while the ids are read, as at any size
    browse().model().pager().setSplitFrom(0); // sorts and whole-table reads in halves

    struct Entry
    {
        QByteArray comments;
        qint64 rowId;
    };
    std::vector<Entry> expected;
    browse().refresh();
    ASSERT_TRUE(browse().model().pager().waitForOrder());
    for (int row = 0; row < n; ++row) {
        const LocationPager::Row *r = browse().model().rowAt(row);
        ASSERT_NE(r, nullptr);
        expected.push_back({r->record.Comments.toUtf8(), r->rowId});
    }
    std::sort(expected.begin(), expected.end(), [](const Entry &a, const Entry &b) {
        const int c = Collation::compare(a.comments, b.comments);
        return c != 0 ? c < 0 : a.rowId < b.rowId;
    });

    for (const bool descending : {false, true}) {
        browse().sortByColumn(LocationColumns::Comments, descending);
        LocationPager &pager = browse().model().pager();
        // The other direction of the same order reads the ids already in backwards.
        if (descending) {
            EXPECT_FALSE(pager.orderPending());
        }
        // Rows of an order without an index show once it is sorted, never out of order.
        if (pager.orderPending()) {
            EXPECT_EQ(pager.row(0), nullptr);
        }
        ASSERT_TRUE(pager.waitForOrder());
        EXPECT_FALSE(pager.orderPending());
        for (int row : {0, 1, 450, n - 1, 300, 128, 127, 2100}) {
            const Entry &want = expected[std::size_t(descending ? n - 1 - row : row)];
            const LocationPager::Row *r = pager.row(row);
            ASSERT_NE(r, nullptr) << row;
            EXPECT_EQ(r->rowId, want.rowId) << "row " << row << (descending ? " descending" : "");
            EXPECT_EQ(pager.rowOfRowId(want.rowId), row);
        }
        // Find goes along the order shown, near rows first and then the whole table.
        const auto nextZebra = [&](int after) -> qint64 {
            for (int row = after + 1; row < n; ++row) {
                const Entry &e = expected[std::size_t(descending ? n - 1 - row : row)];
                if (e.comments.startsWith("zebra"))
                    return row;
            }
            return -1;
        };
        for (int after : {-1, 0, 10, 600, 1900, n - 2}) {
            StoreStatus status;
            const std::optional<qint64> found = pager.findNext({QStringLiteral("Comments LIKE ?"),
                                                                {QStringLiteral("zebra%")}},
                                                               after,
                                                               status);
            EXPECT_TRUE(status.ok());
            EXPECT_EQ(found.value_or(-1), nextZebra(after)) << "after " << after;
        }
        const qint64 farId = expected[std::size_t(descending ? n - 1 - 2300 : 2300)].rowId;
        StoreStatus status;
        EXPECT_EQ(pager.findNext({QStringLiteral("rowid = ?"), {farId}}, 0, status).value_or(-1),
                  2300);
        EXPECT_FALSE(pager.findNext({QStringLiteral("rowid = ?"), {farId}}, 2300, status));
        int visited = 0;
        EXPECT_TRUE(pager.forEach([&](const LocationPager::Row &r) {
            EXPECT_EQ(r.rowId, expected[std::size_t(visited++)].rowId);
            return true;
        }));
        EXPECT_EQ(visited, n);
    }

    // A key order: places and jumps from the ids agree with reading by key.
    browse().setTab(0);
    LocationPager &pager = browse().model().pager();
    ASSERT_TRUE(pager.waitForOrder());
    EXPECT_EQ(description(777), QStringLiteral("Site 0777"));
    EXPECT_EQ(browse().locate(QStringLiteral("site 0612")), 612);
    EXPECT_EQ(pager.rowOfRowId(pager.row(333)->rowId), 333);
    browse().sortByColumn(LocationColumns::Description, true);
    ASSERT_TRUE(pager.waitForOrder());
    EXPECT_EQ(description(0), QStringLiteral("Site 2499"));
    EXPECT_EQ(description(612), QStringLiteral("Site 1887"));
    EXPECT_EQ(pager.rowOfRowId(pager.row(612)->rowId), 612);
}

TEST_F(BrowseFixture, AnOrderSortedInTwoHalvesIsTheOrderSortedWhole)
{
    // Few distinct values, letter cases and non-ASCII letters: the halves meet inside runs of
    // equal values, which only the row id orders.
    const QStringList words = {QStringLiteral("apple"),
                               QStringLiteral("APPLE"),
                               QStringLiteral("\u00e9t\u00e9"),
                               QStringLiteral("\u00c9T\u00c9"),
                               QStringLiteral(""),
                               QStringLiteral("pear")};
    std::mt19937 rng(11);
    constexpr int n = 3000;
    fill(n, [&](int, LocationRecord &r) {
        r.Comments = words[rng() % words.size()];
        r.LastVisit = int(rng() % 5);
    });
    LocationPager &pager = browse().model().pager();
    const auto order = [&](int column, bool split) {
        pager.setSplitFrom(split ? 0 : std::numeric_limits<qint64>::max());
        browse().sortByColumn(LocationColumns::Location, false); // another order first
        browse().sortByColumn(column, false);
        EXPECT_TRUE(pager.waitForOrder());
        EXPECT_EQ(pager.orderParts(), split ? 2 : 1);
        std::vector<qint64> ids;
        EXPECT_TRUE(pager.forEach([&](const LocationPager::Row &r) {
            ids.push_back(r.rowId);
            return true;
        }));
        return ids;
    };
    for (const QString &query : {QString(), QStringLiteral("URL:Category = 'Cat1'")}) {
        if (!query.isEmpty()) {
            ASSERT_TRUE(browse().applyQuery(query));
        }
        for (const int column : {LocationColumns::Comments, LocationColumns::LastVisit}) {
            const std::vector<qint64> whole = order(column, false);
            EXPECT_EQ(qint64(whole.size()), query.isEmpty() ? n : n / 3);
            EXPECT_EQ(order(column, true), whole) << column << " " << query.toStdString();
        }
    }
}

TEST_F(BrowseFixture, ALocateAsksAgainWhileTheOrderIsReadAndListsInATransactionGoByKey)
{
    fill(600);
    browse().model().pager().setWaitLimit(0);
    browse().setTab(0);
    LocationPager &pager = browse().model().pager();
    // Without waiting, a locate either answers or says to ask again when the ids are in.
    const std::optional<int> early = browse().tryLocate(QStringLiteral("site 0420"));
    if (early) {
        EXPECT_EQ(*early, 420);
    } else {
        EXPECT_TRUE(pager.readingOrder());
    }
    EXPECT_EQ(browse().locate(QStringLiteral("site 0420")), 420);
    EXPECT_EQ(browse().tryLocate(QStringLiteral("site 0421")), std::optional<int>(421));

    // Inside a transaction another connection would not see what this one holds: no ids then.
    const StoreStatus status = m_collection->transaction([&] {
        LocationRecord r;
        r.Location = QStringLiteral("http://inserted.example/");
        r.Description = QStringLiteral("Site 0100a");
        r.Category = QStringLiteral("Cat1");
        if (StoreStatus s = m_collection->locations().insert(r); !s)
            return s;
        browse().setTab(1);
        browse().setTab(0);
        EXPECT_FALSE(pager.readingOrder());
        EXPECT_FALSE(pager.waitForOrder());
        EXPECT_EQ(pager.count(), 601);
        EXPECT_EQ(browse().locate(QStringLiteral("site 0100a")), 101);
        EXPECT_EQ(description(500), QStringLiteral("Site 0499"));
        return StoreStatus::success();
    });
    EXPECT_TRUE(status.ok());
}

TEST_F(BrowseFixture, ANewOrderOfTheSameRowsKeepsItsCountOnlyWhileNothingChanged)
{
    fill(400);
    ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Category = 'Cat1'")));
    EXPECT_EQ(browse().model().count(), 133);
    browse().sortByColumn(LocationColumns::Comments, true);
    EXPECT_EQ(browse().model().count(), 133);
    // A change by this connection, then one by another program, is counted.
    LocationRecord r;
    r.Location = QStringLiteral("http://added.example/");
    r.Description = QStringLiteral("Added");
    r.Category = QStringLiteral("Cat1");
    ASSERT_TRUE(m_collection->locations().insert(r).ok());
    browse().sortByColumn(LocationColumns::Comments, false);
    EXPECT_EQ(browse().model().count(), 134);
    EXPECT_EQ(browse().model().rowAt(133)->record.Description, QStringLiteral("Added"));
    {
        Collection other(m_temp.folder());
        ASSERT_TRUE(other.openAll(false).ok());
        ASSERT_TRUE(other.locations().remove(r.Location).ok());
    }
    browse().setTab(2);
    EXPECT_EQ(browse().model().count(), 133);
    browse().resetQuery();
    EXPECT_EQ(browse().model().count(), 400);
}

TEST_F(BrowseFixture, HeadingClicksSortAscendingFirstAndTurnRoundOnTheSameHeading)
{
    fill(20);
    browse().clickHeading(LocationColumns::Location);
    EXPECT_EQ(browse().sortColumn(), LocationColumns::Location);
    EXPECT_FALSE(browse().sortDescending());
    EXPECT_EQ(description(0), QStringLiteral("Site 0000"));
    browse().clickHeading(LocationColumns::Location);
    EXPECT_TRUE(browse().sortDescending());
    EXPECT_EQ(description(0), QStringLiteral("Site 0019"));
    browse().clickHeading(LocationColumns::Location);
    EXPECT_FALSE(browse().sortDescending());
    EXPECT_EQ(description(0), QStringLiteral("Site 0000"));
    browse().clickHeading(LocationColumns::Location);
    // Another heading starts ascending, whatever the previous one showed.
    browse().clickHeading(LocationColumns::Description);
    EXPECT_FALSE(browse().sortDescending());
    EXPECT_EQ(description(0), QStringLiteral("Site 0000"));

    // The tab (also the one already chosen) and the locator give the tab's order back, and the
    // next heading click is ascending again.
    browse().clickHeading(LocationColumns::Description);
    browse().setTab(0);
    EXPECT_EQ(browse().sortColumn(), -1);
    EXPECT_EQ(description(0), QStringLiteral("Site 0000"));
    browse().clickHeading(LocationColumns::Description);
    EXPECT_FALSE(browse().sortDescending());
    browse().clickHeading(LocationColumns::Description);
    EXPECT_EQ(browse().locate(QStringLiteral("Site 0005")), 5);
    EXPECT_EQ(browse().sortColumn(), -1);
}

TEST_F(BrowseFixture, QueryLimitsTheListAndAMalformedOneChangesNothing)
{
    fill(30);
    EXPECT_FALSE(browse().hasQuery());
    ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Category = 'cat1'")));
    EXPECT_TRUE(browse().hasQuery());
    EXPECT_EQ(browse().model().rowCount(), 10);
    EXPECT_EQ(browse().title(), QStringLiteral("Browse Locations (30)")); // the table's count

    EXPECT_FALSE(browse().applyQuery(QStringLiteral("URL:Category = ('cat1'")));
    ASSERT_EQ(m_ui.interactions().size(), 1);
    EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Invalid Query"));
    EXPECT_EQ(browse().model().rowCount(), 10);
    EXPECT_EQ(browse().query(), QStringLiteral("URL:Category = 'cat1'"));

    browse().resetQuery();
    EXPECT_FALSE(browse().hasQuery());
    EXPECT_EQ(browse().model().rowCount(), 30);
}

TEST_F(BrowseFixture, FindSearchesForwardInTheOrderAndQuery)
{
    for (int n : {30, 900}) {
        SCOPED_TRACE(n);
        m_browse.reset();
        fill(n);
        m_ui.clear();
        // F3 before any search
        EXPECT_EQ(browse().findAgain(0), -1);
        ASSERT_EQ(m_ui.interactions().size(), 1);
        EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Error"));
        EXPECT_EQ(m_ui.interactions()[0].text, QStringLiteral("No search criteria specified."));
        m_ui.clear();

        const QString condition = QStringLiteral("MATCH(URL:Description,'*1?',17)");
        EXPECT_EQ(browse().find(condition, true, 15), 10);  // from the start
        EXPECT_EQ(browse().find(condition, false, 10), 11); // after the highlighted row
        EXPECT_EQ(browse().findAgain(19), 110 < n ? 110 : -1);
        if (n == 30) {
            ASSERT_EQ(m_ui.interactions().size(), 1);
            EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Find"));
            EXPECT_EQ(m_ui.interactions()[0].text, QStringLiteral("No more matches."));
        }
        // Within the query: only Cat2 rows count.
        ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Category = 'Cat2'")));
        const int row = browse().find(QStringLiteral("MATCH(URL:Description,'*1*',17)"), true, 0);
        ASSERT_GE(row, 0);
        EXPECT_EQ(description(row), QStringLiteral("Site 0011"));
        browse().resetQuery();
    }
}

TEST_F(BrowseFixture, FindReachesMatchesFarBeyondTheHighlightedRow)
{
    fill(2500);
    EXPECT_EQ(browse().find(QStringLiteral("MATCH(URL:Description,'*14?7',17)"), true, 0), 1407);
    EXPECT_EQ(browse().findAgain(1407), 1417);
    EXPECT_EQ(browse().findAgain(1497), -1);
    ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Category = 'Cat1'")));
    // Row 1 of the query is Site 0004; Site 2401 is the 801st Cat1 row.
    EXPECT_EQ(browse().find(QStringLiteral("MATCH(URL:Description,'*2401',17)"), false, 1), 800);
    browse().setTab(3); // Rating order: the first Cat1 row rated 3 with "24" in it
    const int row = browse().find(QStringLiteral(
                                      "MATCH(URL:Description,'*24*',17) AND URL:Rating = 3"),
                                  true,
                                  0);
    ASSERT_GE(row, 0);
    EXPECT_EQ(browse().model().rowAt(row)->record.Rating, 3);
    for (int r = 0; r < row; ++r) {
        const LocationRecord &before = browse().model().rowAt(r)->record;
        ASSERT_FALSE(before.Rating == 3 && before.Description.contains(QLatin1String("24"))) << r;
    }
}

TEST_F(BrowseFixture, RemoveDisplayedTakesOnlyWhatTheQueryShowsAndOnlyOnYes)
{
    fill(320);
    ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Category = 'Cat0'")));
    m_ui.push(1); // No
    EXPECT_EQ(browse().removeDisplayed(), 0);
    EXPECT_EQ(m_collection->locations().count(), 320);
    ASSERT_EQ(m_ui.interactions().size(), 1);
    EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Remove Multiple Entries"));
    EXPECT_EQ(m_ui.interactions()[0].text,
              QStringLiteral(
                  "This option will remove all of the displayed entries from your URL database.  "
                  "If a query has been applied, then only those entries matching the query (and "
                  "therefore shown) will be removed.  Do you wish to proceed?"));

    m_ui.push(0); // Yes
    EXPECT_EQ(browse().removeDisplayed(), 107);
    EXPECT_EQ(m_collection->locations().count(), 213);
    EXPECT_EQ(browse().model().rowCount(), 0);
    browse().resetQuery();
    EXPECT_EQ(browse().model().rowCount(), 213);
    EXPECT_EQ(browse().title(), QStringLiteral("Browse Locations (213)"));
}

TEST_F(BrowseFixture, RemoveQuestionsDefaultToNoAndAClosedBoxRemovesNothing)
{
    fill(12, [](int, LocationRecord &r) { r.Validated = 2; });
    // Nothing queued: the box takes its default button, as a stray Enter would.
    EXPECT_EQ(browse().removeDisplayed(), 0);
    EXPECT_EQ(browse().removeInvalid(), 0);
    m_ui.push(-1); // Escape or the window's close button
    EXPECT_EQ(browse().removeDisplayed(), 0);
    m_ui.push(-1);
    EXPECT_EQ(browse().removeInvalid(), 0);
    EXPECT_EQ(m_collection->locations().count(), 12);
    ASSERT_EQ(m_ui.interactions().size(), 4);
    for (const auto &asked : m_ui.interactions())
        EXPECT_EQ(asked.answer.toInt() == 0, false) << qPrintable(asked.title);
}

TEST_F(BrowseFixture, RemoveInvalidTakesOnlyFailedLocationsAmongThoseShown)
{
    fill(60, [](int i, LocationRecord &r) {
        r.Validated = quint8(i % 3 == 0 ? 2 : i % 3 == 1 ? 1 : 0);
    });
    ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Rating <= 4")));
    m_ui.push(0);
    const int removed = browse().removeInvalid();
    EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Remove Invalid Links"));
    int expected = 0;
    for (int i = 0; i < 60; ++i)
        expected += (i % 3 == 0 && i % 11 <= 4) ? 1 : 0;
    EXPECT_EQ(removed, expected);
    for (int i = 0; i < 60; ++i) {
        const bool gone = i % 3 == 0 && i % 11 <= 4;
        EXPECT_EQ(m_collection->locations().exists(
                      QStringLiteral("http://site%1.example/").arg(i, 4, 10, QLatin1Char('0'))),
                  !gone)
            << i;
    }
}

TEST_F(BrowseFixture, LaunchAndCopyFollowTheSendType)
{
    fill(5, [](int i, LocationRecord &r) {
        r.SiteInfo = QStringLiteral("/usr/bin/tool --site %1").arg(i);
        r.Rating = 7;
    });
    browse().setSendType(SendType::Url);
    browse().launch(2);
    EXPECT_EQ(m_launched, QStringList{QStringLiteral("http://site0002.example/")});
    LocationRecord stored;
    ASSERT_TRUE(
        m_collection->locations().get(QStringLiteral("http://site0002.example/"), stored).ok());
    EXPECT_EQ(stored.LastVisit, DayNumber::today());

    browse().setSendType(SendType::SiteInformation);
    browse().launch(1);
    EXPECT_EQ(m_launched.last(), QStringLiteral("/usr/bin/tool --site 1"));

    for (SendType::Type type : {SendType::Category, SendType::Keyword, SendType::Rating}) {
        m_ui.clear();
        browse().setSendType(type);
        browse().launch(0);
        ASSERT_EQ(m_ui.interactions().size(), 1);
        EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Error"));
        EXPECT_EQ(m_ui.interactions()[0].text,
                  QStringLiteral("No program associated with ") + SendType::name(type)
                      + QLatin1Char('.'));
    }
    EXPECT_EQ(m_launched.size(), 2);

    browse().setSendType(SendType::Rating);
    browse().copyToClipboard(3);
    EXPECT_EQ(m_clipboard, QStringLiteral("7"));
    browse().setSendType(SendType::Category);
    browse().copyToClipboard(3);
    EXPECT_EQ(m_clipboard, QStringLiteral("Cat0"));
}

TEST_F(BrowseFixture, LocationDeletedBetweenDisplayAndLaunchIsLeftAlone)
{
    fill(3);
    browse();
    ASSERT_TRUE(m_collection->locations().remove(QStringLiteral("http://site0001.example/")).ok());
    browse().launch(1); // the row still shows the deleted location
    EXPECT_EQ(m_launched, QStringList{QStringLiteral("http://site0001.example/")});
    EXPECT_FALSE(m_collection->locations().exists(QStringLiteral("http://site0001.example/")));
    EXPECT_TRUE(m_ui.interactions().isEmpty());
    EXPECT_EQ(browse().model().rowCount(), 2);
}

TEST_F(BrowseFixture, DoubleClickStartsAndMinimisesOrOpensTheForm)
{
    fill(3);
    browse().doubleClick(0);
    EXPECT_EQ(m_launched, QStringList{QStringLiteral("http://site0000.example/")});
    EXPECT_EQ(m_minimised, 1);

    ConfigurationRecord setting{QStringLiteral("DoubleClickAction"), QStringLiteral("Edit Record")};
    ASSERT_TRUE(m_collection->configuration().insert(setting).ok());
    browse().doubleClick(1);
    EXPECT_EQ(m_launched.size(), 1);
    EXPECT_EQ(m_starter->started(), QStringList{QStringLiteral("UpdatePATHKEEP")});
    // Nobody registered the form yet: message 27 names it.
    ASSERT_FALSE(m_ui.interactions().isEmpty());
    EXPECT_EQ(m_ui.interactions().last().text,
              QStringLiteral("The Procedure UpdatePATHKEEP has not been defined."));
}

TEST_F(BrowseFixture, CommandsOfOtherWindowsGoThroughTheProcedureTable)
{
    fill(3);
    m_starter->defined << QStringLiteral("DownloadURLs");
    browse().download(1);
    const auto *download = m_starter->calls.back().as<DownloadUrlsRequest>();
    ASSERT_TRUE(download);
    EXPECT_EQ(download->condition, QStringLiteral("URL:Location='http://site0001.example/'"));
    ASSERT_TRUE(browse().applyQuery(QStringLiteral("URL:Rating > 0")));
    browse().download(1);
    download = m_starter->calls.back().as<DownloadUrlsRequest>();
    ASSERT_TRUE(download);
    EXPECT_EQ(download->condition, QStringLiteral("URL:Rating > 0"));
    m_ui.clear();
    browse().test(0);
    browse().print();
    browse().grabFromBrowser();
    EXPECT_EQ(m_ui.messages(),
              (QStringList{QStringLiteral("The Procedure RetrieveAndTest has not been defined."),
                           QStringLiteral("The Procedure ReportWizard has not been defined."),
                           QStringLiteral("The Procedure Wizard:NewURL has not been defined.")}));
}

TEST_F(BrowseFixture, DeleteAsksFirstWhileNoFormIsRegistered)
{
    fill(3);
    m_ui.push(false); // No
    browse().remove(1);
    EXPECT_TRUE(m_collection->locations().exists(QStringLiteral("http://site0001.example/")));
    m_ui.push(true);
    browse().remove(1);
    EXPECT_FALSE(m_collection->locations().exists(QStringLiteral("http://site0001.example/")));
    EXPECT_EQ(m_ui.interactions()[0].title, QStringLiteral("Confirm Delete"));
    EXPECT_EQ(browse().model().rowCount(), 2);
}

TEST_F(BrowseFixture, DeleteLeavesAskingAndDeletingToTheFormOnceItIsRegistered)
{
    fill(3);
    m_starter->defined << QStringLiteral("UpdatePATHKEEP");
    browse().remove(1);
    ASSERT_EQ(m_starter->started(), QStringList{QStringLiteral("UpdatePATHKEEP")});
    const auto *form = m_starter->calls[0].as<LocationFormRequest>();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->action, FormRequest::Delete);
    EXPECT_EQ(form->location, QStringLiteral("http://site0001.example/"));
    EXPECT_TRUE(m_ui.interactions().isEmpty());
    EXPECT_TRUE(m_collection->locations().exists(QStringLiteral("http://site0001.example/")));
}

TEST_F(BrowseFixture, DroppedShortcutsAddLocationsAndTheirCategory)
{
    fill(2);
    m_favourites = m_temp.root() + QStringLiteral("/Favorites");
    QDir().mkpath(m_favourites + QStringLiteral("/News"));
    auto write = [](const QString &path, const QByteArray &bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(m_favourites + QStringLiteral("/News/Daily.url"),
          "[InternetShortcut]\nURL=http://daily.example/\n");
    write(m_favourites + QStringLiteral("/Top.URL"),
          "[InternetShortcut]\nURL=http://top.example/\n");
    write(m_favourites + QStringLiteral("/notes.txt"),
          "[InternetShortcut]\nURL=http://no.example/\n");
    const int added = browse().dropFiles({m_favourites + QStringLiteral("/News/Daily.url"),
                                          m_favourites + QStringLiteral("/Top.URL"),
                                          m_favourites + QStringLiteral("/notes.txt")});
    EXPECT_EQ(added, 2);
    LocationRecord r;
    ASSERT_TRUE(m_collection->locations().get(QStringLiteral("http://daily.example/"), r).ok());
    EXPECT_EQ(r.Category, QStringLiteral("News"));
    EXPECT_EQ(r.Description, QStringLiteral("Daily.url"));
    ASSERT_TRUE(m_collection->locations().get(QStringLiteral("http://top.example/"), r).ok());
    EXPECT_EQ(r.Category, QStringLiteral("Internet Explorer"));
    EXPECT_TRUE(m_collection->categories().exists(QStringLiteral("News")));
    EXPECT_EQ(browse().model().rowCount(), 4);
}

TEST_F(BrowseFixture, ColumnsShowThroughTheirPictures)
{
    fill(1, [](int, LocationRecord &r) {
        r.Rating = 0;
        r.LastVisit = 0;
        r.Description = QString(120, QLatin1Char('d'));
    });
    const LocationRecord &r = browse().model().rowAt(0)->record;
    EXPECT_EQ(LocationColumns::display(r, LocationColumns::Rating), QString());
    EXPECT_EQ(LocationColumns::display(r, LocationColumns::LastVisit), QString());
    EXPECT_EQ(LocationColumns::display(r, LocationColumns::Description).size(), 100);
    LocationRecord rated = r;
    rated.Rating = 7;
    rated.LastVisit = DayNumber::fromDate(QDate(2024, 3, 5));
    EXPECT_EQ(LocationColumns::display(rated, LocationColumns::Rating), QStringLiteral("7"));
    EXPECT_EQ(LocationColumns::display(rated, LocationColumns::LastVisit),
              Picture::format(QStringLiteral("@d17"), rated.LastVisit));
}

TEST_F(BrowseFixture, ADamagedPageIsReportedWhereverTheListReadsIt)
{
    static int argc = 1;
    static char name[] = "browse_list_test";
    static char *argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    fill(2000, [](int, LocationRecord &r) { r.SiteInfo = QString(1800, QLatin1Char('s')); });
    m_collection.reset(); // everything in the file itself, nothing held in memory
    {
        QFile file(m_temp.folder() + QStringLiteral("/URLDATA.TPS"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const qint64 page = 4096;
        const qint64 middle = file.size() / page / 2;
        for (qint64 p = middle; p < middle + 4; ++p) {
            file.seek(p * page);
            file.write(QByteArray(page, '\xA5'));
        }
    }
    m_collection = std::make_unique<Collection>(m_temp.folder());
    ASSERT_TRUE(m_collection->openAll(false).ok());

    auto readAll = [&] {
        int read = 0;
        for (int row = 0; row < browse().model().rowCount(); ++row) {
            if (!browse().model().rowAt(row))
                break;
            ++read;
        }
        QCoreApplication::processEvents();
        return read;
    };
    auto reported = [&] {
        return std::count_if(m_ui.interactions().begin(),
                             m_ui.interactions().end(),
                             [](const ScriptedUserInterface::Interaction &i) {
                                 return i.title == QStringLiteral("Record Retrieval Error")
                                        && i.text.contains(QStringLiteral("Repair Databases"));
                             });
    };
    // In key order the list stops at the damage, and says so once.
    EXPECT_LT(readAll(), 2000);
    EXPECT_EQ(reported(), 1);
    EXPECT_LT(readAll(), 2000);
    EXPECT_EQ(reported(), 1);
    // A heading sort reads the damaged page first of all: an empty list is not the answer.
    browse().clickHeading(LocationColumns::Comments);
    readAll();
    EXPECT_EQ(reported(), 2);
}

TEST_F(BrowseFixture, AnotherProcessWritingIsSeenAtTheNextLookKeepingTheHighlightedLocation)
{
    fill(400);
    const int start = browse().locate(QStringLiteral("Site 0200"));
    const qint64 rowId = browse().model().rowAt(start)->rowId;
    EXPECT_FALSE(browse().refreshIfChangedElsewhere(rowId));
    // This program's own writes are announced by their writers, not found by looking.
    ASSERT_TRUE(m_collection->locations().remove(QStringLiteral("http://site0399.example/")));
    EXPECT_FALSE(browse().refreshIfChangedElsewhere(rowId));

    // Another process adds locations ahead of the highlighted one and changes another.
    const pid_t writer = fork();
    if (writer == 0) {
        Collection other(m_temp.folder());
        bool ok = other.openAll(false).ok();
        ok = ok
             && other
                    .transaction([&] {
                        for (const char *d : {"Site 0000a", "Site 0000b"}) {
                            LocationRecord r;
                            r.Location = QLatin1String("http://") + QLatin1String(d);
                            r.Description = QLatin1String(d);
                            r.Category = QStringLiteral("Cat0");
                            if (StoreStatus s = other.locations().insert(r); !s)
                                return s;
                        }
                        return StoreStatus::success();
                    })
                    .ok();
        LocationRecord changed;
        ok = ok && other.locations().get(QStringLiteral("http://site0100.example/"), changed).ok();
        changed.Comments = QStringLiteral("from the command line");
        ok = ok && other.locations().change(changed.Location, changed).ok();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    int row = -1;
    QObject::connect(&browse(), &LocationBrowse::refreshed, [&] { ++row; });
    EXPECT_TRUE(browse().refreshIfChangedElsewhere(rowId));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(browse().title(), QStringLiteral("Browse Locations (401)"));
    EXPECT_EQ(browse().model().pager().rowOfRowId(rowId), start + 2);
    EXPECT_EQ(browse().model().rowAt(102)->record.Comments, QStringLiteral("from the command line"));
    EXPECT_FALSE(browse().refreshIfChangedElsewhere(rowId));
}
