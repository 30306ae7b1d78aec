// Figures for the collection store on a collection of a million locations:
//   insert rate through the record manager (validity rules on, one transaction),
//   open + count, locate + one page of 50 for every key, resident memory while open.
// The collection is built once in a folder (default: $TMPDIR/pathkeep-bench-store) and reused.
//
//   bench_store [--folder PATH] [--rows N] [--insert N] [--no-index]
//
// --no-index opens the collection without the substring index (removing one it holds); without
// it, an index not yet complete is filled first and its filling time reported.

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/view.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>

#include <cstdio>
#include <ctime>
#include <random>
#include <string>

using namespace pk;

namespace {

constexpr int kCategories = 200;
bool g_textIndex = true;
const char *const kWords[] = {"news",   "daily",   "linux",  "garden",  "recipes", "music",
                              "travel", "photo",   "code",   "cloud",   "sport",   "weather",
                              "books",  "films",   "health", "money",   "maps",    "games",
                              "shop",   "science", "art",    "history", "kids",    "jobs"};
constexpr int kWordCount = int(std::size(kWords));

QString word(std::mt19937 &rng)
{
    return QString::fromLatin1(kWords[rng() % kWordCount]);
}

LocationRecord makeLocation(const QString &prefix, int i, std::mt19937 &rng)
{
    LocationRecord r;
    r.Location = QStringLiteral("https://www.%1%2.example.com/%3/%4.html")
                     .arg(prefix, QString::number(rng() % 500000), word(rng), QString::number(i));
    r.Description = QStringLiteral("%1 %2 %3 page %4").arg(word(rng), word(rng), word(rng)).arg(i);
    r.Category = QStringLiteral("Category %1").arg(rng() % kCategories);
    r.Rating = int(rng() % 12) - 1; // -1 .. 10
    r.Keyword = word(rng);
    r.Validated = quint8(rng() % 3);
    r.SiteInfo = QStringLiteral("Site information for location %1").arg(i);
    return r;
}

/// Processor time of this process in seconds: the fair figure when other work shares the cores.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

bool check(const StoreStatus &s, const char *what)
{
    if (s)
        return true;
    std::fprintf(stderr, "%s failed: %s\n", what, s.describe().toUtf8().constData());
    return false;
}

/// Fills the substring index as the program does, in steps, and reports the time it took.
bool fillTextIndex(Collection &c)
{
    if (!g_textIndex || c.textIndexComplete())
        return true;
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds();
    bool complete = false;
    while (!complete) {
        if (!check(c.fillTextIndex(2000, complete), "fill the substring index"))
            return false;
    }
    std::printf("substring index filled for %lld locations: wall %.1f s, processor %.1f s\n",
                static_cast<long long>(c.locations().count()),
                t.nsecsElapsed() / 1e9,
                cpuSeconds() - cpu0);
    return true;
}

int build(const QString &folder, int rows)
{
    QDir().mkpath(folder);
    Collection c(folder);
    c.setTextIndexWanted(g_textIndex);
    if (!check(c.openAll(true), "open"))
        return 1;
    if (!fillTextIndex(c))
        return 1;
    for (int i = 0; i < kCategories; ++i) {
        const QString name = QStringLiteral("Category %1").arg(i);
        if (!c.categories().exists(name) && !check(c.categories().insert({name, 0, {}}), "category"))
            return 1;
    }
    const qint64 have = c.locations().count();
    if (have >= rows) {
        std::printf("collection: %lld locations in %s (reused)\n",
                    static_cast<long long>(have),
                    qPrintable(folder));
        return 0;
    }
    QElapsedTimer t;
    t.start();
    std::mt19937 rng(42);
    int i = int(have);
    while (i < rows) {
        const int end = std::min(rows, i + 100000);
        const StoreStatus s = c.transaction([&] {
            for (; i < end; ++i) {
                const StoreStatus st = c.locations().insert(
                    makeLocation(QStringLiteral("site"), i, rng));
                if (!st && st.error != StoreError::DuplicateKey)
                    return st;
            }
            return StoreStatus{};
        });
        if (!check(s, "build"))
            return 1;
    }
    std::printf("collection: built %d locations in %.1f s\n", rows, t.elapsed() / 1000.0);
    return 0;
}

int insertBench(const QString &folder, int count)
{
    Collection c(folder);
    c.setTextIndexWanted(g_textIndex);
    if (!check(c.openAll(false), "open"))
        return 1;
    std::mt19937 rng(7);
    std::vector<LocationRecord> records;
    records.reserve(count);
    for (int i = 0; i < count; ++i)
        records.push_back(makeLocation(QStringLiteral("bench-insert-"), i, rng));
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds();
    int inserted = 0;
    const StoreStatus s = c.transaction([&] {
        for (const LocationRecord &r : records) {
            const StoreStatus st = c.locations().insert(r);
            if (st)
                ++inserted;
            else if (st.error != StoreError::DuplicateKey)
                return st;
        }
        std::printf("insert: before the commit: wall %.2f s, processor %.2f s\n",
                    t.nsecsElapsed() / 1e9,
                    cpuSeconds() - cpu0);
        return StoreStatus{};
    });
    const double secs = t.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    if (!check(s, "insert"))
        return 1;
    std::printf("insert: %d locations through LocationManager (rules on, one transaction, commit "
                "included, %s): wall %.2f s = %.0f per second; processor %.2f s = %.0f per "
                "second\n",
                inserted,
                c.textIndexComplete() ? "substring index kept" : "no substring index",
                secs,
                inserted / secs,
                cpu,
                inserted / cpu);
    // Put the collection back as it was for the next run.
    const StoreStatus restored = c.transaction([&] {
        for (const LocationRecord &r : records) {
            if (StoreStatus s = c.locations().remove(LocationManager::prepared(r).Location); !s)
                return s;
        }
        return StoreStatus{};
    });
    if (!check(restored, "restore"))
        return 1;
    return 0;
}

int readBench(const QString &folder)
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuSeconds();
    Collection c(folder);
    c.setTextIndexWanted(g_textIndex);
    if (!check(c.openAll(false), "open"))
        return 1;
    const double openMs = t.nsecsElapsed() / 1e6;
    View all(c, Keys::urlLocation());
    qint64 n = 0;
    if (!check(all.count(n), "count"))
        return 1;
    std::printf("open + count: wall %.1f ms (open %.1f ms), processor %.1f ms, %lld locations\n",
                t.nsecsElapsed() / 1e6,
                openMs,
                (cpuSeconds() - cpu0) * 1000,
                static_cast<long long>(n));

