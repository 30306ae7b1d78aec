// Export speed and memory over big collections (whole runs, wall time):
//   - 50,000 locations as "Table" grouped by category (target 0.15 s);
//   - 1,000,000 locations through the built-in layouts (target under 4 s, flat memory).
// The collections are built once and kept under the temporary folder.
//   bench_export [--folder PATH] [--small N] [--large N] [--runs N] [--only Type:Order]
// PK_BENCH_PRAGMA="PRAGMA ..." runs one statement on the large collection first (experiments).

#include "export/exportfile.h"
#include "export/exportreader.h"
#include "export/preformattedexport.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"

#include <SQLiteCpp/Database.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <stdexcept>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

constexpr int kCategories = 150;
const char *const kWords[] = {"news",
                              "daily",
                              "linux",
                              "garden",
                              "recipes",
                              "music",
                              "travel",
                              "photo",
                              "code",
                              "cloud",
                              "sport",
                              "weather",
                              "books",
                              "films"};

QString word(std::mt19937 &rng)
{
    return QString::fromLatin1(kWords[rng() % std::size(kWords)]);
}

long residentKb()
{
    QFile f(u"/proc/self/status"_s);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

/// CPU seconds of this process so far (the wall time is unreliable on a busy machine).
double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
           + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool build(Collection &c, int rows)
{
    if (c.locations().count() >= rows)
        return true;
    std::printf("building %d locations...\n", rows);
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kCategories; ++i) {
        const QString name = u"Category "_s + QString::number(i);
        if (!c.categories().exists(name) && !c.categories().insert({name, 0, u"About "_s + name}))
            throw std::runtime_error("cannot add a category");
    }
    std::mt19937 rng(7);
    int i = int(c.locations().count());
    while (i < rows) {
        const int end = std::min(rows, i + 100000);
        const StoreStatus s = c.transaction([&] {
            for (; i < end; ++i) {
                LocationRecord r;
                r.Location = u"https://www.site"_s + QString::number(rng() % 500000)
                             + u".example.com/"_s + word(rng) + u'/' + QString::number(i)
                             + u".html"_s;
                r.Description = word(rng) + u' ' + word(rng) + u" & "_s + word(rng) + u" page "_s
                                + QString::number(i);
                r.Category = u"Category "_s + QString::number(rng() % kCategories);
                r.Rating = int(rng() % 12) - 1;
                r.Keyword = word(rng);
                r.SiteInfo = u"Site information <for> location "_s + QString::number(i);
                const StoreStatus st = c.locations().insert(r);
                if (!st && st.error != StoreError::DuplicateKey)
                    return st;
            }
            return StoreStatus{};
        });
        if (!s) {
            std::fprintf(stderr, "build failed: %s\n", qPrintable(s.describe()));
            return false;
        }
    }
    std::printf("built in %.1f s\n", double(t.elapsed()) / 1000.0);
    return true;
}

struct Run
{
    double seconds = 0;
    double cpu = 0;
    long rssBefore = 0;
    long rssPeak = 0;
    qint64 bytes = 0;
};

Run exportOnce(Collection &c,
               const QString &type,
               const QString &order,
               const QString &file,
               bool preformatted = false,
               const QString &templates = {})
{
    ExportSettings s;
    s.type = type;
    s.order = order;
    s.file = file;
    s.pageTitle = u"Benchmark"_s;
    s.rating = true;
    s.siteInfo = true;
    ExportEnvironment env;
    env.collection = &c;
    env.templateFolder = templates;
    Run run;
    run.rssBefore = residentKb();
    run.rssPeak = run.rssBefore;
    qint64 calls = 0;
    env.progress = [&run, &calls](qint64, qint64) {
        if ((++calls % 64) == 0)
            run.rssPeak = std::max(run.rssPeak, residentKb());
        return true;
    };
    QElapsedTimer t;
    t.start();
    const double cpuStart = cpuSeconds();
    const ExportResult result = preformatted ? PreformattedExport(s, env).run()
                                             : ExportFile(s, env).run();
    run.seconds = double(t.nsecsElapsed()) / 1e9;
    run.cpu = cpuSeconds() - cpuStart;
    run.rssPeak = std::max(run.rssPeak, residentKb());
    run.bytes = QFileInfo(file).size();
    if (result != ExportResult::Written)
        std::fprintf(stderr, "export %s %s failed\n", qPrintable(type), qPrintable(order));
    return run;
}

