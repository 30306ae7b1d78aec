// "contains" searches narrowed through the collection's trigram index: the same rows as a scan
// for every kind of text, an index kept right by every writer, filled in steps for an existing
// collection, and never used where it could be stale.

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "store/categorymanager.h"
#include "store/collation.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/textindex.h"
#include "store/view.h"
#include "support/tempcollection.h"
#include "support/withoutprivileges.h"
#include "tools/filesalvage.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <map>

using namespace Qt::StringLiterals;

using namespace pk;

namespace {

LocationRecord location(const QString &address, const QString &description)
{
    LocationRecord r;
    r.Location = address;
    r.Description = description;
    r.Category = u"General"_s;
    return r;
}

/// Runs filter expressions with and without the index and checks the index itself.
class SubstringIndexTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        open(true);
        ASSERT_TRUE(c().categories().insert({u"General"_s, 0, {}}));
    }

    void open(bool indexWanted)
    {
        m_collection.reset();
        m_collection = std::make_unique<Collection>(m_temp.folder());
        m_collection->setTextIndexWanted(indexWanted);
        const StoreStatus s = m_collection->openAll(true);
        ASSERT_TRUE(s) << s.describe().toStdString();
    }

    Collection &c() { return *m_collection; }

    void fillAll(int step = 1000)
    {
        bool complete = false;
        for (int i = 0; i < 100000 && !complete; ++i)
            ASSERT_TRUE(c().fillTextIndex(step, complete));
        ASSERT_TRUE(complete);
    }

    std::optional<SqlFilter> compile(const QString &expression, bool useIndex)
    {
        QueryCompileContext context;
        context.resolveField = storeFieldResolver();
        if (useIndex)
            context.substringIndex = storeSubstringIndex(c());
        QueryError error;
        auto filter = QueryExpression::parse(expression).compile(context, error);
        EXPECT_TRUE(filter) << expression.toStdString() << ": " << error.describe().toStdString();
        return filter;
    }

    QStringList rows(const QString &expression, bool useIndex)
    {
        const std::optional<SqlFilter> filter = compile(expression, useIndex);
        if (!filter)
            return {};
        View view(c(), Keys::urlLocation());
        view.setFilter(*filter);
        ViewPage page;
        const StoreStatus s = view.firstPage(1000, page);
        EXPECT_TRUE(s) << expression.toStdString() << ": " << s.describe().toStdString();
        QStringList out;
        for (const ViewRow &row : page.rows)
            out << row.location().Location;
        return out;
    }

    bool narrowed(const QString &expression)
    {
        const std::optional<SqlFilter> filter = compile(expression, true);
        return filter && filter->where.contains(QLatin1String(TextIndex::Table));
    }

    /// The index holds exactly what indexing every location afresh gives.
    void expectIndexMatchesLocations()
    {
        try {
            SQLite::Database &db = c().db();
            db.exec("INSERT INTO LocationText (LocationText) VALUES ('integrity-check')");
            db.exec("DROP TABLE IF EXISTS temp.Fresh");
            db.exec("CREATE VIRTUAL TABLE temp.Fresh USING fts5(Description, Comments, Keyword, "
                    "tokenize='trigram')");
            db.exec("INSERT INTO temp.Fresh (rowid, Description, Comments, Keyword) SELECT rowid, "
                    "json_quote(Description), json_quote(Comments), json_quote(Keyword) FROM "
                    "main.Locations");
            db.exec("CREATE VIRTUAL TABLE IF NOT EXISTS temp.KeptWords USING "
                    "fts5vocab(main, 'LocationText', 'instance')");
            db.exec("CREATE VIRTUAL TABLE IF NOT EXISTS temp.FreshWords USING "
                    "fts5vocab(temp, 'Fresh', 'instance')");
            SQLite::Statement differ(db,
                                     "SELECT (SELECT count(*) FROM (SELECT * FROM KeptWords EXCEPT "
                                     "SELECT * FROM FreshWords)), (SELECT count(*) FROM (SELECT * "
                                     "FROM FreshWords EXCEPT SELECT * FROM KeptWords)), (SELECT "
                                     "count(*) FROM FreshWords)");
            ASSERT_TRUE(differ.executeStep());
            EXPECT_EQ(differ.getColumn(0).getInt(), 0) << "stale entries in the index";
            EXPECT_EQ(differ.getColumn(1).getInt(), 0) << "entries missing from the index";
            EXPECT_GT(differ.getColumn(2).getInt(), 0);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "index out of step: " << e.what();
        }
    }

    test::TempCollection m_temp;
    std::unique_ptr<Collection> m_collection;
};

