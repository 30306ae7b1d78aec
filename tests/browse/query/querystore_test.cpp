// The filter language through the store: names resolved by the store's field definitions, the
// compiled filter installed on a real view of a collection, rows paged in key order.

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/view.h"
#include "support/tempcollection.h"

#include <gtest/gtest.h>

#include <QDate>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

TEST(StoreFieldResolver, UsesTheStoresColumnsAndTypes)
{
    const QueryFieldResolver resolve = storeFieldResolver();
    const std::optional<QueryFieldRef> location = resolve(QStringLiteral("url:location"));
    ASSERT_TRUE(location);
    EXPECT_EQ(location->sql, QStringLiteral("\"Location\""));
    EXPECT_EQ(location->kind, QueryValueKind::Text);
    EXPECT_EQ(resolve(QStringLiteral("URL:Expires"))->kind, QueryValueKind::Date);
    EXPECT_EQ(resolve(QStringLiteral("URL:LastVisit"))->kind, QueryValueKind::Date);
    EXPECT_EQ(resolve(QStringLiteral("URL:Rating"))->kind, QueryValueKind::Number);
    EXPECT_EQ(resolve(QStringLiteral("CAT:Description"))->kind, QueryValueKind::Text);
    EXPECT_FALSE(resolve(QStringLiteral("Export:Category")));
    EXPECT_EQ(storeFieldResolver(true)(QStringLiteral("CAT:Flag"))->sql,
              QStringLiteral("\"Categories\".\"Flag\""));
}

TEST(QueryThroughStore, FilterInstalledOnAViewPagesInKeyOrder)
{
    test::TempCollection temp;
    Collection collection(temp.folder());
    ASSERT_TRUE(collection.openAll(true)) << collection.openAll(true).describe().toStdString();
    for (const char *category : {"News", "Tech"}) {
        CategoryRecord c;
        c.Category = QString::fromLatin1(category);
        ASSERT_TRUE(collection.categories().insert(c));
    }
    const qint32 march = QueryCompiler::dayNumber(QDate(2024, 3, 1));
    struct Row
    {
        const char *location, *description, *category;
        int rating;
        qint32 visit;
    };
    for (const Row &r : {Row{"http://c/", "charlie O'Neil", "News", 5, march},
                         Row{"http://a/", "Alpha 100%", "Tech", 9, 0},
                         Row{"http://b/", "bravo_o'neil", "news", 1, march + 1},
                         Row{"http://d/", "delta", "Tech", 7, march}}) {
        LocationRecord l;
        l.Location = QString::fromLatin1(r.location);
        l.Description = QString::fromLatin1(r.description);
        l.Category = QString::fromLatin1(r.category);
        l.Rating = r.rating;
        l.LastVisit = r.visit;
        ASSERT_TRUE(collection.locations().insert(l));
    }

    auto page = [&](const QString &expression) {
        QueryCompileContext context;
        context.resolveField = storeFieldResolver();
        QueryError error;
        const std::optional<SqlFilter> filter
            = QueryExpression::parse(expression).compile(context, error);
        EXPECT_TRUE(filter) << error.describe().toStdString();
        View view(collection, Keys::urlDescription());
        view.setFilter(filter.value_or(SqlFilter{}));
        ViewPage out;
        const StoreStatus status = view.firstPage(50, out);
        EXPECT_TRUE(status) << status.describe().toStdString();
        QStringList locations;
        for (const ViewRow &row : out.rows)
            locations.append(row.location().Location);
        return locations;
    };

    EXPECT_EQ(page(QStringLiteral("MATCH(URL:Description,'*O''Neil*',17)")),
              QStringList({u"http://b/"_s, u"http://c/"_s}));
    EXPECT_EQ(page(QStringLiteral(
                  "URL:Description CONTAINS '%' OR URL:Category = 'NEWS' AND URL:Rating > 3")),
              QStringList({u"http://a/"_s, u"http://c/"_s}));
    EXPECT_EQ(page(QStringLiteral(
                  "URL:LastVisit = '2024-03-01' AND NOT URL:Description BEGINS WITH 'D'")),
              QStringList({u"http://c/"_s}));
    EXPECT_EQ(page(QString()).size(), 4);
}

} // namespace