void report(const char *what, const Run &r, double target)
{
    std::printf("%-44s wall %7.3f s  cpu %7.3f s  %6.1f MB out  RSS %ld -> %ld KB%s\n",
                what,
                r.seconds,
                r.cpu,
                double(r.bytes) / 1e6,
                r.rssBefore,
                r.rssPeak,
                target > 0 ? (r.cpu <= target ? "" : "  OVER TARGET") : "");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString folder = QDir::tempPath() + u"/pathkeep-bench-export"_s;
    int small = 50000;
    int large = 1000000;
    int runs = 5;
    QString only; // "Type:Order": one run over the large collection

    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--folder"_s)
            folder = args[++i];
        else if (args[i] == u"--small"_s)
            small = args[++i].toInt();
        else if (args[i] == u"--large"_s)
            large = args[++i].toInt();
        else if (args[i] == u"--runs"_s)
            runs = args[++i].toInt();
        else if (args[i] == u"--only"_s)
            only = args[++i];
    }
    const QString out = folder + u"/out"_s;
    QDir().mkpath(out);

    if (small > 0) {
        const QString smallFolder = folder + u"/small"_s;
        QDir().mkpath(smallFolder);
        Collection c(smallFolder);
        if (!c.openAll(true) || !build(c, small))
            return 1;
        Run best;
        best.seconds = 1e9;
        for (int i = 0; i < runs; ++i) {
            const Run r = exportOnce(c, u"Table"_s, u"CatDesc"_s, out + u"/small.html"_s);
            if (r.cpu < best.cpu || i == 0)
                best = r;
        }
        std::printf("%d locations (best of %d runs):\n", small, runs);
        {
            QElapsedTimer t;
            t.start();
            const double cpuStart = cpuSeconds();
            ExportReader reader(c, Keys::urlCategory());
            reader.setListFieldsOnly(true);
            LocationRecord record;
            qint64 n = 0;
            while (reader.next(record))
                ++n;
            std::printf("%-44s wall %7.3f s  cpu %7.3f s  (%lld rows)\n",
                        "reading in category order only",
                        double(t.nsecsElapsed()) / 1e9,
                        cpuSeconds() - cpuStart,
                        static_cast<long long>(n));
        }
        report("Table, grouped by category (target 0.15 s)", best, 0.15);
        report("Simple, by description",
               exportOnce(c, u"Simple"_s, u"Description"_s, out + u"/s.html"_s),
               0);
        report("Frame, grouped by category",
               exportOnce(c, u"Frame"_s, u"CatLoc"_s, out + u"/f.html"_s),
               0);
        report("CSV, by location", exportOnce(c, u"CSV"_s, u"Location"_s, out + u"/s.csv"_s), 0);
        const QString templates = QStringLiteral(PK_TEMPLATE_DIR);
        if (runs > 0)
            report("Pre-formatted Table, grouped by category",
                   exportOnce(c, u"Table"_s, u"CatDesc"_s, out + u"/p.html"_s, true, templates),
                   0);
    }
    if (large <= 0)
        return 0;
    {
        const QString largeFolder = folder + u"/large"_s;
        QDir().mkpath(largeFolder);
        Collection c(largeFolder);
        if (!c.openAll(true) || !build(c, large))
            return 1;
        std::printf("%d locations (target under 4 s each, memory flat):\n", large);
        if (qEnvironmentVariableIsSet("PK_BENCH_PRAGMA"))
            c.db().exec(qgetenv("PK_BENCH_PRAGMA").toStdString());
        if (!only.isEmpty()) {
            const QStringList what = only.split(u':');
            report(qPrintable(only),
                   exportOnce(c, what.value(0), what.value(1), out + u"/only.out"_s),
                   4);
            return 0;
        }
        report("Table, grouped by category",
               exportOnce(c, u"Table"_s, u"CatDesc"_s, out + u"/l.html"_s),
               4);
        report("Frame, grouped by category",
               exportOnce(c, u"Frame"_s, u"CatLoc"_s, out + u"/lf.html"_s),
               4);
        report("Simple, by rating", exportOnce(c, u"Simple"_s, u"Rating"_s, out + u"/ls.html"_s), 4);
        report("CSV, by location", exportOnce(c, u"CSV"_s, u"Location"_s, out + u"/l.csv"_s), 4);
        report("ASCII, by keyword", exportOnce(c, u"ASCII"_s, u"Keyword"_s, out + u"/l.txt"_s), 4);
    }
    QDir(out).removeRecursively();
    return 0;
}
