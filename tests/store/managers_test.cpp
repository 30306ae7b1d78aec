#include "storefixture.h"

#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "store/configurationmanager.h"
#include "store/detailmanager.h"
#include "store/fields.h"
#include "store/fieldtext.h"
#include "store/keywordmanager.h"
#include "store/cathtmlmanager.h"

#include <SQLiteCpp/Database.h>

namespace pk::test {
namespace {

using ManagerTest = StoreTest;

QString catalogueText(const StoreStatus &s)
{
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    return errors.format(s.catalogueNumber, s.context).second;
}

TEST_F(ManagerTest, DuplicateAddressIsRefusedAndTableUnchanged)
{
    ASSERT_TRUE(c().locations().insert(
        location(QStringLiteral("http://a.example/"), QStringLiteral("First"))));
    const StoreStatus s = c().locations().insert(
        location(QStringLiteral("http://a.example/"), QStringLiteral("Second")));
    EXPECT_EQ(s.error, StoreError::DuplicateKey);
    EXPECT_EQ(s.catalogueNumber, 15);
    EXPECT_EQ(s.context.message, QStringLiteral("Site Location"));
    EXPECT_EQ(catalogueText(s),
              QStringLiteral(
                  "Adding this record creates a duplicate entry for the key: Site Location"));
    EXPECT_EQ(c().locations().count(), 1);
    LocationRecord stored;
    ASSERT_TRUE(c().locations().get(QStringLiteral("http://a.example/"), stored));
    EXPECT_EQ(stored.Description, QStringLiteral("First"));
    // Trailing spaces do not make a different address.
    EXPECT_EQ(c().locations().insert(location(QStringLiteral("http://a.example/   "))).error,
              StoreError::DuplicateKey);
}

TEST_F(ManagerTest, AddressesDifferingInCaseAreDifferentButCategoriesAreNot)
{
    ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://x.example/Page"))));
    ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://x.example/page"))));
    EXPECT_EQ(c().locations().count(), 2);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(QStringLiteral("http://x.example/page"), r));
    EXPECT_EQ(r.Location, QStringLiteral("http://x.example/page"));
    EXPECT_EQ(c().locations().get(QStringLiteral("HTTP://X.EXAMPLE/PAGE"), r).error,
              StoreError::RecordNotFound);

