#include "locationdb.h"

#include "browse/query/queryexpression.h"
#include "store/sqlfunctions.h"

#include <gtest/gtest.h>

#include <QDate>

using namespace Qt::StringLiterals;

using namespace pk;
using pk::test::LocationDb;
using pk::test::LocationRow;

namespace {

class QueryLanguageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const qint32 march = QueryCompiler::dayNumber(QDate(2024, 3, 1));
        db.insert({u"a"_s, u"O'Neil's page"_s, u"News"_s, 5, 1, march, 0, u"100%"_s});
        db.insert({u"b"_s, u"Percent 100% sure"_s, u"news"_s, 3, 2, 0, march + 30, u"a_b"_s});
        db.insert({u"c"_s,
                   QStringLiteral("Straße und Ärger"),
                   QStringLiteral("Ünicode"),
                   0,
                   0,
                   0,
                   0,
                   u""_s});
        db.insert({u"d"_s, u"under_score"_s, u"Tech"_s, -1, 0, 0, 0, u""_s});
        db.insert({u"e"_s, u"Computer shop"_s, u"Tech"_s, 10, 1, march - 400, 0, u"*"_s});
    }

    QStringList select(const QString &expression, const QHash<QString, QVariant> &vars = {})
    {
        QString error;
        const QStringList rows = db.select(expression, &error, vars);
        EXPECT_TRUE(error.isEmpty()) << expression.toStdString() << ": " << error.toStdString();
        return rows;
    }

    LocationDb db;
};

struct SelectCase
{
    const char *expression;
    const char *expected; // locations joined by ","
};

class QuerySelects : public QueryLanguageTest, public ::testing::WithParamInterface<SelectCase>
{};

TEST_P(QuerySelects, SelectsTheExpectedLocations)
{
    const SelectCase &c = GetParam();
    const QString expected = QString::fromUtf8(c.expected);
    EXPECT_EQ(select(QString::fromUtf8(c.expression)).join(u','), expected) << c.expression;
}

