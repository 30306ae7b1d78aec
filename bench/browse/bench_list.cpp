// Figures for the location list over a collection of a million locations, read the way the window
// reads it (rows fetched as the view asks for them, a page being the 40 rows a window shows):
//   opening (count + first page), switching tabs, locating, paging and jumping, a Contains
//   query's first page, Find Next with MATCH over the whole order, resident memory while
//   scrolling from top to bottom.
// The collection is built once through the store's record manager and reused.
//
//   bench_list [--folder PATH] [--rows N] [--no-index]

#include "browse/list/locationbrowse.h"
#include "browse/list/locationcolumns.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "platform/launcher.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <random>

using namespace pk;

namespace {

constexpr int kPage = 40;
constexpr int kCategories = 200;
const char *const kWords[] = {"news",   "daily",   "linux",  "garden",  "recipes", "music",
                              "travel", "photo",   "code",   "cloud",   "sport",   "weather",
                              "books",  "films",   "health", "money",   "maps",    "games",
                              "shop",   "science", "art",    "history", "kids",    "jobs"};

QString word(std::mt19937 &rng)
{
    return QString::fromLatin1(kWords[rng() % std::size(kWords)]);
}

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

bool build(Collection &c, int rows)
{
    const qint64 have = c.locations().count();
    if (have >= rows)
        return true;
    std::printf("building %d locations...\n", rows);
    std::fflush(stdout);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kCategories; ++i) {
        const QString name = QStringLiteral("Category %1").arg(i);
        if (!c.categories().exists(name) && !c.categories().insert({name, 0, {}}))
            return false;
    }
    std::mt19937 rng(42);
    int i = int(have);
    while (i < rows) {
        const int end = std::min(rows, i + 100000);
        const StoreStatus s = c.transaction([&] {
            for (; i < end; ++i) {
                LocationRecord r;
                r.Location = QStringLiteral("https://www.site%1.example.com/%2/%3.html")
                                 .arg(QString::number(rng() % 500000),
                                      word(rng),
                                      QString::number(i));
                r.Description
                    = QStringLiteral("%1 %2 %3 page %4").arg(word(rng), word(rng), word(rng)).arg(i);
                r.Category = QStringLiteral("Category %1").arg(rng() % kCategories);
                r.Rating = int(rng() % 12) - 1;
                r.Keyword = word(rng);
                r.Validated = quint8(rng() % 3);
                r.SiteInfo = QStringLiteral("Site information for location %1").arg(i);
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
    std::printf("built in %.1f s\n", t.elapsed() / 1000.0);
    return true;
}

/// Reads what a window showing rows first..first+kPage would display.
void show(LocationListModel &model, int first)
{
    const int last = std::min(first + kPage, model.rowCount());
    for (int row = std::max(first, 0); row < last; ++row)
        for (int column = 0; column < LocationColumns::Count; ++column)
            (void) model.data(model.index(row, column));
}

double ms(QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

void report(const char *what, double value, double target)
{
    std::printf("%-58s %9.1f ms   (target < %.0f ms)%s\n",
                what,
                value,
                target,
                value < target ? "" : "  OVER");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString folder = QDir::tempPath() + QStringLiteral("/pathkeep-bench-list");
    int rows = 1000000;
    const QStringList args = app.arguments();
    bool textIndex = true;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--no-index"))
            textIndex = false;
        else if (i + 1 >= args.size())
            break;
        else if (args[i] == QLatin1String("--folder"))
            folder = args[++i];
        else if (args[i] == QLatin1String("--rows"))
            rows = args[++i].toInt();
    }
    QDir().mkpath(folder);
    {
        Collection c(folder);
        c.setTextIndexWanted(textIndex);
        if (!c.openAll(true) || !build(c, rows))
            return 1;
        // The program fills the substring index of an existing collection in steps.
        QElapsedTimer fill;
        fill.start();
        bool complete = c.textIndexComplete() || !textIndex;
        const bool filling = !complete;
        while (!complete) {
            if (!c.fillTextIndex(2000, complete))
                return 1;
        }
        if (filling)
            std::printf("%-58s %9.1f ms\n", "substring index filled", ms(fill));
    }

    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    Launcher launcher(
        ui,
        [](const QString &, const QString &, const QString &) { return Launcher::Success; },
        [](const QString &, const QStringList &, const QString &) { return true; });
    const long rssStart = residentKb();

    QElapsedTimer t;
    t.start();
    Collection collection(folder);
    collection.setTextIndexWanted(textIndex);
    if (!collection.openAll(false))
        return 1;
    std::printf("%-58s %9.1f ms\n", "collection files opened (start-up, not the list)", ms(t));
    // The list opens on a collection the program already holds open.
    t.restart();
    LocationBrowse browse(collection, ui, errors, launcher, {});
    browse.refresh();
    const QString title = browse.title();
    show(browse.model(), 0);
    const double open = ms(t);
    std::printf("%s, paged: %s\n",
                qPrintable(title),
                browse.model().pager().isPaged() ? "yes" : "no");
    report("open: count, title and first page visible", open, 150);

    double worstTab = 0;
    for (int tab : {1, 2, 3, 4, 0}) {
        t.restart();
        browse.setTab(tab);
        show(browse.model(), 0);
        worstTab = std::max(worstTab, ms(t));
    }
    report("tab switch + first page (worst of 5 tabs)", worstTab, 50);

    // Once the list's order has its places read (on another thread, right after each change of
    // order), a locate is a look-up; before that the window waits for them or, in the window,
    // locates when they are in.
    t.restart();
    browse.model().pager().waitForOrder();
    std::printf("%-58s %9.1f ms\n", "  the order's row ids in (after the last tab)", ms(t));
    double worstLocate = 0;
    int located = 0;
    for (const char *text : {"garden", "m", "recipes travel", "sport z", "zzz"}) {
        t.restart();
        located = browse.locate(QString::fromLatin1(text));
        show(browse.model(), located);
        worstLocate = std::max(worstLocate, ms(t));
    }
    report("locate + page at the entry (worst of 5)", worstLocate, 50);

    browse.setTab(3);
    t.restart();
    browse.model().pager().waitForOrder();
    std::printf("%-58s %9.1f ms\n", "  the Rating order's row ids in", ms(t));
    t.restart();
    located = browse.locate(QStringLiteral("4"));
    show(browse.model(), located);
    report("locate in Rating order + page", ms(t), 50);
    browse.setTab(0);

    // Page down from a located place (each page continues from the chunk before it).
    int row = browse.locate(QStringLiteral("music"));
    show(browse.model(), row);
    double worstPage = 0;
    for (int i = 0; i < 200; ++i) {
        row += kPage;
        t.restart();
        show(browse.model(), row);
        worstPage = std::max(worstPage, ms(t));
    }
    report("page down (worst of 200 pages)", worstPage, 50);
    double worstUp = 0;
    for (int i = 0; i < 100; ++i) {
        row -= kPage;
        t.restart();
        show(browse.model(), row);
        worstUp = std::max(worstUp, ms(t));
    }
    report("page up (worst of 100 pages)", worstUp, 50);
    double worstJump = 0;
    for (int target : {700000, 123456, 999000, 500000, 3}) {
        t.restart();
        show(browse.model(), std::min(target, browse.model().rowCount() - 1));
        worstJump = std::max(worstJump, ms(t));
    }
    std::printf("%-58s %9.1f ms\n", "scroll-bar jump to an unread place (worst of 5)", worstJump);

    // Heading sorts: the first page in each direction, then a scroll-bar drag to three places.
    struct Heading
    {
        int column;
        const char *name;
        double target;
    };
    for (const Heading &h : {Heading{LocationColumns::Location, "Location", 50},
                             Heading{LocationColumns::Keyword, "Keyword", 50},
                             Heading{LocationColumns::Rating, "Rating", 50},
                             Heading{LocationColumns::Comments, "Comments", 500},
                             Heading{LocationColumns::LastVisit, "Last Visit", 500},
                             Heading{LocationColumns::UserName, "User Name", 500},
                             Heading{LocationColumns::SiteInfo, "Site Information", 500}}) {
        for (bool descending : {false, true}) {
            t.restart();
            browse.sortByColumn(h.column, descending);
            const double held = ms(t);
            // An order without an index shows its rows once they are sorted off the window's
            // thread; the window answers meanwhile.
            if (browse.model().pager().orderPending())
                browse.model().pager().waitForOrder();
            show(browse.model(), 0);
            const QString line = QStringLiteral("heading %1 %2: first page")
                                     .arg(QString::fromLatin1(h.name),
                                          descending ? QStringLiteral("descending")
                                                     : QStringLiteral("ascending"));
            report(qPrintable(line), ms(t), h.target);
            report("  of which the window was held", held, 100);
        }
        t.restart();
        browse.model().pager().waitForOrder();
        std::printf("%-58s %9.1f ms\n", "  the order's row ids in (after the first page)", ms(t));
        double worstDrag = 0;
        for (int target : {500000, 250000, 750000}) {
            t.restart();
            show(browse.model(), std::min(target, browse.model().rowCount() - 1));
            worstDrag = std::max(worstDrag, ms(t));
        }
        const QString line = QStringLiteral("  scroll-bar drag under it (worst of 3)");
        report(qPrintable(line), worstDrag, 100);
    }
    // The same sorts whole and in two halves at once, alternating, each the median of five:
    // the machine's own drift weighs on both alike.
    for (const int column : {LocationColumns::Comments, LocationColumns::SiteInfo}) {
        std::vector<double> times[2];
        for (int round = 0; round < 10; ++round) {
            const bool split = round % 2 == 1;
            browse.model().pager().setSplitFrom(split ? LocationPager::DefaultSplitFrom
                                                      : std::numeric_limits<qint64>::max());
            browse.setTab(0);
            browse.model().pager().waitForOrder();
            t.restart();
            browse.sortByColumn(column, false);
            browse.model().pager().waitForOrder();
            show(browse.model(), 0);
            times[split].push_back(ms(t));
        }
        for (const bool split : {false, true}) {
            std::sort(times[split].begin(), times[split].end());
            const QString line = QStringLiteral("  %1 sorted %2 (median of 5)")
                                     .arg(QString::fromLatin1(LocationColumns::sqlColumn(column)),
                                          split ? QStringLiteral("in halves")
                                                : QStringLiteral("whole"));
            std::printf("%-58s %9.1f ms\n", qPrintable(line), times[split][2]);
        }
    }
    // A query's count and Find's whole-table pass, whole and in halves, alike.
    {
        std::vector<double> counts[2];
        std::vector<double> finds[2];
        for (int round = 0; round < 10; ++round) {
            const bool split = round % 2 == 1;
            browse.model().pager().setSplitFrom(split ? LocationPager::DefaultSplitFrom
                                                      : std::numeric_limits<qint64>::max());
            t.restart();
            browse.applyQuery(QStringLiteral("URL:Description CONTAINS 'garden'"));
            counts[split].push_back(ms(t));
            browse.resetQuery();
            browse.model().pager().waitForOrder();
            t.restart();
            browse.find(QStringLiteral("MATCH(URL:SiteInfo,'*no such text*',17)"), true, 0);
            finds[split].push_back(ms(t));
        }
        for (const bool split : {false, true}) {
            std::sort(counts[split].begin(), counts[split].end());
            std::sort(finds[split].begin(), finds[split].end());
            std::printf("  query count %s (median of 5) %29.1f ms\n",
                        split ? "in halves" : "whole    ",
                        counts[split][2]);
            std::printf("  Find, no match, %s (median of 5) %25.1f ms\n",
                        split ? "in halves" : "whole    ",
                        finds[split][2]);
        }
    }
    browse.model().pager().setSplitFrom(LocationPager::DefaultSplitFrom);

    // Find along a heading order without an index, read backwards.
    browse.sortByColumn(LocationColumns::Comments, true);
    browse.model().pager().waitForOrder();
    t.restart();
    const int foundSorted = browse.find(QStringLiteral("MATCH(URL:Description,'*page 999999',17)"),
                                        true,
                                        0);
    report("Find with MATCH under Comments descending", ms(t), 1000);
    std::printf("  found row %d\n", foundSorted);
    browse.setTab(0);

    t.restart();
    const bool applied = browse.applyQuery(QStringLiteral("URL:Description CONTAINS 'garden'"));
    show(browse.model(), 0);
    report("Contains query: count + first page", ms(t), 1000);
    std::printf("  query %s, %lld locations shown\n",
                applied ? "applied" : "REFUSED",
                static_cast<long long>(browse.model().count()));
    t.restart();
    browse.model().pager().waitForOrder();
    std::printf("%-58s %9.1f ms\n", "  the query's row ids in (after its first page)", ms(t));
    t.restart();
    show(browse.model(), browse.locate(QStringLiteral("sport")));
    report("  locate inside the query + page", ms(t), 50);
    browse.resetQuery();
    for (const char *rare :
         {"URL:Description CONTAINS 'page 123456'", "URL:Description CONTAINS 'zebra'"}) {
        t.restart();
        const bool rareApplied = browse.applyQuery(QString::fromLatin1(rare));
        show(browse.model(), 0);
        report(rare, ms(t), 100);
        std::printf("  query %s, %lld locations shown\n",
                    rareApplied ? "applied" : "REFUSED",
                    static_cast<long long>(browse.model().count()));
        browse.resetQuery();
    }

    t.restart();
    const int found = browse.find(QStringLiteral("MATCH(URL:Description,'*page 999999',17)"),
                                  true,
                                  0);
    report("Find with MATCH reaching the last location", ms(t), 1000);
    t.restart();
    const int none = browse.find(QStringLiteral("MATCH(URL:SiteInfo,'*no such text*',17)"), true, 0);
    report("Find with MATCH over the whole order, no match", ms(t), 1000);
    t.restart();
    const int next = browse.find(QStringLiteral("MATCH(URL:Description,'*garden*',17)"),
                                 false,
                                 1000);
    report("Find Next with MATCH after row 1000", ms(t), 1000);
    std::printf("  found rows %d, %d, %d; messages: %s\n",
                found,
                none,
                next,
                qPrintable(ui.messages().join(QStringLiteral(" / "))));

    // Memory while scrolling through every row from top to bottom.
    const long rssBefore = residentKb();
    long rssPeak = rssBefore;
    t.restart();
    const int count = browse.model().rowCount();
    for (int r = 0; r < count; r += kPage) {
        show(browse.model(), r);
        if ((r / kPage) % 2500 == 0)
            rssPeak = std::max(rssPeak, residentKb());
    }
    rssPeak = std::max(rssPeak, residentKb());
    std::printf("%-58s %9.1f s\n", "scroll top to bottom, page by page", t.elapsed() / 1000.0);
    std::printf(
        "resident memory: at start %ld kB, before scrolling %ld kB, peak while scrolling %ld kB; "
        "rows held: %d chunks of %d\n",
        rssStart,
        rssBefore,
        rssPeak,
        browse.model().pager().cachedChunks(),
        LocationPager::ChunkSize);
    return 0;
}