    const StoreStatus dup = c().categories().insert({QStringLiteral("GENERAL"), 0, {}});
    EXPECT_EQ(dup.error, StoreError::DuplicateKey);
    EXPECT_EQ(dup.context.message, QStringLiteral("Category"));
    // Non-ASCII letters fold as well.
    ASSERT_TRUE(c().categories().insert({QStringLiteral("Über"), 0, {}}));
    EXPECT_EQ(c().categories().insert({QStringLiteral("über"), 0, {}}).error,
              StoreError::DuplicateKey);
    EXPECT_TRUE(c().categories().exists(QStringLiteral("ÜBER")));
}

TEST_F(ManagerTest, CategoryMustExistOnInsertAndChange)
{
    const StoreStatus s = c().locations().insert(
        location(QStringLiteral("http://b.example/"), {}, QStringLiteral("Nowhere")));
    EXPECT_EQ(s.error, StoreError::ValidationFailed);
    EXPECT_EQ(s.catalogueNumber, 16);
    EXPECT_EQ(s.context.field, QStringLiteral("Category"));
    EXPECT_EQ(s.context.message, QStringLiteral("Categories"));
    EXPECT_EQ(catalogueText(s),
              QStringLiteral("The value of Category must be found in the Categories file."));
    EXPECT_EQ(c().locations().count(), 0);

    // A category differing only in letter case is the same category.
    ASSERT_TRUE(c().locations().insert(
        location(QStringLiteral("http://b.example/"), {}, QStringLiteral("general"))));
    LocationRecord changed = location(QStringLiteral("http://b.example/"),
                                      QStringLiteral("New"),
                                      QStringLiteral("Gone"));
    EXPECT_EQ(c().locations().change(QStringLiteral("http://b.example/"), changed).catalogueNumber,
              16);
    LocationRecord stored;
    ASSERT_TRUE(c().locations().get(QStringLiteral("http://b.example/"), stored));
    EXPECT_EQ(stored.Category, QStringLiteral("general"));
    EXPECT_EQ(stored.Description, QStringLiteral("http://b.example/"));

    // Once the category is gone, the location cannot be saved until a valid one is chosen.
    ASSERT_TRUE(c().categories().remove(QStringLiteral("General")));
    stored.Description = QStringLiteral("Edited");
    EXPECT_EQ(c().locations().change(stored.Location, stored).catalogueNumber, 16);
    ASSERT_TRUE(c().categories().insert({QStringLiteral("Other"), 0, {}}));
    stored.Category = QStringLiteral("Other");
    EXPECT_TRUE(c().locations().change(stored.Location, stored));
}

TEST_F(ManagerTest, CategoryCheckInABatchSeesCategoriesChangedInIt)
{
    const QString gone = QStringLiteral("Gone");
    ASSERT_TRUE(c().categories().insert({gone, 0, {}}));
    const StoreStatus s = c().transaction([&] {
        EXPECT_TRUE(c().locations().insert(location(QStringLiteral("http://1.example/"), {}, gone)));
        // Removed through the manager, then behind its back: neither may be taken as still there.
        EXPECT_TRUE(c().categories().remove(gone));
        EXPECT_EQ(c().locations()
                      .insert(location(QStringLiteral("http://2.example/"), {}, gone))
                      .catalogueNumber,
                  16);
        EXPECT_TRUE(c().locations().insert(location(QStringLiteral("http://3.example/"))));
        c().db().exec("DELETE FROM cat.Categories");
        EXPECT_EQ(c().locations()
                      .insert(location(QStringLiteral("http://4.example/")))
                      .catalogueNumber,
                  16);
        EXPECT_TRUE(c().categories().insert({QStringLiteral("General"), 0, {}}));

        // A category added in a savepoint that is rolled back is gone again afterwards.
        const QString brief = QStringLiteral("Brief");
        const StoreStatus inner = c().transaction([&] {
            EXPECT_TRUE(c().categories().insert({brief, 0, {}}));
            EXPECT_TRUE(
                c().locations().insert(location(QStringLiteral("http://5.example/"), {}, brief)));
            return StoreStatus::failure(StoreError::Other, QStringLiteral("undo"));
        });
        EXPECT_FALSE(inner);
        EXPECT_EQ(c().locations()
                      .insert(location(QStringLiteral("http://6.example/"), {}, brief))
                      .catalogueNumber,
                  16);
        return StoreStatus{};
    });
    ASSERT_TRUE(s) << s;
    EXPECT_EQ(c().locations().count(), 2);
    EXPECT_FALSE(c().categories().exists(QStringLiteral("Brief")));
}

TEST_F(ManagerTest, TextsAreStoredWholeWhateverTheyHold)
{
    // Empty texts, a NUL inside a text and non-ASCII text all come back as they went in, on
    // insert and on change.
    LocationRecord r = location(QStringLiteral("http://nul.example/"),
                                QStringLiteral("before") + QChar(u'\0') + QStringLiteral("after"));
    r.Comments = QStringLiteral("Grüße aus Köln");
    r.Keyword = QString();
    ASSERT_TRUE(c().locations().insert(r));
    LocationRecord stored;
    ASSERT_TRUE(c().locations().get(r.Location, stored));
    EXPECT_EQ(stored.Description.size(), 12);
    EXPECT_EQ(stored.Description, r.Description);
    EXPECT_EQ(stored.Comments, r.Comments);
    EXPECT_TRUE(stored.Keyword.isEmpty());
    r.Comments = QStringLiteral("changed ") + QChar(u'\0');
    ASSERT_TRUE(c().locations().change(r.Location, r));
    ASSERT_TRUE(c().locations().get(r.Location, stored));
    EXPECT_EQ(stored.Comments, r.Comments);
}

TEST_F(ManagerTest, ValidatedMustBeZeroToTwo)
{
    LocationRecord r = location(QStringLiteral("http://v.example/"));
    for (quint8 v : {0, 1, 2}) {
        r.Location = QStringLiteral("http://v.example/%1").arg(v);
        r.Validated = v;
        EXPECT_TRUE(c().locations().insert(r)) << int(v);
    }
    r.Location = QStringLiteral("http://v.example/3");
    r.Validated = 3;
    const StoreStatus s = c().locations().insert(r);
    EXPECT_EQ(s.catalogueNumber, 17);
    EXPECT_EQ(catalogueText(s),
              QStringLiteral("The value of Validated 0=Unknown, 1=Pass, 2=Fail must be in "
                             "the list : 'Unknown','Passed','Failed'."));
    EXPECT_EQ(c().locations().count(), 3);
}

TEST_F(ManagerTest, ChangeMovesTheRecordAndRefusesTakenAddresses)
{
    ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://one.example/"))));
    ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://two.example/"))));
    LocationRecord r = location(QStringLiteral("http://three.example/"), QStringLiteral("Three"));
    ASSERT_TRUE(c().locations().change(QStringLiteral("http://one.example/"), r));
    EXPECT_FALSE(c().locations().exists(QStringLiteral("http://one.example/")));
    EXPECT_TRUE(c().locations().exists(QStringLiteral("http://three.example/")));

    r.Location = QStringLiteral("http://two.example/");
    const StoreStatus s = c().locations().change(QStringLiteral("http://three.example/"), r);
    EXPECT_EQ(s.error, StoreError::DuplicateKey);
    EXPECT_TRUE(c().locations().exists(QStringLiteral("http://three.example/")));

    EXPECT_EQ(c().locations().change(QStringLiteral("http://none.example/"), r).error,
              StoreError::RecordNotFound);
    EXPECT_EQ(c().locations().remove(QStringLiteral("http://none.example/")).error,
              StoreError::RecordNotFound);
    EXPECT_TRUE(c().locations().remove(QStringLiteral("http://two.example/")));
    EXPECT_EQ(c().locations().count(), 1);
}

TEST_F(ManagerTest, GetThatFindsNothingLeavesTheBufferAlone)
{
    LocationRecord buffer = location(QStringLiteral("keep"), QStringLiteral("me"));
    EXPECT_EQ(c().locations().get(QStringLiteral("http://missing/"), buffer).error,
              StoreError::RecordNotFound);
    EXPECT_EQ(buffer.Location, QStringLiteral("keep"));
    ConfigurationRecord cfg{QStringLiteral("x"), QStringLiteral("y")};
    EXPECT_EQ(c().configuration().get(QStringLiteral("Missing"), cfg).error,
              StoreError::RecordNotFound);
    EXPECT_EQ(cfg.DataValue, QStringLiteral("y"));
}

TEST_F(ManagerTest, SequenceNumbersRunPerLocation)
{
    const QString a = QStringLiteral("http://a.example/");
    const QString b = QStringLiteral("http://b.example/");
    for (int i = 1; i <= 3; ++i) {
        DetailRecord d{a, 0, QStringLiteral("Label%1").arg(i), QStringLiteral("Value%1").arg(i)};
        ASSERT_TRUE(c().details().insert(d));
        EXPECT_EQ(d.Sequence, i);
    }
    DetailRecord other{b, 0, QStringLiteral("L"), QStringLiteral("V")};
    ASSERT_TRUE(c().details().insert(other));
    EXPECT_EQ(other.Sequence, 1);
    // A location in other letter case is another location.
    DetailRecord upper{a.toUpper(), 0, QStringLiteral("L"), QStringLiteral("V")};
    ASSERT_TRUE(c().details().insert(upper));
    EXPECT_EQ(upper.Sequence, 1);

    // Highest + 1, not a count: removing a middle row does not reuse numbers.
    ASSERT_TRUE(c().details().remove(a, 2));
    DetailRecord next{a, 0, QStringLiteral("Label4"), {}};
    ASSERT_TRUE(c().details().insert(next));
    EXPECT_EQ(next.Sequence, 4);

    std::vector<DetailRecord> rows;
    ASSERT_TRUE(c().details().list(a, rows));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Sequence, 1);
    EXPECT_EQ(rows[1].Sequence, 3);
    EXPECT_EQ(rows[2].Sequence, 4);
    EXPECT_EQ(rows[2].DataLabel, QStringLiteral("Label4"));

