#include "storefixture.h"

#include "store/fields.h"
#include "store/view.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <set>

using namespace Qt::StringLiterals;

namespace pk::test {
namespace {

class ViewTest : public StoreTest
{
protected:
    void add(const QString &address,
             const QString &description,
             int rating = 0,
             const QString &category = QStringLiteral("General"))
    {
        const StoreStatus s = c().locations().insert(
            location(address, description, category, rating));
        ASSERT_TRUE(s) << s;
    }

    /// Every row of a view read forward in pages of `n`.
    std::vector<ViewRow> readForward(View &v, int n)
    {
        std::vector<ViewRow> all;
        ViewPage page;
        EXPECT_TRUE(v.firstPage(n, page));
        EXPECT_TRUE(page.atStart);
        for (int guard = 0; guard < 1000; ++guard) {
            all.insert(all.end(), page.rows.begin(), page.rows.end());
            if (page.atEnd || page.rows.empty())
                break;
            EXPECT_TRUE(v.forward(page.rows.back().position, n, false, page));
            EXPECT_FALSE(page.atStart);
        }
        return all;
    }

    std::vector<ViewRow> readBackward(View &v, int n)
    {
        std::vector<ViewRow> all;
        ViewPage page;
        EXPECT_TRUE(v.lastPage(n, page));
        EXPECT_TRUE(page.atEnd);
        for (int guard = 0; guard < 1000; ++guard) {
            all.insert(all.begin(), page.rows.begin(), page.rows.end());
            if (page.atStart || page.rows.empty())
                break;
            EXPECT_TRUE(v.backward(page.rows.front().position, n, false, page));
            EXPECT_FALSE(page.atEnd);
        }
        return all;
    }
};

std::vector<QString> addresses(const std::vector<ViewRow> &rows)
{
    std::vector<QString> out;
    for (const ViewRow &r : rows)
        out.push_back(r.location().Location);
    return out;
}

TEST_F(ViewTest, RatingKeyPutsHighestFirstAndMinusOneAfterZero)
{
    add(QStringLiteral("http://nine/"), QStringLiteral("b"), 9);
    add(QStringLiteral("http://minus/"), QStringLiteral("a"), -1);
    add(QStringLiteral("http://ten/"), QStringLiteral("z"), 10);
    add(QStringLiteral("http://zero/"), QStringLiteral("c"), 0);
    add(QStringLiteral("http://nine-a/"), QStringLiteral("A"), 9);
    View v(c(), Keys::urlRating());
    const auto rows = readForward(v, 2);
    std::vector<int> ratings;
    for (const ViewRow &r : rows)
        ratings.push_back(r.location().Rating);
    EXPECT_EQ(ratings, (std::vector<int>{10, 9, 9, 0, -1}));
    // Ties by description, without regard to letter case.
    EXPECT_EQ(rows[1].location().Location, QStringLiteral("http://nine-a/"));
    EXPECT_EQ(addresses(readBackward(v, 2)), addresses(rows));
}

TEST_F(ViewTest, PagingAcrossEqualKeysVisitsEveryRowOnce)
{
    // 23 rows share one description; K_Description can only tell them apart by row id.
    for (int i = 0; i < 23; ++i)
        add(QStringLiteral("http://same/%1").arg(i),
            i % 2 ? QStringLiteral("Same") : QStringLiteral("SAME"));
    add(QStringLiteral("http://before/"), QStringLiteral("Alpha"));
    add(QStringLiteral("http://after/"), QStringLiteral("Zulu"));
    View v(c(), Keys::urlDescription());
    for (int n : {1, 5, 7, 50}) {
        const auto forward = readForward(v, n);
        ASSERT_EQ(forward.size(), 25u) << n;
        EXPECT_EQ(forward.front().location().Location, QStringLiteral("http://before/"));
        EXPECT_EQ(forward.back().location().Location, QStringLiteral("http://after/"));
        std::set<qint64> ids;
        for (const ViewRow &r : forward)
            ids.insert(r.rowId());
        EXPECT_EQ(ids.size(), 25u);
        EXPECT_EQ(addresses(readBackward(v, n)), addresses(forward)) << n;
    }

    // Back from the middle of the ties, then forward again, returns the same rows.
    ViewPage page;
    ASSERT_TRUE(v.firstPage(10, page));
    const ViewPosition middle = page.rows[9].position;
    ViewPage back;
    ASSERT_TRUE(v.backward(middle, 4, false, back));
    ASSERT_EQ(back.rows.size(), 4u);
    EXPECT_EQ(back.rows.front().rowId(), page.rows[5].rowId());
    EXPECT_FALSE(back.atStart);
    EXPECT_FALSE(back.atEnd);
    ViewPage inclusive;
    ASSERT_TRUE(v.forward(back.rows.front().position, 5, true, inclusive));
    EXPECT_EQ(inclusive.rows.front().rowId(), page.rows[5].rowId());
    EXPECT_EQ(inclusive.rows.back().rowId(), page.rows[9].rowId());
}

TEST_F(ViewTest, LocateFindsTheFirstRowAtOrAfterAValue)
{
    add(QStringLiteral("http://apple/"), QStringLiteral("Apple"));
    add(QStringLiteral("http://mango/"), QStringLiteral("mango"));
    add(QStringLiteral("http://melon/"), QStringLiteral("Melon"));
    add(QStringLiteral("http://zucchini/"), QStringLiteral("Zucchini"));
    View v(c(), Keys::urlDescription());
    ViewPosition p;
    ASSERT_TRUE(v.locate({QStringLiteral("M")}, p));
    ViewPage page;
    ASSERT_TRUE(v.forward(p, 2, true, page));
    EXPECT_EQ(addresses(page.rows),
              (std::vector<QString>{QStringLiteral("http://mango/"),
                                    QStringLiteral("http://melon/")}));
    ASSERT_TRUE(v.locate({QStringLiteral("mEl")}, p));
    ASSERT_TRUE(v.forward(p, 1, true, page));
    EXPECT_EQ(page.rows[0].location().Description, QStringLiteral("Melon"));
    EXPECT_EQ(v.locate({QStringLiteral("zz")}, p).error, StoreError::RecordNotFound);

    View rating(c(), Keys::urlRating());
    ASSERT_TRUE(c().locations().remove(QStringLiteral("http://apple/")));
    add(QStringLiteral("http://five/"), QStringLiteral("Five"), 5);
    add(QStringLiteral("http://seven/"), QStringLiteral("Seven"), 7);
    ASSERT_TRUE(rating.locate({6}, p)); // at or after 6 in "highest first" order is 5
    ASSERT_TRUE(rating.forward(p, 1, true, page));
    EXPECT_EQ(page.rows[0].location().Rating, 5);
}

TEST_F(ViewTest, RangeAndFilterLimitRowsAndCount)
{
    ASSERT_TRUE(c().categories().insert({QStringLiteral("News"), 0, {}}));
    for (int i = 0; i < 12; ++i)
        add(QStringLiteral("http://news/%1").arg(i),
            QStringLiteral("News %1").arg(i, 2, 10, QLatin1Char('0')),
            i % 4,
            i % 3 ? QStringLiteral("News") : QStringLiteral("General"));
    View v(c(), Keys::urlCategory());
    v.setRange({QStringLiteral("NEWS")});
    qint64 n = 0;
    ASSERT_TRUE(v.count(n));
    EXPECT_EQ(n, 8);
    const auto rows = readForward(v, 3);
    ASSERT_EQ(rows.size(), 8u);
    for (const ViewRow &r : rows)
        EXPECT_EQ(r.location().Category, QStringLiteral("News"));
    EXPECT_EQ(addresses(readBackward(v, 3)), addresses(rows));

    // Locate inside the range takes the components after it.
    ViewPosition p;
    ASSERT_TRUE(v.locate({QStringLiteral("News 05")}, p));
    ViewPage page;
    ASSERT_TRUE(v.forward(p, 1, true, page));
    EXPECT_EQ(page.rows[0].location().Description, QStringLiteral("News 05"));

    v.setFilter(
        {QStringLiteral("Rating >= ? AND Location <> ?"), {2, QStringLiteral("http://news/10")}});
    ASSERT_TRUE(v.count(n));
    const auto filtered = readForward(v, 2);
    EXPECT_EQ(qint64(filtered.size()), n);
    for (const ViewRow &r : filtered) {
        EXPECT_GE(r.location().Rating, 2);
        EXPECT_NE(r.location().Location, QStringLiteral("http://news/10"));
    }
    EXPECT_EQ(n, 3); // News rows rated 2 or 3 are i = 2, 7, 10, 11; 10 is filtered out

    v.setFilter({QStringLiteral("NoSuchColumn = 1"), {}});
    const StoreStatus bad = v.count(n);
    EXPECT_FALSE(bad);
    EXPECT_EQ(bad.catalogueNumber, 43);
}

TEST_F(ViewTest, EveryKeyPagesFromItsIndex)
{
    add(QStringLiteral("http://x/"), QStringLiteral("x"), 1);
    for (const KeyDef *key : allKeys()) {
        View v(c(), *key);
        for (bool reverse : {false, true}) {
            for (bool fromPosition : {false, true}) {
                SQLite::Statement plan(c().db(),
                                       QString(u"EXPLAIN QUERY PLAN "_s
                                               + v.forwardSql(fromPosition, false, reverse))
                                           .toStdString());
                QString detail;
                while (plan.executeStep())
                    detail += QString::fromUtf8(plan.getColumn(3).getText()) + QLatin1Char('\n');
                EXPECT_TRUE(detail.contains(QLatin1String(key->sqlIndex))) << key->name << "\n"
                                                                           << detail.toStdString();
                EXPECT_FALSE(detail.contains(QLatin1String("TEMP B-TREE"))) << key->name << "\n"
                                                                            << detail.toStdString();
                if (fromPosition) {
                    EXPECT_TRUE(detail.contains(QLatin1String("SEARCH"))) << key->name << "\n"
                                                                          << detail.toStdString();
                }
            }
        }
    }
    // A range on the leading component with a position is still one index search.
    View ranged(c(), Keys::urlCategory());
    ranged.setRange({QStringLiteral("General")});
    SQLite::Statement plan(c().db(),
                           QString(u"EXPLAIN QUERY PLAN "_s + ranged.forwardSql(true, false, false))
                               .toStdString());
    ASSERT_TRUE(plan.executeStep());
    const QString detail = QString::fromUtf8(plan.getColumn(3).getText());
    EXPECT_TRUE(detail.contains(QLatin1String("SEARCH"))) << detail.toStdString();
    EXPECT_TRUE(detail.contains(QLatin1String("URL_K_Category"))) << detail.toStdString();
}

TEST_F(ViewTest, EmptyViewAndOtherTables)
{
    View v(c(), Keys::urlLocation());
    ViewPage page;
    ASSERT_TRUE(v.firstPage(10, page));
    EXPECT_TRUE(page.rows.empty());
    EXPECT_TRUE(page.atStart);
    EXPECT_TRUE(page.atEnd);
    ViewPosition p;
    EXPECT_EQ(v.locate({QStringLiteral("a")}, p).error, StoreError::RecordNotFound);

    View cats(c(), Keys::catCategory());
    ASSERT_TRUE(cats.firstPage(10, page));
    ASSERT_EQ(page.rows.size(), 1u);
    EXPECT_EQ(page.rows[0].category().Category, QStringLiteral("General"));
}

} // namespace
} // namespace pk::test
