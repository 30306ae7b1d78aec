#include "locationdb.h"

#include "browse/query/fieldsearch.h"
#include "framework/scripteduserinterface.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

const QString Description = QStringLiteral(
    "Description|@S100|URL:Description|Location|@S255|URL:Location|Rating|@N2b|URL:Rating|"
    "Last Visit|@d17|URL:LastVisit|");

TEST(FieldSearch, DescriptionGivesThreeParallelLists)
{
    const FieldSearch search(Description + QStringLiteral("Incomplete|@s20"));
    EXPECT_EQ(search.labels(),
              QStringList({u"Description"_s, u"Location"_s, u"Rating"_s, u"Last Visit"_s}));
    EXPECT_EQ(search.pictures(), QStringList({u"@S100"_s, u"@S255"_s, u"@N2b"_s, u"@d17"_s}));
    EXPECT_EQ(search.fieldNames().at(3), QStringLiteral("URL:LastVisit"));

    const FieldSearch noFinalBar(QStringLiteral("A|@s5|T:A|B|@s5|T:B"));
    EXPECT_EQ(noFinalBar.fieldNames(), QStringList({u"T:A"_s, u"T:B"_s}));
    const FieldSearch longPart(QString(40, u'L') + QStringLiteral("|@s5|T:A|"));
    EXPECT_EQ(longPart.labels().first().size(), FieldSearch::MaxPart);
}

TEST(FieldSearch, ValueAsSearchedAddsStarsOnlyToPlainTextValues)
{
    EXPECT_EQ(FieldSearch::searchedValue(QStringLiteral("computer"), QStringLiteral("@S100")),
              QStringLiteral("*computer*"));
    EXPECT_EQ(FieldSearch::searchedValue(QStringLiteral("computer   "), QStringLiteral("@s20")),
              QStringLiteral("*computer*"));
    EXPECT_EQ(FieldSearch::searchedValue(QStringLiteral("Co??uter"), QStringLiteral("@S100")),
              QStringLiteral("Co??uter"));
    EXPECT_EQ(FieldSearch::searchedValue(QStringLiteral("*puter"), QStringLiteral("@S100")),
              QStringLiteral("*puter"));
    EXPECT_EQ(FieldSearch::searchedValue(QStringLiteral("5"), QStringLiteral("@N2b")),
              QStringLiteral("5"));
    EXPECT_EQ(FieldSearch::searchedValue(QStringLiteral("12/07/2026"), QStringLiteral("@d17")),
              QStringLiteral("12/07/2026"));
}

TEST(FieldSearch, ExpressionDoublesQuotesAndAsksForCaseInsensitiveMatch)
{
    FieldSearch search(Description);
    search.open({});
    EXPECT_EQ(search.currentField(), 0);
    EXPECT_TRUE(search.expression().isEmpty());
    search.setValue(QStringLiteral("O'Neil"));
    EXPECT_EQ(search.expression(), QStringLiteral("MATCH(URL:Description,'*O''Neil*',17)"));
    search.setCurrentField(2);
    EXPECT_EQ(search.expression(), QStringLiteral("MATCH(URL:Rating,'O''Neil',17)"));
    search.setCurrentField(-1);
    EXPECT_TRUE(search.expression().isEmpty());
    search.setValue(QString(80, u'v'));
    EXPECT_EQ(search.value().size(), FieldSearch::MaxValue);
}

TEST(FieldSearch, ReopeningShowsTheLastFieldAndValue)
{
    FieldSearch search(Description);
    search.open({QStringLiteral("Location"), QStringLiteral("example"), false});
    EXPECT_EQ(search.currentField(), 1);
    EXPECT_EQ(search.value(), QStringLiteral("example"));
    EXPECT_EQ(search.valueAsSearched(), QStringLiteral("*example*"));
    EXPECT_EQ(search.expression(), QStringLiteral("MATCH(URL:Location,'*example*',17)"));

    search.open({QStringLiteral("Gone"), QString(), false});
    EXPECT_EQ(search.currentField(), 0);
    EXPECT_TRUE(search.value().isEmpty());
}

TEST(FieldSearch, FindWritesBackAndFindNextSetsTheFlag)
{
    ScriptedUserInterface ui;
    FieldSearch search(Description);
    FieldSearchMemory memory;
    search.open(memory);
    search.setCurrentField(1);
    search.setValue(QStringLiteral("Co??uter"));

    std::optional<QString> found = search.find(false, memory, ui);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, QStringLiteral("MATCH(URL:Location,'Co??uter',17)"));
    EXPECT_EQ(memory.label, QStringLiteral("Location"));
    EXPECT_EQ(memory.value, QStringLiteral("Co??uter"));
    EXPECT_FALSE(memory.findNext);

    found = search.find(true, memory, ui);
    ASSERT_TRUE(found);
    EXPECT_TRUE(memory.findNext);
    EXPECT_TRUE(ui.interactions().isEmpty());

    search.setCurrentField(-1);
    FieldSearchMemory untouched;
    EXPECT_FALSE(search.find(false, untouched, ui));
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions().first().title, QStringLiteral("Error"));
    EXPECT_EQ(ui.interactions().first().text, QStringLiteral("Select a field first."));
    EXPECT_TRUE(untouched.label.isEmpty());
}

TEST(FieldSearch, TheExpressionFindsRowsThroughTheFilterLanguage)
{
    test::LocationDb db;
    db.insert({u"http://a/"_s, u"Pages of O'Neil"_s, u"News"_s, 0, 0, 0, 0, {}});
    db.insert({u"http://b/"_s, u"Computer shop"_s, u"Tech"_s, 7, 0, 0, 0, {}});
    FieldSearch search(Description);
    search.open({});
    search.setValue(QStringLiteral("o'neil"));
    QString error;
    EXPECT_EQ(db.select(search.expression(), &error), QStringList({u"http://a/"_s}))
        << error.toStdString();
    search.setValue(QStringLiteral("CO??UTER*"));
    EXPECT_EQ(db.select(search.expression(), &error), QStringList({u"http://b/"_s}))
        << error.toStdString();
    search.setCurrentField(2);
    search.setValue(QStringLiteral("7"));
    EXPECT_EQ(db.select(search.expression(), &error), QStringList({u"http://b/"_s}))
        << error.toStdString();
}

} // namespace