TEST_F(SubstringIndexTest, SameRowsAsTheScanForEveryKindOfText)
{
    const QStringList descriptions{
        u"Garden tools and SEEDS"_s,
        u"gardening weekly"_s,
        u"Café Müller in Zürich"_s,
        u"CAFÉ MÜLLER"_s,
        u"Ωmega ΣΊΣΥΦΟΣ σίσυφος"_s,
        u"Москва новости"_s,
        u"МОСКВА"_s,
        u"ПАРИЖ летом"_s,
        u"a\u212Aelvin sign and \u017Fpecial s"_s, // KELVIN SIGN, LATIN SMALL LETTER LONG S
        u"İstanbul ıı straße STRASSE"_s,
        u"100% pure_fun * stars \"quoted\" it's"_s,
        u"rock AND roll OR NEAR(jazz) NOT"_s,
        u"ab"_s,
        u"日本語のページ"_s,
        u"emoji 😀 party"_s,
        u"tab\there"_s,
        u"tail spaces   "_s,
    };
    for (qsizetype i = 0; i < descriptions.size(); ++i) {
        LocationRecord r = location(u"http://site%1/"_s.arg(i), descriptions[i]);
        r.Comments = i % 3 == 0 ? u"comment about gardens"_s : QString();
        r.Keyword = i % 4 == 0 ? u"Keyword%1"_s.arg(i) : QString();
        ASSERT_TRUE(c().locations().insert(r));
    }
    ASSERT_TRUE(c().textIndexComplete()); // made complete at once in a new file
    expectIndexMatchesLocations();

    const QStringList searches{
        u"garden"_s,  u"GARDEN"_s,        u"ard"_s,     u"ga"_s,         u"g"_s,
        u"café"_s,    u"CAFE"_s,          u"müller"_s,  u"MÜLLER"_s,     u"zürich"_s,
        u"σίσυφος"_s, u"ΣΊΣΥΦΟΣ"_s,       u"москва"_s,  u"МОСКВА нов"_s, u"париж"_s,
        u"kelvin"_s,  u"ake"_s,           u"special"_s, u"spe"_s,        u"istanbul"_s,
        u"İst"_s,     u"straße"_s,        u"strasse"_s, u"100%"_s,       u"%"_s,
        u"_fu"_s,     u"pure_"_s,         u"* s"_s,     u"\"quoted\""_s, u"it''s"_s,
        u"AND"_s,     u"and roll"_s,      u"OR NEAR"_s, u"NEAR(jazz)"_s, u"NOT"_s,
        u"日本語"_s,  u"😀 p"_s,           u"b\"c"_s,    u"spaces   "_s,  u"spaces "_s,
        u"tab\th"_s,  u"{Comments} : "_s, u"gardens"_s, u"keyword1"_s,   u"eyword"_s,
        u""_s,
    };
    int narrowedCount = 0;
    for (const QString &text : searches) {
        for (const char *field :
             {"URL:Description", "URL:Comments", "URL:Keyword", "URL:Location"}) {
            const QString expression = QString::fromLatin1(field) + u" CONTAINS '"_s + text + u'\'';
            EXPECT_EQ(rows(expression, true), rows(expression, false)) << expression.toStdString();
            narrowedCount += narrowed(expression) ? 1 : 0;
        }
    }
    // Plain ASCII and the accented letters of Latin and Cyrillic are looked up, not scanned.
    EXPECT_TRUE(narrowed(u"URL:Description CONTAINS 'garden'"_s));
    EXPECT_TRUE(narrowed(u"URL:Description CONTAINS 'müller'"_s));
    EXPECT_TRUE(narrowed(u"URL:Comments CONTAINS 'gardens'"_s));
    EXPECT_TRUE(narrowed(u"URL:Description CONTAINS 'париж'"_s));
    EXPECT_GT(narrowedCount, 30);
    // Short texts, letters folded differently (Greek, dotted I, long s) and Location scan.
    for (const QString &e : {u"URL:Description CONTAINS 'ga'"_s,
                             u"URL:Description CONTAINS 'σίσυφος'"_s,
                             u"URL:Description CONTAINS 'İst'"_s,
                             u"URL:Description CONTAINS 'ſpe'"_s,
                             u"URL:Description CONTAINS '日本語'"_s,
                             u"URL:Location CONTAINS 'site1'"_s})
        EXPECT_FALSE(narrowed(e)) << e.toStdString();

    // Only where the condition must hold: negations keep the scan, and so do alternatives
    // unless every one of them is looked up.
    const QStringList combined{
        u"URL:Description CONTAINS 'garden' AND URL:Comments CONTAINS 'comment'"_s,
        u"URL:Description CONTAINS 'garden' OR URL:Description CONTAINS 'MÜLLER'"_s,
        u"URL:Description CONTAINS 'müller' OR URL:Comments CONTAINS 'gardens' OR URL:Keyword "
        "CONTAINS 'keyword1'"_s,
        u"URL:Rating = 0 AND (URL:Comments CONTAINS 'gardens' OR URL:Keyword CONTAINS 'word')"_s,
        u"URL:Description CONTAINS 'garden' OR URL:Description CONTAINS 'ga'"_s,
        u"URL:Description CONTAINS 'garden' OR URL:Location CONTAINS 'site1'"_s,
        u"NOT (URL:Description CONTAINS 'garden' OR URL:Comments CONTAINS 'gardens')"_s,
        u"NOT URL:Description CONTAINS 'garden'"_s,
        u"URL:Description NOT CONTAINS 'garden'"_s,
        u"NOT (URL:Description CONTAINS 'garden' AND URL:Rating = 0)"_s,
        u"URL:Rating = 0 AND NOT URL:Comments CONTAINS 'gardens'"_s,
        u"(URL:Description CONTAINS 'cafe' OR URL:Rating > 5) AND URL:Location CONTAINS 'site'"_s,
    };
    for (const QString &e : combined)
        EXPECT_EQ(rows(e, true), rows(e, false)) << e.toStdString();
    // The alternatives over three columns still find every row that holds the text.
    EXPECT_EQ(rows(combined[2], true).size(), 8);
    for (qsizetype i = 0; i < 4; ++i)
        EXPECT_TRUE(narrowed(combined[i])) << combined[i].toStdString();
    for (qsizetype i = 4; i < combined.size(); ++i)
        EXPECT_FALSE(narrowed(combined[i])) << combined[i].toStdString();
}

