#include "locationdb.h"

#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/querywizardmodel.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

class QueryWizardModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        texts.setDefaults();
        ASSERT_EQ(fields.load(QueryFieldTexts::exports()), 0);
    }

    int row(const char *name) const { return fields.indexOf(QString::fromLatin1(name)); }

    QueryCondition condition(const char *name,
                             QueryOperator op,
                             const QString &value = {},
                             QueryCondition::Join join = QueryCondition::Join::And) const
    {
        return {join, row(name), op, value};
    }

    QueryTexts texts;
    QueryFieldTable fields{QStringLiteral("URL")};
};

TEST_F(QueryWizardModelTest, OperatorsFollowTheFieldsControlAndType)
{
    QueryWizardModel model(fields, texts);
    EXPECT_EQ(model.operatorsFor(row("CAT:Flag")),
              QList<QueryOperator>({QueryOperator::IsChecked, QueryOperator::IsNotChecked}));
    EXPECT_EQ(model.operatorsFor(row("URL:Validated")),
              QList<QueryOperator>({QueryOperator::Equal, QueryOperator::NotEqual}));
    EXPECT_EQ(model.operatorsFor(row("URL:Rating")).size(), 6);
    EXPECT_EQ(model.operatorsFor(row("URL:Expires")).size(), 6);
    EXPECT_EQ(model.operatorsFor(row("URL:Description")).size(), 10);
    EXPECT_TRUE(model.operatorsFor(-1).isEmpty());
}

TEST_F(QueryWizardModelTest, ConditionsBecomeOneExpression)
{
    QueryWizardModel model(fields, texts);
    model.add(condition("URL:Description", QueryOperator::Contains, QStringLiteral("O'Neil")));
    model.add(condition("URL:Rating", QueryOperator::GreaterEqual, QStringLiteral(" 5 ")));
    model.add(condition("URL:Validated",
                        QueryOperator::Equal,
                        QStringLiteral("Passed"),
                        QueryCondition::Join::Or));
    model.add(condition("URL:LastVisit", QueryOperator::Less, QStringLiteral("2024-03-01")));
    model.add(condition("CAT:Flag", QueryOperator::IsChecked));
    EXPECT_EQ(model.expression(),
              QStringLiteral(
                  "URL:Description CONTAINS 'O''Neil' AND URL:Rating >= 5 OR URL:Validated = 1 "
                  "AND URL:LastVisit < '2024-03-01' AND CAT:Flag IS CHECKED"));
    EXPECT_EQ(model.describe(0), QStringLiteral("Description of site Contains 'O'Neil'"));
    EXPECT_EQ(model.describe(2),
              QStringLiteral("OR Validated 0=Unknown, 1=Pass, 2=Fail Is Equal To 'Passed'"));
    EXPECT_EQ(model.describe(4), QStringLiteral("AND Category flag Is Checked"));
    QueryError error;
    EXPECT_TRUE(model.check(error)) << error.describe().toStdString();
    EXPECT_TRUE(model.isModified());
}

TEST_F(QueryWizardModelTest, ValuesAreCheckedAgainstTheField)
{
    QueryWizardModel model(fields, texts);
    EXPECT_FALSE(
        model.validate(condition("URL:Rating", QueryOperator::Equal, QStringLiteral("five")))
            .isEmpty());
    EXPECT_FALSE(
        model.validate(condition("URL:Expires", QueryOperator::Equal, QStringLiteral("soon")))
            .isEmpty());
    EXPECT_TRUE(model.validate(condition("URL:Expires", QueryOperator::Equal, QString())).isEmpty());
    EXPECT_FALSE(
        model.validate(condition("URL:Validated", QueryOperator::Equal, QStringLiteral("Maybe")))
            .isEmpty());
    EXPECT_FALSE(
        model.validate(condition("URL:Rating", QueryOperator::Contains, QStringLiteral("1")))
            .isEmpty());
    EXPECT_FALSE(
        model.validate(condition("CAT:Flag", QueryOperator::Equal, QStringLiteral("1"))).isEmpty());
    EXPECT_FALSE(
        model.validate({QueryCondition::Join::And, -1, QueryOperator::Equal, {}}).isEmpty());
    EXPECT_TRUE(
        model.validate(condition("URL:Description", QueryOperator::Equal, QString())).isEmpty());
}

TEST_F(QueryWizardModelTest, NumbersOutsideTheFieldAreRefusedWithTheRange)
{
    QueryWizardModel model(fields, texts);
    auto why = [&](const char *field, const char *value) {
        return model.validate(condition(field, QueryOperator::Equal, QString::fromLatin1(value)));
    };
    // The rating shows two digits; a huge value used to be written as 1e+20 and then refused.
    const QString huge = why("URL:Rating", "99999999999999999999");
    EXPECT_TRUE(huge.contains(QStringLiteral("from 0 to 99")));
    EXPECT_TRUE(huge.contains(QStringLiteral("Rating")));
    EXPECT_FALSE(why("URL:Rating", "100").isEmpty());
    EXPECT_FALSE(why("URL:Rating", "-1").isEmpty());
    EXPECT_TRUE(why("URL:Rating", "99").isEmpty());
    EXPECT_TRUE(why("URL:Rating", " 0 ").isEmpty());
    // Forms that would not read back from the expression.
    for (const char *bad : {"1e5", "inf", "nan", "0x10", "5-", ""})
        EXPECT_FALSE(why("URL:Rating", bad).isEmpty()) << bad;
    // A signed field of 14 positions keeps one for the sign.
    EXPECT_TRUE(why("URL:PageSize", "99999999999999").isEmpty());
    EXPECT_FALSE(why("URL:PageSize", "100000000000000").isEmpty());
    EXPECT_TRUE(why("URL:PageSize", "-9999999999999").isEmpty());
    EXPECT_FALSE(why("URL:PageSize", "-10000000000000").isEmpty());
}