    int removed = 0;
    ASSERT_TRUE(c().details().removeAll(a, &removed));
    EXPECT_EQ(removed, 3);
    ASSERT_TRUE(c().details().list(a, rows));
    EXPECT_TRUE(rows.empty());
    DetailRecord fresh{a, 0, QStringLiteral("again"), {}};
    ASSERT_TRUE(c().details().insert(fresh));
    EXPECT_EQ(fresh.Sequence, 1);

    KeywordRecord k1{b, 0, QStringLiteral("news")};
    KeywordRecord k2{b, 0, QStringLiteral("daily")};
    ASSERT_TRUE(c().keywords().insert(k1));
    ASSERT_TRUE(c().keywords().insert(k2));
    EXPECT_EQ(k2.Sequence, 2);
    KeywordRecord read;
    ASSERT_TRUE(c().keywords().get(b, 2, read));
    EXPECT_EQ(read.Keyword, QStringLiteral("daily"));
    read.Keyword = QStringLiteral("weekly");
    ASSERT_TRUE(c().keywords().change(b, 2, read));
    std::vector<KeywordRecord> kws;
    ASSERT_TRUE(c().keywords().list(b, kws));
    ASSERT_EQ(kws.size(), 2u);
    EXPECT_EQ(kws[1].Keyword, QStringLiteral("weekly"));
}