    std::mt19937 rng(99);
    const int rounds = 200;
    for (const KeyDef *key : locationsTable().keys) {
        View v(c, *key);
        double worst = 0, total = 0;
        for (int r = 0; r < rounds; ++r) {
            QVariantList value;
            const QString first = QString::fromLatin1(key->components[0].column);
            if (first == QLatin1String("Location"))
                value << QStringLiteral("https://www.site%1").arg(rng() % 500000);
            else if (first == QLatin1String("Description") || first == QLatin1String("Keyword"))
                value << word(rng).left(3);
            else if (first == QLatin1String("Category"))
                value << QStringLiteral("Category %1").arg(rng() % kCategories) << word(rng);
            else if (first == QLatin1String("Rating"))
                value << int(rng() % 12) - 1 << word(rng);
            QElapsedTimer step;
            step.start();
            ViewPosition p;
            ViewPage page;
            const StoreStatus s = v.locate(value, p);
            if (s) {
                if (!check(v.forward(p, 50, true, page), "page"))
                    return 1;
            } else if (s.error != StoreError::RecordNotFound) {
                return check(s, "locate") ? 0 : 1;
            }
            const double ms = step.nsecsElapsed() / 1e6;
            total += ms;
            worst = std::max(worst, ms);
        }
        std::printf("locate + page of 50, %-24s mean %.3f ms, worst %.3f ms\n",
                    key->name,
                    total / rounds,
                    worst);
    }
    // Paging on: 100 pages forward and back through the rating order from the middle.
    {
        View v(c, Keys::urlRating());
        ViewPosition p;
        if (!check(v.locate({0}, p), "locate"))
            return 1;
        ViewPage page;
        QElapsedTimer step;
        step.start();
        StoreStatus read = v.forward(p, 50, true, page);
        for (int i = 0; read && i < 100 && !page.rows.empty(); ++i)
            read = v.forward(page.rows.back().position, 50, false, page);
        for (int i = 0; read && i < 100 && !page.rows.empty(); ++i)
            read = v.backward(page.rows.front().position, 50, false, page);
        if (!check(read, "page"))
            return 1;
        std::printf("page of 50 forward/back (URL:K_Rating): mean %.3f ms\n",
                    step.nsecsElapsed() / 1e6 / 201);
    }
    {
        View v(c, Keys::urlCategory());
        v.setRange({QStringLiteral("category 17")});
        v.setFilter({QStringLiteral("Rating >= ? AND Validated = ?"), {5, 2}});
        QElapsedTimer step;
        step.start();
        qint64 inRange = 0;
        if (!check(v.count(inRange), "count"))
            return 1;
        const double countMs = step.nsecsElapsed() / 1e6;
        ViewPage page;
        step.restart();
        if (!check(v.firstPage(50, page), "first page"))
            return 1;
        std::printf("range + filter: count %lld in %.2f ms, first page in %.3f ms\n",
                    static_cast<long long>(inRange),
                    countMs,
                    step.nsecsElapsed() / 1e6);
    }
    std::printf("resident memory with the collection open: %.1f MB\n", residentKb() / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QString folder = QDir::tempPath() + QStringLiteral("/pathkeep-bench-store");
    int rows = 1000000;
    int insert = 100000;
    bool readOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--folder" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (a == "--rows" && i + 1 < argc)
            rows = std::atoi(argv[++i]);
        else if (a == "--insert" && i + 1 < argc)
            insert = std::atoi(argv[++i]);
        else if (a == "--read")
            readOnly = true;
        else if (a == "--no-index")
            g_textIndex = false;
        else if (a.rfind("--benchmark", 0) == 0)
            continue; // scripts/bench.sh passes Google Benchmark options to every program
        else {
            std::fprintf(stderr,
                         "usage: %s [--folder PATH] [--rows N] [--insert N] [--no-index]\n",
                         argv[0]);
            return 2;
        }
    }
    if (readOnly)
        return readBench(folder);
    if (int rc = build(folder, rows))
        return rc;
    if (int rc = insertBench(folder, insert))
        return rc;
    // Open, read and measure memory in a fresh process, as the program would.
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList arguments{QStringLiteral("--folder"), folder, QStringLiteral("--read")};
    if (!g_textIndex)
        arguments << QStringLiteral("--no-index");
    child.start(QStringLiteral("/proc/self/exe"), arguments);
    child.waitForFinished(-1);
    return child.exitCode();
}