INSTANTIATE_TEST_SUITE_P(
    Filters,
    QuerySelects,
    ::testing::Values(
        // Text comparisons ignore letter case, Unicode included, and trailing blanks.
        SelectCase{"URL:Category = 'NEWS'", "a,b"},
        SelectCase{"url:category = 'news   '", "a,b"},
        SelectCase{"URL:Category = 'ünicode'", "c"},
        SelectCase{"URL:Category <> 'news'", "c,d,e"},
        SelectCase{"URL:Category < 'o'", "a,b"},
        SelectCase{"URL:Description CONTAINS 'ÄRGER'", "c"},
        // Quotes, percent signs, underscores and stars are plain characters outside MATCH.
        SelectCase{"URL:Description CONTAINS '''s'", "a"},
        SelectCase{"URL:Description CONTAINS '%'", "b"},
        SelectCase{"URL:Description CONTAINS '_'", "d"},
        SelectCase{"URL:Custom1 = 'a_b'", "b"},
        SelectCase{"URL:Custom1 = 'aXb'", ""},
        SelectCase{"URL:Custom1 = '*'", "e"},
        SelectCase{"URL:Custom1 BEGINS WITH '100'", "a"},
        SelectCase{"URL:Description BEGINS WITH 'comp'", "e"},
        SelectCase{"URL:Description NOT BEGINS WITH 'comp'", "a,b,c,d"},
        SelectCase{"URL:Description NOT CONTAINS 'o'", "b,c"},
        // MATCH: whole-value wildcards, 17 ignores case, 1 does not.
        SelectCase{"MATCH(URL:Description,'*O''Neil*',17)", "a"},
        SelectCase{"MATCH(URL:Description,'*o''neil*',17)", "a"},
        SelectCase{"MATCH(URL:Description,'*o''neil*',1)", ""},
        SelectCase{"MATCH(URL:Description,'co??uter*',17)", "e"},
        SelectCase{"MATCH(URL:Description,'co??uter',17)", ""},
        SelectCase{"MATCH(URL:Description,'*100%*',17)", "b"},
        SelectCase{"MATCH(URL:Description,'*_*',17)", "d"},
        SelectCase{"MATCH(URL:Description,'stra?e*',17)", "c"},
        SelectCase{"MATCH(URL:Description,'*ärger',17)", "c"},
        SelectCase{"MATCH(URL:Description,'*',17)", "a,b,c,d,e"},
        // Numbers, dates and checks.
        SelectCase{"URL:Rating >= 5", "a,e"},
        SelectCase{"URL:Rating < 0", "d"},
        SelectCase{"URL:Rating = -1", "d"},
        SelectCase{"URL:Rating <= 3.5 AND URL:Rating > -0.5", "b,c"},
        SelectCase{"URL:Validated IS CHECKED", "a,b,e"},
        SelectCase{"URL:Validated IS NOT CHECKED", "c,d"},
        SelectCase{"URL:LastVisit >= '2024-01-01'", "a"},
        SelectCase{"URL:LastVisit = '2024-03-01'", "a"},
        SelectCase{"URL:LastVisit > 0 AND URL:LastVisit < '2024-01-01'", "e"},
        SelectCase{"URL:Expires = ''", "a,c,d,e"},
        SelectCase{"URL:Expires > '2024-03-15'", "b"},
        // AND binds tighter than OR; parentheses and NOT.
        SelectCase{"URL:Category = 'Tech' OR URL:Category = 'News' AND URL:Rating = 3", "b,d,e"},
        SelectCase{"(URL:Category = 'Tech' OR URL:Category = 'News') AND URL:Rating = 3", "b"},
        SelectCase{"URL:Rating > 2 and url:category = 'news' or URL:Rating = 10", "a,b,e"},
        SelectCase{"NOT URL:Category = 'Tech'", "a,b,c"},
        SelectCase{"NOT (URL:Category = 'Tech' OR URL:Rating = 5)", "b,c"},
        SelectCase{"NOT NOT URL:Rating = 5", "a"},
        SelectCase{"URL:Custom1", "a,b,e"},
        SelectCase{"UPPER(URL:Category) = UPPER('nEwS')", "a,b"},
        SelectCase{"LOWER(URL:Category) = 'TECH'", "d,e"},
        // A value that tries to end the SQL is only a value.
        SelectCase{"URL:Description = 'x''); DROP TABLE Locations; --'", ""}));

TEST_F(QueryLanguageTest, NamedVariablesAreBoundValues)
{
    EXPECT_EQ(select(u"UPPER(URL:Category) = UPPER(Export:Category)"_s,
                     {{u"Export:Category"_s, u"NEWS"_s}}),
              QStringList({u"a"_s, u"b"_s}));
    EXPECT_EQ(select(u"URL:Rating = Export::Rating"_s, {{u"export::rating"_s, 10}}),
              QStringList({u"e"_s}));
    EXPECT_EQ(select(u"URL:LastVisit = Export:Day"_s, {{u"Export:Day"_s, QDate(2024, 3, 1)}}),
              QStringList({u"a"_s}));
    EXPECT_EQ(select(u"URL:Description CONTAINS Find:Value"_s, {{u"Find:Value"_s, u"o'neil"_s}}),
              QStringList({u"a"_s}));
    EXPECT_EQ(db.scalar(u"SELECT count(*) FROM Locations"_s).toInt(), 5);
}

TEST_F(QueryLanguageTest, CompiledFilterBindsEveryLiteral)
{
    const QueryExpression e = QueryExpression::parse(u"URL:Category = 'it''s' OR URL:Rating > 3"_s);
    QueryCompileContext context;
    context.resolveField = db.fields().resolver();
    QueryError error;
    const std::optional<SqlFilter> filter = e.compile(context, error);
    ASSERT_TRUE(filter);
    EXPECT_FALSE(filter->where.contains(u'\''));
    EXPECT_EQ(filter->bindings, QVariantList({QStringLiteral("IT'S"), qlonglong(3)}));
}