TEST_F(ManagerTest, TextIsTrimmedAndCutToWidthWithoutSplittingCharacters)
{
    // 254 ASCII letters, then a letter with a combining accent, then more: the cut at 255 code
    // points would separate "e" from its accent, so it goes before the "e".
    QString description = QString(254, QLatin1Char('x')) + QStringLiteral("e\u0301")
                          + QStringLiteral("tail");
    LocationRecord r = location(QStringLiteral("http://w.example/   "), description);
    r.Keyword = QStringLiteral(
        "日本語のキーワードがとても長い場合には切られます"); // 24 characters, width 20
    r.Comments = QStringLiteral("😀").repeated(1030);         // 4-byte UTF-8, width 1024
    r.UserName = QStringLiteral("name with spaces   ");
    ASSERT_TRUE(c().locations().insert(r));
    LocationRecord stored;
    ASSERT_TRUE(c().locations().get(QStringLiteral("http://w.example/"), stored));
    EXPECT_EQ(stored.Location, QStringLiteral("http://w.example/"));
    EXPECT_EQ(stored.Description, QString(254, QLatin1Char('x')));
    EXPECT_EQ(stored.Keyword, r.Keyword.left(20));
    EXPECT_EQ(characterCount(stored.Comments), 1024);
    EXPECT_EQ(stored.Comments, QStringLiteral("😀").repeated(1024));
    EXPECT_EQ(stored.UserName, QStringLiteral("name with spaces"));

    // A cut that lands right after a space leaves no trailing space behind.
    EXPECT_EQ(fitToField(QStringLiteral("abc def"), 4), QStringLiteral("abc"));
    EXPECT_EQ(truncateToWidth(QStringLiteral("a😀b"), 2), QStringLiteral("a😀"));
    EXPECT_EQ(truncateToWidth(QStringLiteral("a😀b"), 1), QStringLiteral("a"));
    EXPECT_EQ(characterCount(QStringLiteral("a😀b")), 3);
}

