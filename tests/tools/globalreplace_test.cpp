#include "tools/globalreplace.h"
#include "tools/textreplacement.h"

#include "store/storefixture.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/textindex.h"
#include "framework/scripteduserinterface.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

QString replaced(QString field, const QString &s, const QString &r, int length = 255)
{
    TextReplacement::apply(field, length, s, r, true);
    return field;
}

const ReplaceField &fieldNamed(const char *name)
{
    for (const ReplaceField &f : GlobalReplace::fields())
        if (qstrcmp(f.field, name) == 0)
            return f;
    throw std::runtime_error("no such field");
}

class GlobalReplaceTest : public test::StoreTest
{
protected:
    LocationRecord stored(const QString &address)
    {
        LocationRecord r;
        EXPECT_TRUE(c().locations().get(address, r)) << address.toStdString();
        return r;
    }
};

} // namespace

TEST(TextReplacementTest, RescansLeftwardsIgnoringCaseAndCutsAtTheFieldLength)
{
    EXPECT_EQ(replaced(u"aaa"_s, u"aa"_s, u"a"_s), u"a"_s);
    EXPECT_EQ(replaced(u"My WEB and Web pages"_s, u"web"_s, u"net"_s), u"My net and net pages"_s);
    // Trailing blanks of both texts are not part of them.
    EXPECT_EQ(replaced(u"one two"_s, u"two  "_s, u"three  "_s), u"one three"_s);
    EXPECT_EQ(replaced(u"abcdef"_s, u"c"_s, u"XYZXYZ"_s, 8), u"abXYZXYZ"_s);
    // The cut never splits a character made of two UTF-16 units.
    EXPECT_EQ(replaced(u"ab"_s, u"b"_s, u"\U0001F600\U0001F600"_s, 2), u"a\U0001F600"_s);
    EXPECT_EQ(replaced(u"nothing here"_s, u"zz"_s, u"y"_s), u"nothing here"_s);
}

TEST(TextReplacementTest, EmptySearchFillsOnlyBlankFields)
{
    EXPECT_EQ(replaced(QString(), QString(), u"x"_s), u"x"_s);
    EXPECT_EQ(replaced(u"   "_s, QString(), u"x"_s), u"x"_s);
    EXPECT_EQ(replaced(u"kept"_s, QString(), u"x"_s), u"kept"_s);
}

TEST(ReplaceFieldsTest, FieldListMatchesTheWindowsEntryLimits)
{
    ASSERT_EQ(GlobalReplace::fields().size(), 12u);
    EXPECT_EQ(GlobalReplace::pictureWidth(QLatin1String(fieldNamed("URL:Category").picture)), 30);
    EXPECT_EQ(GlobalReplace::pictureWidth(QString()), 255);
    for (const ReplaceField &f : GlobalReplace::fields()) {
        const FieldDef *def = findField(QString::fromLatin1(f.field));
        ASSERT_NE(def, nullptr) << f.field;
        EXPECT_EQ(def->width, f.length) << f.field;
    }
}

TEST_F(GlobalReplaceTest, ReplacesEveryLocationAndDropsLeadingBlanks)
{
    ASSERT_TRUE(c().locations().insert(test::location(u"http://a.example/"_s, u"Web site"_s)));
    ASSERT_TRUE(c().locations().insert(test::location(u"http://b.example/"_s, u"Old web shop"_s)));
    LocationRecord blank = test::location(u"http://c.example/"_s, u"x"_s);
    ASSERT_TRUE(c().locations().insert(blank));

    GlobalReplace replace(c(), fieldNamed("URL:Description"));
    const GlobalReplaceResult r = replace.run(u"web"_s, QString());
    EXPECT_TRUE(r.failure.ok()) << r.failure;
    EXPECT_EQ(r.total, 3);
    EXPECT_EQ(r.stored, 3);
    EXPECT_EQ(r.changed, 2);
    EXPECT_EQ(stored(u"http://a.example/"_s).Description, u"site"_s);
    EXPECT_EQ(stored(u"http://b.example/"_s).Description, u"Old  shop"_s);

    GlobalReplace custom(c(), fieldNamed("URL:Custom3"));
    EXPECT_TRUE(custom.run(QString(), u"filled"_s).failure.ok());
    EXPECT_EQ(stored(u"http://c.example/"_s).Custom3, u"filled"_s);
}

TEST_F(GlobalReplaceTest, AQueryLimitsTheRunAndBadQueriesAreRefused)
{
    ASSERT_TRUE(c().locations().insert(test::location(u"http://a.example/"_s, u"A"_s)));
    ASSERT_TRUE(c().locations().insert(test::location(u"http://b.example/"_s, u"B"_s)));
    const std::optional<SqlFilter> filter = GlobalReplace::compileQuery(u"URL:Description = 'B'"_s,
                                                                        nullptr);
    ASSERT_TRUE(filter.has_value());
    GlobalReplace replace(c(), fieldNamed("URL:Comments"));
    const GlobalReplaceResult r = replace.run(QString(), u"chosen"_s, *filter);
    EXPECT_EQ(r.total, 1);
    EXPECT_TRUE(stored(u"http://a.example/"_s).Comments.isEmpty());
    EXPECT_EQ(stored(u"http://b.example/"_s).Comments, u"chosen"_s);

    ScriptedUserInterface ui;
    EXPECT_FALSE(GlobalReplace::compileQuery(u"URL:Description = ("_s, &ui).has_value());
    EXPECT_EQ(ui.messages().size(), 1);
}