TEST_F(QueryLanguageTest, QualifiedColumnsForJoinedTables)
{
    const QueryFieldResolver resolve = db.fields().resolver([](const QString &prefix) {
        return prefix == u"URL" ? QStringLiteral("Locations") : QString();
    });
    const std::optional<QueryFieldRef> ref = resolve(QStringLiteral("URL:LastVisit"));
    ASSERT_TRUE(ref);
    EXPECT_EQ(ref->sql, QStringLiteral("\"Locations\".\"LastVisit\""));
    EXPECT_EQ(ref->kind, QueryValueKind::Date);
    EXPECT_FALSE(resolve(QStringLiteral("URL:Nothing")));
}

TEST_F(QueryLanguageTest, EmptyExpressionSelectsEverything)
{
    const QueryExpression e = QueryExpression::parse(u"   "_s);
    EXPECT_TRUE(e.isValid());
    EXPECT_TRUE(e.isEmpty());
    EXPECT_EQ(select(QString()).size(), 5);
}

TEST_F(QueryLanguageTest, LengthLimitIs1024Characters)
{
    QString expression = QStringLiteral("URL:Rating = 5");
    while (expression.size() < 900)
        expression += QStringLiteral(" OR URL:Rating = 99");
    expression += QStringLiteral(" AND URL:Custom1 <> '");
    expression += QString(QueryExpression::MaxLength - expression.size() - 1, u'x');
    expression += u'\'';
    ASSERT_EQ(expression.size(), 1024);
    EXPECT_EQ(select(expression), QStringList({u"a"_s}));

    const QueryExpression tooLong = QueryExpression::parse(expression + u' ');
    EXPECT_FALSE(tooLong.isValid());
    EXPECT_EQ(tooLong.error().position, 1024);
    EXPECT_TRUE(tooLong.error().reason.contains(QStringLiteral("1024")));
}

TEST(QueryDayNumbers, FollowTheCollectionCalendar)
{
    EXPECT_EQ(QueryCompiler::dayNumber(QDate(1801, 1, 1)), 4);
    EXPECT_EQ(QueryCompiler::dayNumber(QDate(1992, 8, 23)), 70000);
    EXPECT_EQ(QueryCompiler::dayNumber(QDate()), 0);
}

struct ErrorCase
{
    const char *expression;
    int position; // 0-based
    const char *reasonPart;
};

class QueryErrors : public QueryLanguageTest, public ::testing::WithParamInterface<ErrorCase>
{};

TEST_P(QueryErrors, ReportPositionAndReason)
{
    const ErrorCase &c = GetParam();
    const QueryExpression e = QueryExpression::parse(QString::fromUtf8(c.expression));
    QueryError error = e.error();
    if (e.isValid()) {
        QueryCompileContext context;
        context.resolveField = db.fields().resolver();
        EXPECT_FALSE(e.compile(context, error)) << c.expression;
    }
    EXPECT_EQ(error.position, c.position) << c.expression << ": " << error.describe().toStdString();
    EXPECT_TRUE(error.reason.contains(QString::fromUtf8(c.reasonPart), Qt::CaseInsensitive))
        << c.expression << ": " << error.describe().toStdString();
    EXPECT_TRUE(
        error.describe().startsWith(QStringLiteral("Error at character %1:").arg(c.position + 1)));
}