TEST_F(SubstringIndexTest, TextsInManyRowsAreReadInOrderInstead)
{
    ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
        for (int i = 0; i < 1500; ++i) {
            const QString description = i == 700 ? u"common and unusual"_s : u"common %1"_s.arg(i);
            if (StoreStatus s = c().locations().insert(
                    location(u"http://m%1/"_s.arg(i, 4, 10, QLatin1Char('0')), description));
                !s)
                return s;
        }
        return {};
    }));
    // Looking up 1500 candidates for every page would cost more than reading until one is full.
    EXPECT_FALSE(narrowed(u"URL:Description CONTAINS 'common'"_s));
    EXPECT_TRUE(narrowed(u"URL:Description CONTAINS 'unusual'"_s));
    EXPECT_TRUE(narrowed(u"URL:Description CONTAINS 'common 12'"_s)); // 11 rows
    EXPECT_EQ(rows(u"URL:Description CONTAINS 'unusual'"_s, true), QStringList{u"http://m0700/"_s});
    EXPECT_EQ(rows(u"URL:Description CONTAINS 'common'"_s, true).size(), 1000); // one page
}

TEST(SubstringIndexFolding, EveryLetterTheScanTakesForANarrowedLetterIsFoundByTheIndex)
{
    // For each letter a narrowed search may hold, every code point PK_CONTAINS takes as equal
    // to it (same case fold) must be folded alike by the tokenizer, or rows would go missing.
    std::map<char32_t, std::vector<char32_t>> byFold;
    for (char32_t cp = 1; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        byFold[QChar::toCaseFolded(cp)].push_back(cp);
    }
    SQLite::Database db(":memory:", SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE VIRTUAL TABLE t USING fts5(x, tokenize='trigram')");
    SQLite::Statement add(db, "INSERT INTO t (rowid, x) VALUES (?, ?)");
    SQLite::Statement find(db, "SELECT count(*) FROM t WHERE t MATCH ? AND rowid = ?");
    int checked = 0;
    int64_t row = 0;
    for (char32_t n = 0x20; n <= 0x10FFFF; ++n) {
        if (n >= 0xD800 && n <= 0xDFFF)
            continue;
        const QString needle = u"q"_s + QString::fromUcs4(&n, 1) + u"z"_s;
        if (!TextIndex::canNarrow(needle))
            continue;
        for (const char32_t t : byFold[QChar::toCaseFolded(n)]) {
            const QString text = u"xq"_s + QString::fromUcs4(&t, 1) + u"zy"_s;
            ++row;
            add.reset();
            add.bind(1, row);
            add.bind(2, text.toStdString());
            add.exec();
            find.reset();
            find.bind(1, TextIndex::matchText(u"x"_s, needle).toStdString());
            find.bind(2, row);
            ASSERT_TRUE(find.executeStep());
            EXPECT_EQ(find.getColumn(0).getInt(), 1)
                << "U+" << std::hex << uint32_t(n) << " misses U+" << uint32_t(t);
            ++checked;
        }
    }
    EXPECT_GT(checked, 500);
}

TEST_F(SubstringIndexTest, WritersKeepTheIndexRight)
{
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(
            c().locations().insert(location(u"http://w%1/"_s.arg(i), u"word%1 garden"_s.arg(i))));
    // Changed, renamed, deleted, and many rows in one transaction.
    LocationRecord changed = location(u"http://w3-renamed/"_s, u"orchard now"_s);
    changed.Comments = u"pruned"_s;
    ASSERT_TRUE(c().locations().change(u"http://w3/"_s, changed));
    ASSERT_TRUE(c().locations().remove(u"http://w4/"_s));
    ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
        for (int i = 100; i < 400; ++i) {
            if (StoreStatus s = c().locations().insert(
                    location(u"http://b%1/"_s.arg(i), u"bulk row %1"_s.arg(i)));
                !s)
                return s;
        }
        return {};
    }));
    // A bulk change through SQL, as a global replace writes.
    c().db().exec("UPDATE Locations SET Description = replace(Description, 'garden', 'meadow') "
                  "WHERE rowid % 2 = 0");
    // A rolled-back batch leaves nothing behind in the index either.
    EXPECT_FALSE(c().transaction([&]() -> StoreStatus {
        EXPECT_TRUE(c().locations().insert(location(u"http://gone/"_s, u"vanishing garden"_s)));
        return StoreStatus::failure(StoreError::Other, u"undo"_s);
    }));
    expectIndexMatchesLocations();
    for (const QString &e : {u"URL:Description CONTAINS 'garden'"_s,
                             u"URL:Description CONTAINS 'meadow'"_s,
                             u"URL:Description CONTAINS 'orchard'"_s,
                             u"URL:Comments CONTAINS 'pruned'"_s,
                             u"URL:Description CONTAINS 'word4 '"_s,
                             u"URL:Description CONTAINS 'vanishing'"_s,
                             u"URL:Description CONTAINS 'row 39'"_s}) {
        ASSERT_TRUE(narrowed(e));
        EXPECT_EQ(rows(e, true), rows(e, false)) << e.toStdString();
    }
    EXPECT_EQ(rows(u"URL:Description CONTAINS 'orchard'"_s, true),
              QStringList{u"http://w3-renamed/"_s});
    EXPECT_TRUE(rows(u"URL:Description CONTAINS 'vanishing'"_s, true).isEmpty());

    // Embedded NUL characters do not hide the text after them.
    c().db().exec("UPDATE Locations SET Description = 'before' || char(0) || 'afterword' "
                  "WHERE Location = 'http://w7/'");
    const QString after = u"URL:Description CONTAINS 'afterword'"_s;
    EXPECT_EQ(rows(after, true), rows(after, false));
}

