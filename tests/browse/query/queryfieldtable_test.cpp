#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "framework/scripteduserinterface.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

QString row(const QStringList &columns)
{
    return columns.join(QueryFieldTable::ColumnSeparator) + QueryFieldTable::RowSeparator;
}

TEST(QueryFieldTable, LocationsTableHasTheTwentyFieldsInRecordOrder)
{
    QueryFieldTable table(QStringLiteral("URL"));
    ASSERT_EQ(table.load(QueryFieldTexts::locations()), 0);
    ASSERT_EQ(table.size(), 20);
    const QStringList names = {u"URL:Location"_s,     u"URL:Description"_s,      u"URL:Category"_s,
                               u"URL:Rating"_s,       u"URL:Keyword"_s,          u"URL:SiteInfo"_s,
                               u"URL:LastVisit"_s,    u"URL:LastValidated"_s,    u"URL:Validated"_s,
                               u"URL:MovedTo"_s,      u"URL:Comments"_s,         u"URL:UserName"_s,
                               u"URL:Password"_s,     u"URL:Expires"_s,          u"URL:PageSize"_s,
                               u"URL:EmailAddress"_s, u"URL:OriginalFilename"_s, u"URL:Custom1"_s,
                               u"URL:Custom2"_s,      u"URL:Custom3"_s};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(table.at(i).name, names.at(i));
    EXPECT_EQ(table.at(0).prompt, QStringLiteral("Location (URL)"));
    EXPECT_EQ(table.at(8).prompt, QStringLiteral("Validated 0=Unknown, 1=Pass, 2=Fail"));
    EXPECT_EQ(table.at(19).prompt, QStringLiteral("Custom information field #3"));

    const QueryField *rating = table.find(QStringLiteral("url:rating"));
    ASSERT_TRUE(rating);
    EXPECT_EQ(rating->picture, QStringLiteral("@N2"));
    EXPECT_EQ(rating->type, QueryField::Type::Number);
    EXPECT_EQ(table.find(QStringLiteral("URL:SiteInfo"))->length, 2048);
    const QueryField *visit = table.find(QStringLiteral("URL:LastVisit"));
    EXPECT_EQ(visit->picture, QStringLiteral("@d17"));
    EXPECT_EQ(visit->type, QueryField::Type::Number);
    EXPECT_TRUE(visit->isDate());
    const QueryField *validated = table.find(QStringLiteral("URL:Validated"));
    EXPECT_EQ(validated->control, QueryField::Control::DropList);
    EXPECT_EQ(validated->choices, QStringList({u"Unknown"_s, u"Passed"_s, u"Failed"_s}));
    const QueryField *expires = table.find(QStringLiteral("URL:Expires"));
    EXPECT_EQ(expires->picture, QStringLiteral("@d17b"));
    EXPECT_EQ(expires->type, QueryField::Type::Date);
    EXPECT_EQ(table.find(QStringLiteral("URL:PageSize"))->picture, QStringLiteral("@n-14"));
    EXPECT_EQ(table.find(QStringLiteral("URL:Location"))->column(), QStringLiteral("Location"));
}

TEST(QueryFieldTable, ExportKeywordAndDetailTables)
{
    QueryFieldTable exports;
    ASSERT_EQ(exports.load(QueryFieldTexts::exports()), 0);
    ASSERT_EQ(exports.size(), 23);
    EXPECT_EQ(exports.at(0).name, QStringLiteral("CAT:Category"));
    EXPECT_EQ(exports.at(1).name, QStringLiteral("CAT:Flag"));
    EXPECT_EQ(exports.at(1).control, QueryField::Control::CheckBox);
    EXPECT_EQ(exports.at(1).choices, QStringList({u"Flag"_s}));
    EXPECT_EQ(exports.at(1).length, 1);
    EXPECT_EQ(exports.at(2).name, QStringLiteral("CAT:Description"));
    EXPECT_EQ(exports.at(2).length, 1000);
    EXPECT_EQ(exports.at(3).name, QStringLiteral("URL:Location"));

    QueryFieldTable keywords;
    ASSERT_EQ(keywords.load(QueryFieldTexts::keywords()), 0);
    ASSERT_EQ(keywords.size(), 2);
    EXPECT_EQ(keywords.at(1).name, QStringLiteral("UDK:Keyword"));
    EXPECT_EQ(keywords.at(1).picture, QStringLiteral("@s32"));

    QueryFieldTable details;
    ASSERT_EQ(details.load(QueryFieldTexts::details()), 0);
    ASSERT_EQ(details.size(), 3);
    EXPECT_EQ(details.at(1).prompt, QStringLiteral("Label"));
    EXPECT_EQ(details.at(2).prompt, QStringLiteral("Value"));
    EXPECT_EQ(details.at(2).length, 90);
}