TEST_F(ManagerTest, ConfigurationAndCatHtmlRows)
{
    ASSERT_TRUE(
        c().configuration().put({QStringLiteral("DoubleClickAction"), QStringLiteral("Launch")}));
    ASSERT_TRUE(
        c().configuration().put({QStringLiteral("doubleclickaction"), QStringLiteral("Edit")}));
    ConfigurationRecord r;
    ASSERT_TRUE(c().configuration().get(QStringLiteral("DOUBLECLICKACTION"), r));
    EXPECT_EQ(r.DataValue, QStringLiteral("Edit"));
    EXPECT_EQ(c().configuration().insert({QStringLiteral("DoubleClickAction"), {}}).error,
              StoreError::DuplicateKey);
    ASSERT_TRUE(c().configuration().remove(QStringLiteral("DoubleClickAction")));
    EXPECT_EQ(c().configuration().get(QStringLiteral("DoubleClickAction"), r).error,
              StoreError::RecordNotFound);

    ASSERT_TRUE(c().catHtml().insert(
        {QStringLiteral("General"), QStringLiteral("Before"), QStringLiteral("<hr>")}));
    ASSERT_TRUE(c().catHtml().insert(
        {QStringLiteral("General"), QStringLiteral("After"), QStringLiteral("<br>")}));
    EXPECT_EQ(c().catHtml().insert({QStringLiteral("general"), QStringLiteral("BEFORE"), {}}).error,
              StoreError::DuplicateKey);
    std::vector<CatHtmlRecord> snippets;
    ASSERT_TRUE(c().catHtml().list(QStringLiteral("GENERAL"), snippets));
    ASSERT_EQ(snippets.size(), 2u);
    EXPECT_EQ(snippets[0].TypeOfHTML, QStringLiteral("After"));
}

TEST(FieldDefinitions, TablesAndKeysAreDescribed)
{
    const FieldDef *f = findField(u"url:location");
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->column, "Location");
    EXPECT_EQ(f->width, 2048);
    EXPECT_STREQ(findField(u"URL:Validated")->description, "Validated 0=Unknown, 1=Pass, 2=Fail");
    EXPECT_STREQ(findField(u"URL:Description")->picture, "@S100");
    EXPECT_STREQ(findField(u"URL:PageSize")->prompt, "&Page size:");
    EXPECT_EQ(findField(u"URL:Nothing"), nullptr);
    EXPECT_EQ(locationsTable().fields.size(), 20u);
    EXPECT_STREQ(findTableByPrefix(u"CAT")->sqlTable, "Categories");
    EXPECT_EQ(allKeys().size(), 11u);
    const KeyDef *rating = findKey(u"URL:K_Rating");
    ASSERT_NE(rating, nullptr);
    EXPECT_TRUE(rating->components[0].descending);
    EXPECT_STREQ(rating->description, "Rating");
    EXPECT_STREQ(Keys::urlCategoryLocation().description, "Category then Location");
    EXPECT_EQ(importLocationsTable().fields.size(), 6u);
}

} // namespace
} // namespace pk::test

namespace pk::test {
namespace {

TEST_F(ManagerTest, AWriteOnAFullFileSaysTheDiskIsFullAndChangesNothing)
{
    ASSERT_TRUE(c().locations().insert(location(QStringLiteral("http://kept/"))));
    // The file may not grow: SQLite's own "database or disk is full".
    c().db().exec("PRAGMA main.max_page_count = "
                  + std::to_string(c().db().execAndGet("PRAGMA main.page_count").getInt()));
    StoreStatus failed;
    const StoreStatus s = c().transaction([&] {
        for (int i = 0; i < 2000; ++i) {
            LocationRecord r = location(QStringLiteral("http://site%1/").arg(i));
            r.SiteInfo = QString(2000, QLatin1Char('x'));
            if (StoreStatus w = c().locations().insert(r); !w)
                return failed = w;
        }
        return StoreStatus::success();
    });
    ASSERT_FALSE(s);
    EXPECT_TRUE(failed.text.startsWith(QStringLiteral("The disk is full"))) << failed;
    EXPECT_TRUE(catalogueText(failed).contains(QStringLiteral("The disk is full"))) << failed;
    EXPECT_EQ(c().locations().count(), 1);
}

} // namespace
} // namespace pk::test