TEST_F(GlobalReplaceTest, ADuplicateAddressStopsTheRunAndKeepsWhatWasStored)
{
    // Stored order: the first becomes http://new.example/x, the second would collide with it.
    ASSERT_TRUE(c().locations().insert(test::location(u"http://old.example/x"_s)));
    ASSERT_TRUE(c().locations().insert(test::location(u"http://OLD.example/x"_s)));
    ASSERT_TRUE(c().locations().insert(test::location(u"http://old.example/y"_s)));
    KeywordRecord k;
    k.Location = u"http://old.example/x"_s;
    k.Keyword = u"kept"_s;
    ASSERT_TRUE(c().keywords().insert(k));

    GlobalReplace replace(c(), fieldNamed("URL:Location"));
    const GlobalReplaceResult r = replace.run(u"old"_s, u"new"_s);
    EXPECT_FALSE(r.failure.ok());
    EXPECT_EQ(r.failure.error, StoreError::DuplicateKey);
    EXPECT_EQ(r.stored, 1);
    EXPECT_FALSE(c().inTransaction());
    // The first change is committed, with its keyword; the failing record is as it was, and
    // the run stopped before the third.
    EXPECT_TRUE(c().locations().exists(u"http://new.example/x"_s));
    EXPECT_TRUE(c().locations().exists(u"http://OLD.example/x"_s));
    EXPECT_TRUE(c().locations().exists(u"http://old.example/y"_s));
    std::vector<KeywordRecord> moved;
    ASSERT_TRUE(c().keywords().list(u"http://new.example/x"_s, moved));
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved.front().Keyword, u"kept"_s);
}

TEST_F(GlobalReplaceTest, ALongerAddressIsVisitedOnceAndCancelKeepsTheStoredPart)
{
    ASSERT_TRUE(c().locations().insert(test::location(u"http://a.example/"_s)));
    ASSERT_TRUE(c().locations().insert(test::location(u"http://b.example/"_s)));
    GlobalReplace replace(c(), fieldNamed("URL:Location"));
    // "a" -> "aa" moves the record forward in key order; it must not be met again.
    ASSERT_TRUE(replace.run(u"a.example"_s, u"aa.example"_s).failure.ok());
    EXPECT_TRUE(c().locations().exists(u"http://aa.example/"_s));

    int calls = 0;
    GlobalReplace comments(c(), fieldNamed("URL:Comments"));
    const GlobalReplaceResult r = comments.run(QString(), u"c"_s, {}, [&](int, const QString &) {
        return ++calls < 2;
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.stored, 1);
    EXPECT_FALSE(c().inTransaction());
}

TEST_F(GlobalReplaceTest, AnOtherFieldChangesThatColumnAloneAndKeepsTheSubstringIndexRight)
{
    // Enough locations for the run to leave the keys and the substring index to its commit.
    constexpr int kCount = 1200;
    const auto keys = [&] {
        SQLite::Statement st(c().db(),
                             "SELECT group_concat(sql, ';') FROM (SELECT sql FROM sqlite_schema "
                             "WHERE type = 'index' AND tbl_name = 'Locations' ORDER BY name)");
        return st.executeStep() ? std::string(st.getColumn(0).getText()) : std::string();
    };
    ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
        for (int i = 0; i < kCount; ++i) {
            LocationRecord r = test::location(u"http://s%1.example/"_s.arg(i),
                                              u"Web page %1"_s.arg(i));
            r.Comments = u"web notes"_s;
            r.Rating = 7;
            if (StoreStatus s = c().locations().insert(r); !s)
                return s;
        }
        return {};
    }));
    ASSERT_TRUE(c().textIndexComplete());
    const std::string keysBefore = keys();

    GlobalReplace replace(c(), fieldNamed("URL:Description"));
    const GlobalReplaceResult r = replace.run(u"web"_s, u"net"_s);
    ASSERT_TRUE(r.failure.ok()) << r.failure;
    EXPECT_EQ(r.changed, kCount);
    const LocationRecord one = stored(u"http://s42.example/"_s);
    EXPECT_EQ(one.Description, u"net page 42"_s);
    EXPECT_EQ(one.Comments, u"web notes"_s);
    EXPECT_EQ(one.Rating, 7);
    EXPECT_EQ(one.Category, test::location(u"http://x.example/"_s).Category);

    // Every key is back, and holds what the rows hold.
    EXPECT_EQ(keys(), keysBefore);
    EXPECT_TRUE(c().checkFile(CollectionFile::Data));
    // The index holds the new texts, not the old ones.
    EXPECT_TRUE(c().textIndexComplete());
    EXPECT_EQ(TextIndex::candidates(c().db(), "main", u"Description"_s, u"net page"_s, kCount),
              kCount);
    EXPECT_EQ(TextIndex::candidates(c().db(), "main", u"Description"_s, u"Web page"_s, kCount), 0);

    // Nothing to replace: every location is visited, none is written.
    const qint64 changesBefore = c().ownChanges();
    const GlobalReplaceResult again = replace.run(u"web"_s, u"net"_s);
    EXPECT_TRUE(again.failure.ok());
    EXPECT_EQ(again.stored, kCount);
    EXPECT_EQ(again.changed, 0);
    EXPECT_EQ(c().ownChanges(), changesBefore);
}
