#include "storefixture.h"

#include "store/fields.h"
#include "store/view.h"
#include "store/viewcursor.h"

namespace pk::test {
namespace {

class ViewCursorTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        // Seven rows share one description, so pages end between equal keys.
        for (int i = 0; i < 7; ++i)
            add(QStringLiteral("http://same/%1").arg(i), QStringLiteral("Same"));
        add(QStringLiteral("http://alpha/"), QStringLiteral("Alpha"));
        add(QStringLiteral("http://zulu/"), QStringLiteral("Zulu"));
    }

    void add(const QString &address, const QString &description)
    {
        const StoreStatus s = c().locations().insert(location(address, description));
        ASSERT_TRUE(s) << s;
    }

    static std::vector<qint64> drain(ViewCursor &cursor)
    {
        std::vector<qint64> ids;
        ViewRow row;
        while (cursor.next(row))
            ids.push_back(row.rowId());
        return ids;
    }

    /// The row ids of the whole view, read in one page.
    std::vector<qint64> allRows(View &view)
    {
        ViewPage page;
        EXPECT_TRUE(view.firstPage(1000, page));
        std::vector<qint64> ids;
        for (const ViewRow &r : page.rows)
            ids.push_back(r.rowId());
        return ids;
    }
};

TEST_F(ViewCursorTest, VisitsEveryRowOnceInKeyOrderWhateverThePageSize)
{
    View view(c(), Keys::urlDescription());
    const std::vector<qint64> expected = allRows(view);
    ASSERT_EQ(expected.size(), 9u);
    for (int pageSize : {1, 2, 3, 9, 10, 500}) {
        ViewCursor cursor(view, pageSize);
        EXPECT_EQ(drain(cursor), expected) << pageSize;
        EXPECT_TRUE(cursor.status()) << pageSize;
        ViewRow row;
        EXPECT_FALSE(cursor.next(row)) << "stays at the end, page size " << pageSize;
    }
}

TEST_F(ViewCursorTest, StartsAtAPositionIncludedOrNot)
{
    View view(c(), Keys::urlDescription());
    const std::vector<qint64> all = allRows(view);
    ViewPosition third;
    ASSERT_TRUE(view.positionOf(all[2], third));

    ViewCursor inclusive(view, third, true, 2);
    EXPECT_EQ(drain(inclusive), std::vector<qint64>(all.begin() + 2, all.end()));
    ViewCursor exclusive(view, third, false, 2);
    EXPECT_EQ(drain(exclusive), std::vector<qint64>(all.begin() + 3, all.end()));
    ViewCursor fromNowhere(view, ViewPosition{}, false, 2);
    EXPECT_EQ(drain(fromNowhere), all);

    ViewPosition last;
    ASSERT_TRUE(view.positionOf(all.back(), last));
    ViewCursor afterLast(view, last, false, 2);
    EXPECT_TRUE(drain(afterLast).empty());
    EXPECT_TRUE(afterLast.status());
}

TEST_F(ViewCursorTest, KeepsTheViewsRangeAndFilter)
{
    View view(c(), Keys::urlDescription());
    view.setRange({QStringLiteral("SAME")});
    view.setFilter({QStringLiteral("Location <> ?"), {QStringLiteral("http://same/3")}});
    ViewCursor cursor(view, 2);
    ViewRow row;
    int n = 0;
    while (cursor.next(row)) {
        ++n;
        EXPECT_EQ(row.location().Description, QStringLiteral("Same"));
        EXPECT_NE(row.location().Location, QStringLiteral("http://same/3"));
    }
    EXPECT_EQ(n, 6);
    EXPECT_TRUE(cursor.status());

    View empty(c(), Keys::urlDescription());
    empty.setRange({QStringLiteral("nothing here")});
    ViewCursor none(empty);
    EXPECT_FALSE(none.next(row));
    EXPECT_TRUE(none.status());
}

TEST_F(ViewCursorTest, AFailedReadEndsTheCursorAndKeepsTheFailure)
{
    View view(c(), Keys::urlDescription());
    view.setFilter({QStringLiteral("NoSuchColumn = 1"), {}});
    ViewCursor first(view);
    ViewRow row;
    EXPECT_FALSE(first.next(row));
    EXPECT_FALSE(first.status());
    EXPECT_EQ(first.status().catalogueNumber, 43);

    // A failure on a later page: the rows already read were handed out, then it stops.
    View later(c(), Keys::urlDescription());
    ViewCursor cursor(later, 3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(cursor.next(row)) << i;
    later.setFilter({QStringLiteral("NoSuchColumn = 1"), {}});
    EXPECT_FALSE(cursor.next(row));
    EXPECT_FALSE(cursor.status());
    later.setFilter({});
    EXPECT_FALSE(cursor.next(row)) << "a failed cursor does not resume";
}

} // namespace
} // namespace pk::test