TEST_F(QueryWizardModelTest, EveryAcceptedNumberMakesAQueryThatCompiles)
{
    for (const char *value : {"0", "99", "2.5", ".5", "0.000001", "+7"}) {
        QueryWizardModel model(fields, texts);
        const QueryCondition c = condition("URL:Rating",
                                           QueryOperator::Less,
                                           QString::fromLatin1(value));
        ASSERT_TRUE(model.validate(c).isEmpty()) << value;
        model.add(c);
        QueryError error;
        EXPECT_TRUE(model.check(error)) << value << " -> " << model.expression().toStdString()
                                        << ": " << error.reason.toStdString();
        EXPECT_FALSE(model.expression().contains(QStringLiteral("e-"))) << value;
    }
}

TEST_F(QueryWizardModelTest, LongQueriesAreRefused)
{
    QueryWizardModel model(fields, texts);
    for (int i = 0; i < 20; ++i)
        model.add(condition("URL:Comments", QueryOperator::Contains, QString(50, u'x')));
    ASSERT_GT(model.expression().size(), 1024);
    QueryError error;
    EXPECT_FALSE(model.check(error));
    EXPECT_TRUE(error.reason.contains(QStringLiteral("1024")));
}

TEST_F(QueryWizardModelTest, ExistingQueriesLoadBackIntoConditions)
{
    QueryWizardModel built(fields, texts);
    built.add(condition("URL:Description", QueryOperator::NotBeginsWith, QStringLiteral("it's")));
    built.add(condition("URL:Validated",
                        QueryOperator::NotEqual,
                        QStringLiteral("Failed"),
                        QueryCondition::Join::Or));
    built.add(condition("URL:Expires", QueryOperator::Greater, QStringLiteral("2024-12-31")));
    built.add(condition("CAT:Flag", QueryOperator::IsNotChecked, {}, QueryCondition::Join::Or));

    QueryWizardModel loaded(fields, texts);
    EXPECT_EQ(loaded.load(built.expression()), QueryWizardModel::LoadResult::Loaded);
    EXPECT_EQ(loaded.conditions().size(), 4);
    EXPECT_EQ(loaded.expression(), built.expression());
    EXPECT_FALSE(loaded.isModified());
    // A day number written by hand reads back as a date.
    EXPECT_EQ(loaded.load(QStringLiteral("URL:LastVisit = 4")),
              QueryWizardModel::LoadResult::Loaded);
    EXPECT_EQ(loaded.conditions().first().value, QStringLiteral("1801-01-01"));

    EXPECT_EQ(loaded.load(QString()), QueryWizardModel::LoadResult::Empty);
    EXPECT_EQ(loaded.load(QStringLiteral("URL:Rating = ")), QueryWizardModel::LoadResult::Invalid);
    EXPECT_EQ(loaded.load(QStringLiteral("URL:Rating = 1 AND URL:Gone = 'x'")),
              QueryWizardModel::LoadResult::NoLongerValid);
    EXPECT_EQ(loaded.load(
                  QStringLiteral("(URL:Rating = 1 OR URL:Rating = 2) AND URL:Category = 'x'")),
              QueryWizardModel::LoadResult::NotEditable);
    EXPECT_EQ(loaded.load(QStringLiteral("MATCH(URL:Description,'*a*',17)")),
              QueryWizardModel::LoadResult::NotEditable);
    EXPECT_TRUE(loaded.conditions().isEmpty());
}

TEST(QueryWizardModelOnLocations, ExpressionSelectsWhatTheListShows)
{
    QueryTexts texts;
    texts.setDefaults();
    test::LocationDb db;
    db.insert({u"a"_s, u"alpha"_s, u"News"_s, 5, 0, 0, 0, {}});
    db.insert({u"b"_s, u"beta"_s, u"Tech"_s, 5, 0, 0, 0, {}});
    db.insert({u"c"_s, u"gamma"_s, u"Tech"_s, 1, 0, 0, 0, {}});
    QueryWizardModel model(db.fields(), texts);
    const int category = db.fields().indexOf(QStringLiteral("URL:Category"));
    const int rating = db.fields().indexOf(QStringLiteral("URL:Rating"));
    model.add({QueryCondition::Join::And, category, QueryOperator::Equal, QStringLiteral("news")});
    model.add({QueryCondition::Join::Or, category, QueryOperator::Equal, QStringLiteral("tech")});
    model.add({QueryCondition::Join::And, rating, QueryOperator::Less, QStringLiteral("3")});
    QString error;
    EXPECT_EQ(db.select(model.expression(), &error), QStringList({u"a"_s, u"c"_s}))
        << error.toStdString();
}

} // namespace
