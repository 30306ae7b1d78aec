#include "locationdb.h"

#include "browse/query/queryexpression.h"

#include <gtest/gtest.h>

#include <random>

using namespace pk;

namespace {

/// Feeds the parser and compiler random input: any text must give a tree or an error with a
/// position inside the text, and whatever compiles must be SQL that SQLite accepts and runs.
class QueryFuzz : public ::testing::Test
{
protected:
    void check(const QString &text)
    {
        const QueryExpression e = QueryExpression::parse(text);
        if (!e.isValid()) {
            ++refused;
            ASSERT_GE(e.error().position, 0) << text.toStdString();
            ASSERT_LE(e.error().position, text.size()) << text.toStdString();
            ASSERT_FALSE(e.error().reason.isEmpty());
            return;
        }
        QueryCompileContext context;
        context.resolveField = db.fields().resolver();
        context.setVariable(QStringLiteral("Export:Category"), QStringLiteral("News"));
        context.setVariable(QStringLiteral("Export:Rating"), 3);
        QueryError error;
        const std::optional<SqlFilter> filter = e.compile(context, error);
        if (!filter) {
            ++refused;
            ASSERT_TRUE(error.isError());
            return;
        }
        if (filter->where.isEmpty())
            return;
        ++compiled;
        QString why;
        ASSERT_TRUE(db.prepares(*filter, &why))
            << text.toStdString() << " -> " << why.toStdString();
    }

    test::LocationDb db;
    int refused = 0;
    int compiled = 0;
};

TEST_F(QueryFuzz, RandomCharacters)
{
    std::mt19937 random(20261207);
    const QString alphabet = QStringLiteral(
        "URL:Ratingdescription ()',=<>!-*?0123456789ANDORNOT\"\\%_ß😀\t");
    for (int round = 0; round < 20000; ++round) {
        const int length = static_cast<int>(random() % 60);
        QString text;
        for (int i = 0; i < length; ++i)
            text += alphabet.at(static_cast<qsizetype>(random() % alphabet.size()));
        check(text);
    }
}

TEST_F(QueryFuzz, RandomTokens)
{
    std::mt19937 random(1024);
    const char *const pieces[] = {
        "URL:Rating",
        "URL:Description",
        "URL:LastVisit",
        "URL:Validated",
        "URL:Category",
        "Export:Category",
        "Export:Rating",
        "URL:Nope",
        "MATCH(",
        "UPPER(",
        "LOWER(",
        "(",
        ")",
        ",",
        "=",
        "<>",
        "!=",
        "<",
        ">",
        "<=",
        ">=",
        "CONTAINS",
        "BEGINS",
        "WITH",
        "NOT",
        "IS",
        "CHECKED",
        "AND",
        "OR",
        "'x'",
        "'O''Neil'",
        "''",
        "'2024-03-01'",
        "17",
        "1",
        "-3",
        "2.5",
        "'*a?'",
    };
    const int count = static_cast<int>(std::size(pieces));
    for (int round = 0; round < 30000; ++round) {
        const int length = 1 + static_cast<int>(random() % 12);
        QString text;
        for (int i = 0; i < length; ++i) {
            text += QString::fromLatin1(pieces[random() % count]);
            text += u' ';
        }
        check(text);
    }
    // The token mix is meant to reach the compiler and SQLite often, not only the parser.
    EXPECT_GT(compiled, 300);
    EXPECT_GT(refused, 1000);
}

} // namespace