TEST_F(SubstringIndexTest, BatchIndexesItsNewRowsInOnePassAtItsCommit)
{
    ASSERT_TRUE(c().locations().insert(location(u"http://before/"_s, u"batch word old"_s)));
    const QString query = u"URL:Description CONTAINS 'batch word'"_s;
    ASSERT_TRUE(narrowed(query));
    const std::optional<SqlFilter> compiled = compile(query, true);
    ASSERT_TRUE(compiled);
    auto run = [&](const SqlFilter &filter) {
        View view(c(), Keys::urlLocation());
        view.setFilter(filter);
        ViewPage page;
        EXPECT_TRUE(view.firstPage(2000, page));
        return page.rows.size();
    };
    auto batch = [&](int first, bool keep) {
        return c().transaction([&]() -> StoreStatus {
            for (int i = first; i < first + 500; ++i) {
                if (StoreStatus s = c().locations().insert(
                        location(u"http://batch%1/"_s.arg(i), u"batch word %1"_s.arg(i)));
                    !s)
                    return s;
            }
            // The new rows are not in the index yet, and a filter made before still finds them.
            EXPECT_EQ(TextIndex::state(c().db(), "main"), TextIndex::State::Filling);
            EXPECT_EQ(run(*compiled), size_t(first + 501));
            return keep ? StoreStatus{} : StoreStatus::failure(StoreError::Other, u"undo"_s);
        });
    };
    ASSERT_TRUE(batch(0, true));
    EXPECT_TRUE(c().textIndexComplete());
    expectIndexMatchesLocations();
    EXPECT_EQ(run(*compiled), 501u);
    // A batch undone takes its rows and the deferral with it.
    EXPECT_FALSE(batch(500, false));
    EXPECT_TRUE(c().textIndexComplete());
    expectIndexMatchesLocations();
    EXPECT_EQ(rows(query, true), rows(query, false));
    EXPECT_EQ(rows(query, true).size(), 501);
}

