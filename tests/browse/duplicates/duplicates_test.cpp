#include "browse/duplicates/addresskey.h"
#include "browse/duplicates/duplicatefinder.h"
#include "browse/duplicates/duplicatemerge.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "support/tempcollection.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

TEST(AddressKeyTest, NormalisationTable)
{
    const struct
    {
        const char16_t *address;
        const char16_t *key;
    } table[] = {
        {u"http://example.com/", u"http://example.com"},
        {u"https://www.Example.COM", u"http://example.com"},
        {u"  example.com/  ", u"http://example.com"},
        {u"http://example.com:80/a/", u"http://example.com/a"},
        {u"https://example.com:443/a", u"http://example.com/a"},
        {u"http://example.com:8080/a", u"http://example.com:8080/a"},
        {u"ftp://ftp.test:21/pub/", u"ftp://ftp.test/pub"},
        {u"ftp://ftp.test:80/pub", u"ftp://ftp.test:80/pub"},
        {u"http://example.com/Path/Page#section", u"http://example.com/Path/Page"},
        {u"http://example.com/?utm_source=x&id=7&UTM_Medium=y&fbclid=1&gclid=2#f",
         u"http://example.com?id=7"},
        {u"http://example.com/p?utm_campaign=z", u"http://example.com/p"},
        {u"http://example.com/p?b=2&a=1", u"http://example.com/p?b=2&a=1"},
        {u"http://user:pw@WWW.Host.test/x", u"http://user:pw@host.test/x"},
        {u"http://[::1]:8080/", u"http://[::1]:8080"},
        {u"http://[::1]/", u"http://[::1]"},
        {u"localhost:3000/app", u"http://localhost:3000/app"},
        {u"mailto:Someone@Example.com", u"mailto:Someone@Example.com"},
        {u"javascript:void(0)", u"javascript:void(0)"},
        {u"www.wwwx.test", u"http://wwwx.test"},
        {u"", u"http://"},
    };
    for (const auto &row : table) {
        EXPECT_EQ(AddressKey::of(QStringView(row.address)), QString::fromUtf16(row.key))
            << QString::fromUtf16(row.address).toStdString();
    }
    // The path keeps its letter case: these are different pages.
    EXPECT_NE(AddressKey::of(u"http://a.test/Page"), AddressKey::of(u"http://a.test/page"));
}

class DuplicatesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        ASSERT_TRUE(c().categories().insert({u"C"_s, 0, {}}));
    }
    Collection &c() { return *collection; }
    void add(const QString &address,
             const QString &keyword = {},
             const QString &comments = {},
             const QString &description = {})
    {
        LocationRecord r;
        r.Location = address;
        r.Category = u"C"_s;
        r.Keyword = keyword;
        r.Comments = comments;
        r.Description = description;
        ASSERT_TRUE(c().locations().insert(r));
    }
    void keyword(const QString &address, const QString &word)
    {
        KeywordRecord k{address, 0, word};
        ASSERT_TRUE(c().keywords().insert(k));
    }
    void detail(const QString &address, const QString &label, const QString &value)
    {
        DetailRecord d{address, 0, label, value};
        ASSERT_TRUE(c().details().insert(d));
    }
    QStringList keywordsOf(const QString &address)
    {
        std::vector<KeywordRecord> rows;
        EXPECT_TRUE(c().keywords().list(address, rows));
        QStringList out;
        for (const KeywordRecord &k : rows)
            out << k.Keyword;
        out.sort();
        return out;
    }
    QStringList detailsOf(const QString &address)
    {
        std::vector<DetailRecord> rows;
        EXPECT_TRUE(c().details().list(address, rows));
        QStringList out;
        for (const DetailRecord &d : rows)
            out << d.DataLabel + u'=' + d.DataValue;
        out.sort();
        return out;
    }

    test::TempCollection temp;
    std::unique_ptr<Collection> collection;
};

TEST_F(DuplicatesTest, FinderGroupsNearDuplicatesOnly)
{
    add(u"http://a.test/"_s);
    add(u"https://www.a.test"_s);
    add(u"http://a.test/?utm_source=mail"_s);
    add(u"http://b.test/x"_s);
    add(u"http://b.test/X"_s);
    add(u"http://c.test/#top"_s);
    add(u"http://c.test"_s);
    std::vector<DuplicateGroup> groups;
    qint64 seen = 0;
    ASSERT_TRUE(DuplicateFinder(c()).find(groups, [&](qint64 n) {
        seen = n;
        return true;
    }));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].key, u"http://a.test"_s);
    EXPECT_EQ(groups[0].rowIds.size(), 3u);
    EXPECT_EQ(groups[1].key, u"http://c.test"_s);
    for (const DuplicateGroup &g : groups) {
        for (const qint64 id : g.rowIds) {
            LocationRecord r;
            ASSERT_TRUE(c().locations().getByRowId(id, r));
            EXPECT_EQ(AddressKey::of(r.Location), g.key);
        }
    }
    std::vector<DuplicateGroup> none;
    ASSERT_TRUE(c().locations().remove(u"http://c.test"_s));
    ASSERT_TRUE(DuplicateFinder(c()).find(none));
    EXPECT_EQ(none.size(), 1u);
}