INSTANTIATE_TEST_SUITE_P(
    BadExpressions,
    QueryErrors,
    ::testing::Values(ErrorCase{"URL:Category =", 14, "expected a field"},
                      ErrorCase{"(URL:Rating = 1", 15, "expected ')'"},
                      ErrorCase{"URL:Rating = 1 AND", 18, "expected a field"},
                      ErrorCase{"URL:Rating = 1)", 14, "expected AND, OR"},
                      ErrorCase{"URL:Rating 1", 11, "expected AND, OR"},
                      ErrorCase{"URL:Description = 'abc", 18, "closing quote"},
                      ErrorCase{"URL:Description = \"abc\"", 18, "single quotes"},
                      ErrorCase{"URL:Rating # 1", 11, "unexpected character"},
                      ErrorCase{"URL: = 1", 3, "must not end with ':'"},
                      ErrorCase{"URL:Nope = 1", 0, "unknown field or variable 'URL:Nope'"},
                      ErrorCase{"URL:Rating = 'abc'", 13, "not a number"},
                      ErrorCase{"URL:LastVisit = 'soon'", 16, "not a date"},
                      ErrorCase{"MATCH(URL:Description,'x',5)", 26, "mode"},
                      ErrorCase{"MATCH(URL:Description,'x')", 25, "','"},
                      ErrorCase{"FOO(1) = 1", 0, "unknown function"},
                      ErrorCase{"UPPER(URL:Category)", 19, "expected a comparison"},
                      ErrorCase{"'a' IS CHECKED", 0, "applies to a field"},
                      ErrorCase{"URL:Rating IS 1", 14, "expected CHECKED"},
                      ErrorCase{"URL:Description BEGINS 'x'", 23, "expected WITH"},
                      ErrorCase{"URL:Rating = 1 OR OR", 18, "expected a field"},
                      ErrorCase{"URL:Rating = 12abc", 15, "after a number"}));

TEST(QueryParserLimits, DeepNestingIsRefusedNotRecursed)
{
    const QString deep = QString(500, u'(') + QStringLiteral("URL:Rating = 1") + QString(500, u')');
    const QueryExpression e = QueryExpression::parse(deep);
    EXPECT_FALSE(e.isValid());
    EXPECT_TRUE(e.error().reason.contains(QStringLiteral("nested too deeply")));

    QString nots;
    for (int i = 0; i < 200; ++i)
        nots += QStringLiteral("NOT ");
    EXPECT_FALSE(QueryExpression::parse(nots + QStringLiteral("URL:Rating = 1")).isValid());
}

TEST(QueryParser, BlankQueryMeansNoQuery)
{
    EXPECT_TRUE(QueryExpression::parse(QString()).isValid());
    EXPECT_EQ(QueryExpression::quote(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'"));
}

TEST(WildcardMatch, MatchesWholeValuesByCharacter)
{
    EXPECT_TRUE(wildcardMatch(QStringLiteral("Computer"), QStringLiteral("co??uter"), true));
    EXPECT_FALSE(wildcardMatch(QStringLiteral("Computer"), QStringLiteral("co??uter"), false));
    EXPECT_TRUE(wildcardMatch(QStringLiteral("a😀b"), QStringLiteral("a?b"), false));
    EXPECT_TRUE(wildcardMatch(QStringLiteral("aXbXc"), QStringLiteral("*b*c"), false));
    EXPECT_FALSE(wildcardMatch(QStringLiteral("abc"), QStringLiteral("*b"), false));
    EXPECT_TRUE(wildcardMatch(QString(), QStringLiteral("*"), false));
    EXPECT_FALSE(wildcardMatch(QStringLiteral("x"), QString(), false));
}

} // namespace

namespace {

TEST(SqlFunctions, UnicodeCaseAndMalformedText)
{
    LocationDb db;
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_UPPER('straße café')")).toString(),
              QStringLiteral("STRASSE CAFÉ"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_LOWER('ÄB')")).toString(), QStringLiteral("äb"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_UPPER(12)")).toLongLong(), 12);
    // A malformed byte counts as one character and never stops the scan.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_MATCH(CAST(x'41FF42' AS TEXT), 'a?b', 17)"))
                  .toLongLong(),
              1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_CONTAINS(CAST(x'41FF42' AS TEXT), 'b', 1)"))
                  .toLongLong(),
              1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_BEGINS('Ärger', 'äR', 1)")).toLongLong(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_BEGINS('Ärger', 'äR', 0)")).toLongLong(), 0);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PK_MATCH(NULL, '*', 17)")).toLongLong(), 1);
    // An unknown mode is an SQL error, not a silent non-match.
    EXPECT_FALSE(db.scalar(QStringLiteral("SELECT PK_MATCH('a', 'a', 3)")).isValid());
}

} // namespace
