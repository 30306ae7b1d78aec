// Filtered paging over a million locations: a "Contains" query on the description returning the
// first 50 rows in key order (what a list shows first), and a MATCH that has to read every row.
// The BM_Store* cases page through the store's own view of a real collection; the others run the
// compiled filter on a bare SQLite table with the same data, to show the filter's own cost.

#include "browse/query/queryexpression.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/storefieldresolver.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/sqlfunctions.h"
#include "store/view.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <random>
#include <stdexcept>

namespace {

constexpr int RowCount = 1'000'000;
constexpr int PageSize = 50;

/// Four words from a small vocabulary (some not ASCII), the row number, and for one row in
/// 20,000 a rare tail: fifty rows in all.
QByteArray makeDescription(int i, std::mt19937 &random)
{
    static const char *const words[] = {"news",
                                        "daily",
                                        "computer",
                                        "shop",
                                        "garden",
                                        "music",
                                        "travel",
                                        "recipes",
                                        "science",
                                        "sport",
                                        "forum",
                                        "photo",
                                        "Café",
                                        "Straße",
                                        "weather",
                                        "games",
                                        "books",
                                        "cinema"};
    const int wordCount = static_cast<int>(std::size(words));
    QByteArray description;
    for (int w = 0; w < 4; ++w) {
        if (w)
            description += ' ';
        description += words[random() % wordCount];
    }
    description += ' ' + QByteArray::number(i);
    if (i % 20'000 == 7)
        description += " O'Neil 100% sure";
    return description;
}

void check(sqlite3 *db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

/// A Locations table of a million rows with its description key, built once per run.
class Collection
{
public:
    Collection()
    {
        if (!m_dir.isValid())
            throw std::runtime_error("no temporary folder");
        const QByteArray path = (m_dir.path() + QStringLiteral("/URLDATA.TPS")).toUtf8();
        check(m_db, sqlite3_open(path.constData(), &m_db));
        pk::registerSqlFunctions(m_db);
        exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536");
        exec("CREATE TABLE Locations (Location TEXT NOT NULL PRIMARY KEY, Description TEXT NOT "
             "NULL, "
             "Category TEXT NOT NULL, Rating INTEGER NOT NULL, Validated INTEGER NOT NULL, "
             "LastVisit INTEGER NOT NULL)");
        std::mt19937 random(42);
        exec("BEGIN");
        sqlite3_stmt *insert = nullptr;
        check(m_db,
              sqlite3_prepare_v2(m_db,
                                 "INSERT INTO Locations VALUES (?,?,?,?,?,?)",
                                 -1,
                                 &insert,
                                 nullptr));
        for (int i = 0; i < RowCount; ++i) {
            const QByteArray description = makeDescription(i, random);
            const QByteArray location = "http://site" + QByteArray::number(i) + ".example/";
            const QByteArray category = "Category " + QByteArray::number(i % 40);
            sqlite3_bind_text(insert, 1, location.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, description.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, category.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 4, static_cast<int>(i % 11));
            sqlite3_bind_int(insert, 5, static_cast<int>(i % 3));
            sqlite3_bind_int(insert, 6, 80'000 + static_cast<int>(i % 5000));
            check(m_db, sqlite3_step(insert));
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec("COMMIT");
        exec("CREATE INDEX URL_K_Description ON Locations (Description COLLATE NOCASE, Location)");
        exec("ANALYZE");
        m_fields.load(pk::QueryFieldTexts::locations());
    }

    ~Collection() { sqlite3_close(m_db); }

    static Collection &instance()
    {
        static Collection c;
        return c;
    }

    /// Compiles `expression` and runs `sqlHead` + WHERE + `sqlTail`; returns the rows read.
    int run(const QString &expression, const char *sqlHead, const char *sqlTail)
    {
        const pk::QueryExpression e = pk::QueryExpression::parse(expression);
        pk::QueryCompileContext context;
        context.resolveField = m_fields.resolver();
        pk::QueryError error;
        const std::optional<pk::SqlFilter> filter = e.compile(context, error);
        if (!filter)
            throw std::runtime_error(error.describe().toStdString());
        QByteArray sql = sqlHead;
        if (!filter->where.isEmpty())
            sql += " WHERE " + filter->where.toUtf8();
        sql += sqlTail;
        sqlite3_stmt *stmt = nullptr;
        check(m_db, sqlite3_prepare_v2(m_db, sql.constData(), -1, &stmt, nullptr));
        QList<QByteArray> keep; // bound texts must outlive the statement
        for (int i = 0; i < filter->bindings.size(); ++i) {
            const QVariant &v = filter->bindings.at(i);
            if (v.typeId() == QMetaType::QString) {
                keep.append(v.toString().toUtf8());
                sqlite3_bind_text(stmt, i + 1, keep.last().constData(), -1, SQLITE_STATIC);
            } else {
                sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            }
        }
        int rows = 0;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, 0));
            ++rows;
        }
        check(m_db, rc);
        sqlite3_finalize(stmt);
        return rows;
    }

private:
    void exec(const char *sql) { check(m_db, sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr)); }

    QTemporaryDir m_dir;
    sqlite3 *m_db = nullptr;
    pk::QueryFieldTable m_fields;
};

constexpr const char *FirstPageHead
    = "SELECT Location, Description FROM Locations INDEXED BY URL_K_Description";
constexpr const char *FirstPageTail = " ORDER BY Description COLLATE NOCASE, Location LIMIT 50";

void firstPage(benchmark::State &state, const QString &expression)
{
    Collection &c = Collection::instance();
    int rows = 0;
    for (auto _ : state)
        rows = c.run(expression, FirstPageHead, FirstPageTail);
    state.counters["rows"] = rows;
}

void BM_FirstPageUnfiltered(benchmark::State &state)
{
    firstPage(state, QString());
}

void BM_FirstPageContainsCommonWord(benchmark::State &state)
{
    firstPage(state, QStringLiteral("URL:Description CONTAINS 'computer'"));
}

void BM_FirstPageContainsRareValue(benchmark::State &state)
{
    // Fifty matches spread over the whole table: the page is complete only after the last row.
    firstPage(state, QStringLiteral("URL:Description CONTAINS 'o''neil 100%'"));
}

void BM_FirstPageContainsNonAscii(benchmark::State &state)
{
    firstPage(state,
              QStringLiteral(
                  "URL:Description CONTAINS 'STRASSE' OR URL:Description CONTAINS 'CAFÉ'"));
}

void BM_FirstPageWizardQuery(benchmark::State &state)
{
    firstPage(state,
              QStringLiteral("URL:Description CONTAINS 'garden' AND URL:Rating >= 5 OR "
                             "URL:Category = 'category 7' AND URL:Validated = 2"));
}

void BM_MatchWholeTable(benchmark::State &state)
{
    Collection &c = Collection::instance();
    for (auto _ : state)
        c.run(QStringLiteral("MATCH(URL:Description,'*co??uter*sport*',17)"),
              "SELECT Location FROM Locations",
              "");
    state.counters["rowsScanned"] = RowCount;
}

void BM_MatchFieldSearchRare(benchmark::State &state)
{
    Collection &c = Collection::instance();
    int rows = 0;
    for (auto _ : state)
        rows = c.run(QStringLiteral("MATCH(URL:Description,'*O''Neil*',17)"),
                     "SELECT Location FROM Locations",
                     "");
    state.counters["rows"] = rows;
}

void BM_ParseAndCompile(benchmark::State &state)
{
    pk::QueryFieldTable fields;
    fields.load(pk::QueryFieldTexts::locations());
    pk::QueryCompileContext context;
    context.resolveField = fields.resolver();
    const QString text = QStringLiteral(
        "URL:Description CONTAINS 'garden' AND URL:Rating >= 5 OR UPPER(URL:Category) = "
        "UPPER('news') "
        "AND NOT URL:LastVisit < '2024-01-01' OR MATCH(URL:Location,'*.org/*',17)");
    for (auto _ : state) {
        const pk::QueryExpression e = pk::QueryExpression::parse(text);
        pk::QueryError error;
        benchmark::DoNotOptimize(e.compile(context, error));
    }
}

/// A collection of a million locations made through the store's record manager.
class StoreCollection
{
public:
    StoreCollection()
        : m_collection(m_dir.path())
    {
        if (!m_collection.openAll(true))
            throw std::runtime_error("cannot create the collection");
        for (int i = 0; i < 40; ++i) {
            pk::CategoryRecord category;
            category.Category = QStringLiteral("Category %1").arg(i);
            if (!m_collection.categories().insert(category))
                throw std::runtime_error("cannot add a category");
        }
        std::mt19937 random(42);
        int i = 0;
        while (i < RowCount) {
            const int end = std::min(RowCount, i + 100'000);
            const pk::StoreStatus status = m_collection.transaction([&] {
                for (; i < end; ++i) {
                    pk::LocationRecord l;
                    l.Location = QStringLiteral("http://site%1.example/").arg(i);
                    l.Description = QString::fromUtf8(makeDescription(i, random));
                    l.Category = QStringLiteral("Category %1").arg(i % 40);
                    l.Rating = i % 11;
                    l.Validated = static_cast<quint8>(i % 3);
                    l.LastVisit = 80'000 + i % 5000;
                    const pk::StoreStatus st = m_collection.locations().insert(l);
                    if (!st)
                        return st;
                }
                return pk::StoreStatus{};
            });
            if (!status)
                throw std::runtime_error(status.describe().toStdString());
        }
    }

    static StoreCollection &instance()
    {
        static StoreCollection c;
        return c;
    }

    /// Compiles `expression` with the store's field names and reads the first page by description.
    int firstPage(const QString &expression)
    {
        pk::QueryCompileContext context;
        context.resolveField = pk::storeFieldResolver();
        pk::QueryError error;
        const std::optional<pk::SqlFilter> filter
            = pk::QueryExpression::parse(expression).compile(context, error);
        if (!filter)
            throw std::runtime_error(error.describe().toStdString());
        pk::View view(m_collection, pk::Keys::urlDescription());
        view.setFilter(*filter);
        pk::ViewPage page;
        if (!view.firstPage(PageSize, page))
            throw std::runtime_error("first page failed");
        return static_cast<int>(page.rows.size());
    }

private:
    QTemporaryDir m_dir;
    pk::Collection m_collection;
};

void storePage(benchmark::State &state, const QString &expression)
{
    StoreCollection &c = StoreCollection::instance();
    int rows = 0;
    for (auto _ : state)
        rows = c.firstPage(expression);
    state.counters["rows"] = rows;
}

void BM_StoreFirstPageUnfiltered(benchmark::State &state)
{
    storePage(state, QString());
}

void BM_StoreFirstPageContainsCommonWord(benchmark::State &state)
{
    storePage(state, QStringLiteral("URL:Description CONTAINS 'computer'"));
}

void BM_StoreFirstPageContainsRareValue(benchmark::State &state)
{
    storePage(state, QStringLiteral("URL:Description CONTAINS 'o''neil 100%'"));
}

void BM_StoreFirstPageFieldSearch(benchmark::State &state)
{
    storePage(state, QStringLiteral("MATCH(URL:Description,'*O''Neil*',17)"));
}

} // namespace

BENCHMARK(BM_StoreFirstPageUnfiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreFirstPageContainsCommonWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreFirstPageContainsRareValue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreFirstPageFieldSearch)->Unit(benchmark::kMillisecond);

namespace {} // namespace

BENCHMARK(BM_FirstPageUnfiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageContainsCommonWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageContainsRareValue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageContainsNonAscii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageWizardQuery)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchWholeTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchFieldSearchRare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndCompile)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