TEST_F(DuplicatesTest, MergeKeepsEveryKeywordDetailAndNote)
{
    const QString keep = u"https://a.test/"_s;
    const QString one = u"http://www.a.test"_s;
    const QString two = u"http://a.test/?fbclid=9"_s;
    add(keep, u"news"_s, u"mine"_s);
    add(one, u"daily"_s, u"theirs"_s, u"A site"_s);
    add(two, u"NEWS"_s, {}, u"Other"_s);
    keyword(keep, u"paper"_s);
    keyword(one, u"Paper"_s);
    keyword(one, u"local"_s);
    keyword(two, u"sport"_s);
    detail(keep, u"Owner"_s, u"Me"_s);
    detail(one, u"Owner"_s, u"Me"_s);
    detail(one, u"Owner"_s, u"Them"_s);
    detail(two, u"Validated "_s, u"passed"_s);

    ASSERT_TRUE(DuplicateMerge::keepAndMerge(c(), keep, {one, two}));
    EXPECT_FALSE(c().locations().exists(one));
    EXPECT_FALSE(c().locations().exists(two));
    EXPECT_TRUE(keywordsOf(one).isEmpty());
    EXPECT_TRUE(detailsOf(two).isEmpty());
    EXPECT_EQ(keywordsOf(keep), (QStringList{u"daily"_s, u"local"_s, u"paper"_s, u"sport"_s}));
    EXPECT_EQ(detailsOf(keep), (QStringList{u"Owner=Me"_s, u"Owner=Them"_s, u"Validated=passed"_s}));
    LocationRecord kept;
    ASSERT_TRUE(c().locations().get(keep, kept));
    EXPECT_EQ(kept.Comments, u"mine\ntheirs"_s);
    EXPECT_EQ(kept.Description, u"A site"_s);
    EXPECT_EQ(kept.Keyword, u"news"_s);
}

TEST_F(DuplicatesTest, AMergeThatCannotBeStoredChangesNothing)
{
    const QString keep = u"http://a.test"_s;
    const QString other = u"http://www.a.test"_s;
    add(keep, {}, QString(700, u'x'));
    add(other, {}, QString(700, u'y'));
    keyword(other, u"kept"_s);
    const StoreStatus s = DuplicateMerge::keepAndMerge(c(), keep, {other});
    EXPECT_FALSE(s);
    EXPECT_FALSE(s.text.isEmpty());
    EXPECT_TRUE(c().locations().exists(other));
    EXPECT_EQ(keywordsOf(other), QStringList{u"kept"_s});
    EXPECT_TRUE(keywordsOf(keep).isEmpty());
    // A location gone meanwhile: the whole group stays as it was.
    EXPECT_FALSE(DuplicateMerge::keepAndMerge(c(), keep, {other, u"http://gone.test"_s}));
    EXPECT_TRUE(c().locations().exists(other));
    EXPECT_TRUE(keywordsOf(keep).isEmpty());

    ASSERT_TRUE(DuplicateMerge::removeOthers(c(), {other}));
    EXPECT_FALSE(c().locations().exists(other));
    EXPECT_TRUE(keywordsOf(other).isEmpty());
    EXPECT_TRUE(c().locations().exists(keep));
}

TEST(DuplicateMergeTest, OffersTheSecureThenTheFullestLocationForKeeping)
{
    auto at = [](const char *address, const char *description = "", const char *comments = "") {
        LocationRecord r;
        r.Location = QString::fromLatin1(address);
        r.Description = QString::fromLatin1(description);
        r.Comments = QString::fromLatin1(comments);
        return r;
    };
    EXPECT_EQ(DuplicateMerge::preferredToKeep({}), -1);
    EXPECT_EQ(DuplicateMerge::preferredToKeep(
                  {at("http://a.example/", "Full", "notes"), at("https://a.example/")}),
              1);
    EXPECT_EQ(DuplicateMerge::preferredToKeep({at("https://a.example/"),
                                               at("http://a.example/", "Full"),
                                               at("HTTPS://a.example/", "Full", "notes")}),
              2);
    EXPECT_EQ(DuplicateMerge::preferredToKeep(
                  {at("http://a.example/"), at("http://www.a.example/")}),
              0);
}

} // namespace