TEST_F(SubstringIndexTest, BatchChangesAndDeletesAreRedoneInOnePassAtTheCommit)
{
    ASSERT_TRUE(c().transaction([&]() -> StoreStatus {
        for (int i = 0; i < 300; ++i)
            if (StoreStatus s = c().locations().insert(
                    location(u"http://row%1/"_s.arg(i), u"alpha text %1"_s.arg(i)));
                !s)
                return s;
        return {};
    }));
    ASSERT_TRUE(c().textIndexComplete());
    const QString omega = u"URL:Description CONTAINS 'omega text'"_s;
    const QString alpha = u"URL:Description CONTAINS 'alpha text 1'"_s;
    ASSERT_TRUE(narrowed(alpha));
    const std::optional<SqlFilter> compiledOmega = compile(omega, true);
    ASSERT_TRUE(compiledOmega);
    auto count = [&](const SqlFilter &filter) {
        View view(c(), Keys::urlLocation());
        view.setFilter(filter);
        qint64 n = 0;
        EXPECT_TRUE(view.count(n));
        return n;
    };
    auto batch = [&](bool keep) {
        return c().transaction([&]() -> StoreStatus {
            for (int i = 0; i < 260; ++i) {
                const QString address = u"http://row%1/"_s.arg(i);
                LocationRecord r = location(address, u"omega text %1"_s.arg(i));
                if (i % 10 == 0) // a second change of the same row
                    if (StoreStatus s = c().locations().change(address, r); !s)
                        return s;
                if (i % 7 == 0)
                    r.Location = u"http://moved%1/"_s.arg(i);
                if (StoreStatus s = c().locations().change(address, r); !s)
                    return s;
            }
            for (int i = 270; i < 290; ++i)
                if (StoreStatus s = c().locations().remove(u"http://row%1/"_s.arg(i)); !s)
                    return s;
            // Deferred: a filter made before still finds every changed row.
            EXPECT_EQ(TextIndex::state(c().db(), "main"), TextIndex::State::Filling);
            EXPECT_EQ(count(*compiledOmega), 260);
            return keep ? StoreStatus{} : StoreStatus::failure(StoreError::Other, u"undo"_s);
        });
    };
    EXPECT_FALSE(batch(false));
    EXPECT_TRUE(c().textIndexComplete());
    expectIndexMatchesLocations();
    EXPECT_EQ(rows(alpha, true), rows(alpha, false));
    ASSERT_TRUE(batch(true));
    EXPECT_TRUE(c().textIndexComplete());
    expectIndexMatchesLocations();
    ASSERT_TRUE(narrowed(omega));
    EXPECT_EQ(rows(omega, true), rows(omega, false));
    EXPECT_EQ(rows(omega, true).size(), 260);
    EXPECT_EQ(rows(alpha, true), rows(alpha, false));
    EXPECT_EQ(rows(alpha, true).size(), 0);
}

