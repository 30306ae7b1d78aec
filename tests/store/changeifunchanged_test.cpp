// Two programs editing one record: the save made from a stale read is refused and writes nothing.

#include "storefixture.h"

#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "store/cathtmlmanager.h"

#include <SQLiteCpp/Database.h>

using namespace Qt::StringLiterals;

namespace pk::test {
namespace {

// One trait per record manager: the record the tests start from, an edit, and the calls.
struct Locations
{
    using Record = LocationRecord;
    static Record initial() { return location(QStringLiteral("http://a.test/"), u"First"_s); }
    static QString key(const Record &r) { return r.Location; }
    static void edit(Record &r, const QString &text) { r.Description = text; }
    static QString edited(const Record &r) { return r.Description; }
    static void rekey(Record &r) { r.Location = QStringLiteral("http://b.test/"); }
    static StoreStatus insert(Collection &c, const Record &r) { return c.locations().insert(r); }
    static StoreStatus get(Collection &c, const QString &key, Record &out)
    {
        return c.locations().get(key, out);
    }
    static StoreStatus save(Collection &c, const QString &key, const Record &read, const Record &r)
    {
        return c.locations().changeIfUnchanged(key, read, r);
    }
    static StoreStatus remove(Collection &c, const QString &key)
    {
        return c.locations().remove(key);
    }
};

struct Categories
{
    using Record = CategoryRecord;
    static Record initial() { return {QStringLiteral("News"), 0, QStringLiteral("First")}; }
    static QString key(const Record &r) { return r.Category; }
    static void edit(Record &r, const QString &text) { r.Description = text; }
    static QString edited(const Record &r) { return r.Description; }
    static void rekey(Record &r) { r.Category = QStringLiteral("Headlines"); }
    static StoreStatus insert(Collection &c, const Record &r) { return c.categories().insert(r); }
    static StoreStatus get(Collection &c, const QString &key, Record &out)
    {
        return c.categories().get(key, out);
    }
    static StoreStatus save(Collection &c, const QString &key, const Record &read, const Record &r)
    {
        return c.categories().changeIfUnchanged(key, read, r);
    }
    static StoreStatus remove(Collection &c, const QString &key)
    {
        return c.categories().remove(key);
    }
};

struct Snippets
{
    using Record = CatHtmlRecord;
    static Record initial()
    {
        return {QStringLiteral("General"), QStringLiteral("Before Category"), u"First"_s};
    }
    static QString key(const Record &r) { return r.TypeOfHTML; }
    static void edit(Record &r, const QString &text) { r.HTMLtoAdd = text; }
    static QString edited(const Record &r) { return r.HTMLtoAdd; }
    static void rekey(Record &r) { r.TypeOfHTML = QStringLiteral("After Category"); }
    static StoreStatus insert(Collection &c, const Record &r) { return c.catHtml().insert(r); }
    static StoreStatus get(Collection &c, const QString &key, Record &out)
    {
        return c.catHtml().get(QStringLiteral("General"), key, out);
    }
    static StoreStatus save(Collection &c, const QString &key, const Record &read, const Record &r)
    {
        return c.catHtml().changeIfUnchanged(QStringLiteral("General"), key, read, r);
    }
    static StoreStatus remove(Collection &c, const QString &key)
    {
        return c.catHtml().remove(QStringLiteral("General"), key);
    }
};

QString changeCatalogueText(const StoreStatus &s)
{
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    return errors.format(s.catalogueNumber, s.context).second;
}

template<class T>
class ChangeIfUnchanged : public StoreTest
{
protected:
    using Record = typename T::Record;

    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(T::insert(c(), T::initial()));
        // The second program: a connection of its own on the same files.
        m_other = std::make_unique<Collection>(m_temp.folder());
        ASSERT_TRUE(m_other->openAll(false));
    }

    Collection &other() { return *m_other; }
    Record read(Collection &from, const QString &key)
    {
        Record r;
        EXPECT_TRUE(T::get(from, key, r));
        return r;
    }
    QString storedText(const QString &key) { return T::edited(read(c(), key)); }

