#include "storefixture.h"

#include "store/fields.h"
#include "store/orderreader.h"
#include "store/view.h"

#include <atomic>

using namespace Qt::StringLiterals;

namespace pk::test {
namespace {

using OrderReaderTest = StoreTest;

// Rows without end: only a stop ends this read.
const QString kEndless = u"WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) "
                         "SELECT x FROM n"_s;

TEST_F(OrderReaderTest, ReadsTheOrderOfAFilteredViewAsTheViewPagesIt)
{
    ASSERT_TRUE(c().transaction([&] {
        for (int i = 0; i < 500; ++i) {
            const StoreStatus s = c().locations().insert(location(u"http://s%1.example/"_s.arg(i),
                                                                  u"Site %1"_s.arg(499 - i),
                                                                  u"General"_s,
                                                                  i % 7));
            if (!s)
                return s;
        }
        return StoreStatus::success();
    }));
    View view(c(), Keys::urlRating());
    view.setFilter({u"Description LIKE ?"_s, {u"%1%"_s}});
    ViewPage all;
    ASSERT_TRUE(view.firstPage(1000, all));
    QVariantList bindings;
    const QString sql = view.orderedIdsSql(bindings);

    std::atomic<int> done = 0;
    OrderReader reader(c());
    ASSERT_TRUE(reader.start(sql, bindings, [&] { ++done; }));
    reader.wait();
    EXPECT_FALSE(reader.isRunning());
    EXPECT_EQ(done, 1);
    const auto ids = reader.ids();
    ASSERT_TRUE(ids);
    ASSERT_EQ(ids->size(), all.rows.size());
    for (std::size_t i = 0; i < ids->size(); ++i)
        EXPECT_EQ((*ids)[i], all.rows[i].rowId()) << i;

    // The rows come back by id in the order asked, those gone left out.
    ViewPage some;
    const std::vector<qint64> wanted = {(*ids)[5], 999999, (*ids)[1], (*ids)[3]};
    ASSERT_TRUE(view.rowsById(wanted, some));
    ASSERT_EQ(some.rows.size(), 3u);
    EXPECT_EQ(some.rows[0].rowId(), (*ids)[5]);
    EXPECT_EQ(some.rows[1].location().Description, all.rows[1].location().Description);
    EXPECT_EQ(some.rows[2].position, all.rows[3].position);
}

TEST_F(OrderReaderTest, AStopEndsTheReadAtOnceEvenBeforeItsFirstStep)
{
    std::atomic<int> done = 0;
    OrderReader reader(c());
    // Stopped right after the start, the statement may not run yet when the stop comes.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(reader.start(kEndless, {}, [&] { ++done; }));
        reader.stop();
        EXPECT_FALSE(reader.isRunning());
        EXPECT_FALSE(reader.ids());
        EXPECT_TRUE(reader.status()) << reader.status();
    }
    // A new start ends the read under way; so does the end of the reader.
    ASSERT_TRUE(reader.start(kEndless, {}));
    ASSERT_TRUE(reader.start(kEndless, {}));
    EXPECT_EQ(done, 0);
}

TEST_F(OrderReaderTest, PartsReadAtOnceGiveTheirIdsInTurnAndAFailedPartEndsTheRead)
{
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://h/%1").arg(i))));
    std::atomic<int> done = 0;
    OrderReader reader(c());
    const QString sql = u"SELECT rowid FROM main.Locations WHERE rowid %1 ? ORDER BY rowid %2"_s;
    ASSERT_TRUE(reader.start({{sql.arg(u">"_s, u"DESC"_s), {20}}, {sql.arg(u"<="_s, u""_s), {20}}},
                             [&] { ++done; }));
    reader.wait();
    ASSERT_TRUE(reader.ids());
    OrderReader::Ids want;
    for (qint64 id = 30; id > 20; --id)
        want.push_back(id);
    for (qint64 id = 1; id <= 20; ++id)
        want.push_back(id);
    EXPECT_EQ(*reader.ids(), want);
    EXPECT_EQ(done, 1);

    // One part failing fails the read, the endless other part included.
    ASSERT_TRUE(reader.start({{kEndless, {}}, {u"SELECT rowid FROM main.NoSuchTable"_s, {}}},
                             [&] { ++done; }));
    reader.wait();
    EXPECT_FALSE(reader.isRunning());
    EXPECT_FALSE(reader.ids());
    EXPECT_FALSE(reader.status());
    EXPECT_EQ(done, 1);
}

TEST_F(OrderReaderTest, ABoundedWaitGivesUpOnAReadThatRunsOnAndReturnsOnceOneEnds)
{
    ASSERT_TRUE(c().locations().insert(location(u"http://h/1"_s)));
    OrderReader reader(c());
    ASSERT_TRUE(reader.start({{kEndless, {}}}, [] {}));
    EXPECT_FALSE(reader.waitFor(std::chrono::milliseconds(50)));
    EXPECT_TRUE(reader.isRunning());
    reader.stop();

    ASSERT_TRUE(reader.start({{u"SELECT rowid FROM main.Locations"_s, {}}}, [] {}));
    EXPECT_TRUE(reader.waitFor(std::chrono::seconds(60)));
    EXPECT_FALSE(reader.isRunning());
    ASSERT_TRUE(reader.ids());
    EXPECT_EQ(reader.ids()->size(), 1u);
}

TEST_F(OrderReaderTest, AFailedReadSaysWhyAndNoReadStartsWithoutTheLocationFile)
{
    OrderReader reader(c());
    ASSERT_TRUE(reader.start(u"SELECT rowid FROM main.NoSuchTable"_s, {}));
    reader.wait();
    EXPECT_FALSE(reader.ids());
    EXPECT_FALSE(reader.status());

    Collection closed(m_temp.folder());
    OrderReader none(closed);
    EXPECT_FALSE(none.start(u"SELECT 1"_s, {}));
    EXPECT_FALSE(none.isRunning());
    EXPECT_FALSE(none.status());
}

} // namespace
} // namespace pk::test