TEST_F(SubstringIndexTest, ExistingCollectionIsIndexedInStepsWhileItIsWritten)
{
    open(false); // a collection written without the index
    EXPECT_FALSE(TextIndex::present(c().db(), "main"));
    for (int i = 0; i < 60; ++i)
        ASSERT_TRUE(
            c().locations().insert(location(u"http://s%1/"_s.arg(i), u"step text %1"_s.arg(i))));
    open(true);
    EXPECT_EQ(TextIndex::state(c().db(), "main"), TextIndex::State::Filling);
    EXPECT_FALSE(c().textIndexComplete());
    const QString query = u"URL:Description CONTAINS 'text 1'"_s;
    EXPECT_FALSE(narrowed(query)); // not used until complete
    const QStringList expected = rows(query, false);
    EXPECT_EQ(expected.size(), 11);

    bool complete = false;
    ASSERT_TRUE(c().fillTextIndex(25, complete));
    EXPECT_FALSE(complete);
    // Writes below and above the filled row ids, between the steps.
    LocationRecord low = location(u"http://s2/"_s, u"step text 100 low"_s);
    ASSERT_TRUE(c().locations().change(u"http://s2/"_s, low));
    LocationRecord high = location(u"http://s50/"_s, u"step text 150 high"_s);
    ASSERT_TRUE(c().locations().change(u"http://s50/"_s, high));
    ASSERT_TRUE(c().locations().remove(u"http://s3/"_s));
    ASSERT_TRUE(c().locations().remove(u"http://s55/"_s));
    ASSERT_TRUE(c().locations().insert(location(u"http://s-new/"_s, u"step text 1 new"_s)));
    // A kill between steps: the next run goes on from the filled row id.
    open(true);
    EXPECT_EQ(TextIndex::state(c().db(), "main"), TextIndex::State::Filling);
    ASSERT_TRUE(c().fillTextIndex(25, complete));
    EXPECT_FALSE(complete);
    fillAll(25);
    EXPECT_TRUE(c().textIndexComplete());
    expectIndexMatchesLocations();
    ASSERT_TRUE(narrowed(query));
    EXPECT_EQ(rows(query, true), rows(query, false));
    EXPECT_EQ(rows(query, true).size(), 14);
}