    std::unique_ptr<Collection> m_other;
};

using Managers = ::testing::Types<Locations, Categories, Snippets>;
TYPED_TEST_SUITE(ChangeIfUnchanged, Managers);

TYPED_TEST(ChangeIfUnchanged, TheSecondSaveOfTwoFromOneReadIsRefusedInEitherOrder)
{
    using T = TypeParam;
    const QString key = T::key(T::initial());
    for (const bool mineFirst : {true, false}) {
        SCOPED_TRACE(mineFirst ? "this program saves first" : "the other program saves first");
        auto mine = this->read(this->c(), key);
        auto theirs = this->read(this->other(), key);
        const auto mineRead = mine;
        const auto theirsRead = theirs;
        T::edit(mine, QStringLiteral("mine"));
        T::edit(theirs, QStringLiteral("theirs"));

        Collection &firstConnection = mineFirst ? this->c() : this->other();
        Collection &secondConnection = mineFirst ? this->other() : this->c();
        ASSERT_TRUE(T::save(firstConnection,
                            key,
                            mineFirst ? mineRead : theirsRead,
                            mineFirst ? mine : theirs));
        const StoreStatus refused = T::save(secondConnection,
                                            key,
                                            mineFirst ? theirsRead : mineRead,
                                            mineFirst ? theirs : mine);
        EXPECT_EQ(refused.error, StoreError::ChangedElsewhere) << refused;
        EXPECT_EQ(refused.catalogueNumber, Msg::ChangedElsewhereShown);
        EXPECT_TRUE(changeCatalogueText(refused).contains(u"Ctrl+H"_s));
        // The first save stands, and both connections see it.
        const QString winner = mineFirst ? u"mine"_s : u"theirs"_s;
        EXPECT_EQ(this->storedText(key), winner);
        EXPECT_EQ(T::edited(this->read(this->other(), key)), winner);

        // Read again, the same edit goes through.
        const auto fresh = this->read(secondConnection, key);
        auto again = fresh;
        T::edit(again, QStringLiteral("again"));
        ASSERT_TRUE(T::save(secondConnection, key, fresh, again));
        EXPECT_EQ(this->storedText(key), u"again"_s);
    }
}

TYPED_TEST(ChangeIfUnchanged, ARecordDeletedOrRekeyedMeanwhileIsNotWrittenBack)
{
    using T = TypeParam;
    const QString key = T::key(T::initial());
    auto mine = this->read(this->c(), key);
    const auto mineRead = mine;
    T::edit(mine, QStringLiteral("mine"));

    // The other program gives the record a new key: the old one is gone for this save.
    auto theirs = this->read(this->other(), key);
    const auto theirsRead = theirs;
    T::rekey(theirs);
    ASSERT_TRUE(T::save(this->other(), key, theirsRead, theirs));
    StoreStatus s = T::save(this->c(), key, mineRead, mine);
    EXPECT_EQ(s.error, StoreError::RecordNotFound) << s;
    EXPECT_EQ(s.catalogueNumber, Msg::ChangedOrDeletedElsewhere);
    EXPECT_TRUE(changeCatalogueText(s).contains(u"changed or deleted by another station"_s));
    typename T::Record r;
    EXPECT_EQ(T::get(this->c(), key, r).error, StoreError::RecordNotFound);
    EXPECT_EQ(this->storedText(T::key(theirs)), u"First"_s);

    // Deleted outright: refused the same way, and the record does not come back.
    ASSERT_TRUE(T::remove(this->other(), T::key(theirs)));
    s = T::save(this->c(), T::key(theirs), theirs, mine);
    EXPECT_EQ(s.catalogueNumber, Msg::ChangedOrDeletedElsewhere);
    EXPECT_EQ(T::get(this->c(), T::key(theirs), r).error, StoreError::RecordNotFound);
    EXPECT_EQ(T::get(this->c(), key, r).error, StoreError::RecordNotFound);
}

TEST_F(StoreTest, ACheckedSaveInsideALargerTransactionRollsBackWithIt)
{
    ASSERT_TRUE(c().categories().insert({QStringLiteral("News"), 0, {}}));
    CategoryRecord read;
    ASSERT_TRUE(c().categories().get(QStringLiteral("News"), read));
    CategoryRecord renamed = read;
    renamed.Category = QStringLiteral("Headlines");
    const StoreStatus s = c().transaction([&]() -> StoreStatus {
        if (StoreStatus ok = c().categories().changeIfUnchanged(u"News"_s, read, renamed); !ok)
            return ok;
        // A later step of the same save fails: the rename must not stay behind.
        return c().categories().insert({QStringLiteral("General"), 0, {}});
    });
    EXPECT_EQ(s.error, StoreError::DuplicateKey);
    EXPECT_TRUE(c().categories().exists(QStringLiteral("News")));
    EXPECT_FALSE(c().categories().exists(QStringLiteral("Headlines")));
}

} // namespace
} // namespace pk::test