TEST(QueryFieldTable, LoadErrorsAreNumberedAndLeaveTheTableEmpty)
{
    const QStringList good = {u"Rating"_s,
                              u"0"_s,
                              u"URL:Rating"_s,
                              u"@N2"_s,
                              u"2"_s,
                              u"2"_s,
                              u"1"_s,
                              u""_s,
                              u""_s,
                              u""_s};
    struct Case
    {
        QString text;
        int error;
    };
    QStringList wrongType = good;
    wrongType[5] = QStringLiteral("3");
    QStringList badLength = good;
    badLength[4] = QStringLiteral("x");
    QStringList badControl = good;
    badControl[6] = QStringLiteral("9");
    QStringList noName = good;
    noName[2] = QStringLiteral("Rating");
    const QList<Case> cases = {
        {QString(), QueryFieldTable::EmptyTable},
        {row(good.mid(0, 9)), QueryFieldTable::WrongColumnCount},
        {row(wrongType), QueryFieldTable::BadType},
        {row(badLength), QueryFieldTable::BadLength},
        {row(badControl), QueryFieldTable::BadControl},
        {row(noName), QueryFieldTable::MissingName},
        {row(good) + row(good), QueryFieldTable::DuplicateName},
    };
    for (const Case &c : cases) {
        QueryFieldTable table;
        ASSERT_EQ(table.load(QueryFieldTexts::details()), 0);
        EXPECT_EQ(table.load(c.text), c.error) << c.text.toStdString();
        EXPECT_EQ(table.size(), 0);
    }
    QueryFieldTable table;
    EXPECT_EQ(table.load(row(good)), 0); // the last row separator may be left out too
    EXPECT_EQ(table.load(row(good).chopped(1)), 0);
}

TEST(QueryFieldTable, InitializeReportsAFailureAndCarriesOn)
{
    ScriptedUserInterface ui;
    QueryFieldTable table;
    EXPECT_EQ(table.initialize(QStringLiteral("no columns here"), ui),
              QueryFieldTable::WrongColumnCount);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions().first().title, QStringLiteral("Query Wizard Error#2"));
    EXPECT_EQ(ui.interactions().first().text,
              QStringLiteral("An error has prevented the Query Wizard from initializing."));

    ui.clear();
    EXPECT_EQ(table.initialize(QueryFieldTexts::locations(), ui), 0);
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST(QueryTexts, OperatorsAndMessagesByNumber)
{
    QueryTexts texts;
    EXPECT_TRUE(texts.text(1).isEmpty());
    texts.setDefaults();
    EXPECT_EQ(texts.text(1), QStringLiteral("Is Equal To"));
    EXPECT_EQ(texts.text(5), QStringLiteral("Is Greater Than or Equal To"));
    EXPECT_EQ(texts.text(9), QStringLiteral("Does NOT Begin With"));
    EXPECT_EQ(texts.operatorText(QueryOperator::IsNotChecked), QStringLiteral("Is NOT Checked"));
    EXPECT_EQ(texts.text(31), QStringLiteral("ErrorLoadingQuery"));
    EXPECT_EQ(texts.message(34),
              QStringLiteral("The query you have designed is invalid.\nPlease "
                             "review your query and correct the problem."));
    EXPECT_TRUE(texts.text(38).startsWith(
        QStringLiteral("This query is no longer valid because fields|and/or expressions were "
                       "renamed or deleted from|"
                       "the database after you created the query.")));
    EXPECT_EQ(texts.text(42), QStringLiteral("Would you like to save this query?"));
    EXPECT_EQ(texts.text(QueryTexts::AndTip), QStringLiteral("Add a New AND Query Element"));
    EXPECT_EQ(texts.text(QueryTexts::BackButton), QStringLiteral("< &Back"));
    texts.set(1, QStringLiteral("equals"));
    EXPECT_EQ(texts.operatorText(QueryOperator::Equal), QStringLiteral("equals"));
}

} // namespace