TEST_F(SubstringIndexTest, FileToolsAndReadersWithoutTheIndexKeepWorking)
{
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(
            c().locations().insert(location(u"http://t%1/"_s.arg(i), u"tool text %1"_s.arg(i))));
    for (int i = 0; i < 40; i += 3)
        ASSERT_TRUE(c().locations().remove(u"http://t%1/"_s.arg(i)));
    const QString query = u"URL:Description CONTAINS 'text 2'"_s;
    const QStringList expected = rows(query, false);

    // Build (keys rebuilt) and Pack (VACUUM) leave a complete, correct index.
    ASSERT_TRUE(c().rebuildKeys(CollectionFile::Data));
    ASSERT_TRUE(c().pack(CollectionFile::Data));
    EXPECT_TRUE(c().textIndexComplete());
    expectIndexMatchesLocations();
    EXPECT_EQ(rows(query, true), expected);

    // Repair copies the locations into a new file; its index is made from them, not copied.
    c().close();
    const QString repaired = m_temp.root() + u"/repaired"_s;
    const SalvageResult salvage
        = FileSalvage::copy(m_temp.path(u"URLDATA.TPS"_s), CollectionFile::Data, repaired, true);
    ASSERT_TRUE(salvage.status) << salvage.status.describe().toStdString();
    EXPECT_EQ(salvage.rows, 26);
    {
        Collection copy(repaired);
        ASSERT_TRUE(copy.open(CollectionFile::Data, false));
        EXPECT_TRUE(copy.textIndexComplete());
        SQLite::Statement found(copy.db(),
                                "SELECT count(*) FROM LocationText WHERE LocationText MATCH "
                                "'\"tool text\"'");
        ASSERT_TRUE(found.executeStep());
        EXPECT_EQ(found.getColumn(0).getInt(), 26);
    }

    // A reader that knows nothing of the index (only the collation) reads every row.
    {
        SQLite::Database plain(m_temp.path(u"URLDATA.TPS"_s).toStdString(), SQLite::OPEN_READONLY);
        Collation::registerOn(plain.getHandle());
        SQLite::Statement count(plain,
                                "SELECT count(*) FROM Locations WHERE Description LIKE '%text%'");
        ASSERT_TRUE(count.executeStep());
        EXPECT_EQ(count.getColumn(0).getInt(), 26);
    }

    // Switched off: the index goes and searches scan.
    open(false);
    EXPECT_FALSE(TextIndex::present(c().db(), "main"));
    EXPECT_FALSE(narrowed(query));
    EXPECT_EQ(rows(query, true), expected);
    ASSERT_TRUE(c().locations().insert(location(u"http://t-off/"_s, u"tool text 2 off"_s)));
    // Back on: filled anew and complete after the steps.
    open(true);
    fillAll();
    expectIndexMatchesLocations();
    EXPECT_EQ(rows(query, true).size(), expected.size() + 1);
}

TEST_F(SubstringIndexTest, ReadOnlyCollectionWithoutTheIndexOpensAndScans)
{
    open(false);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(
            c().locations().insert(location(u"http://r%1/"_s.arg(i), u"read only %1"_s.arg(i))));
    m_collection.reset();
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        QFile::setPermissions(m_temp.path(QString::fromLatin1(name)),
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup
                                  | QFileDevice::ReadOther);
    const auto check = [&] {
        Collection readOnly(m_temp.folder());
        ASSERT_TRUE(readOnly.openAll(false));
        ASSERT_TRUE(readOnly.isReadOnly(CollectionFile::Data));
        EXPECT_FALSE(TextIndex::present(readOnly.db(), "main"));
        EXPECT_FALSE(readOnly.textIndexComplete());
        EXPECT_FALSE(storeSubstringIndex(readOnly));
        bool complete = false;
        EXPECT_TRUE(readOnly.fillTextIndex(10, complete));
        EXPECT_TRUE(complete);
        EXPECT_EQ(readOnly.locations().count(), 5);
    };
    // File permissions bind only an unprivileged user.
    test::withoutPrivileges(m_temp, check);
}

} // namespace
