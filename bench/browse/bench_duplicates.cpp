// Whole-process timing of the near-duplicate search. Without arguments: builds a collection of
// 1,000,000 locations of which a quarter are near-duplicates of others (scheme, "www.", a
// trailing "/", a fragment or a tracking parameter), then runs the search in a child process and
// prints the child's wall time and peak resident memory.
//   bench_duplicates --run <collection folder>   runs the search in this process
//   bench_duplicates [folder]                    builds (or reuses) the collection there

#include "browse/duplicates/duplicatefinder.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 1000000;

QString variant(int base, int kind)
{
    const QString host = u"site"_s + QString::number(base) + u".example.com/page/"_s
                         + QString::number(base % 977);
    switch (kind) {
    case 0:
        return u"https://www."_s + host;
    case 1:
        return u"http://"_s + host + u'/';
    case 2:
        return u"https://"_s + host + u"#top"_s;
    default:
        return u"https://"_s + host + u"?utm_source=news"_s;
    }
}

bool build(Collection &c)
{
    if (c.locations().count() >= kRows)
        return true;
    if (!c.categories().exists(u"Bench"_s) && !c.categories().insert({u"Bench"_s, 0, {}}))
        return false;
    QElapsedTimer t;
    t.start();
    int i = int(c.locations().count());
    while (i < kRows) {
        const int end = std::min(kRows, i + 100000);
        const StoreStatus s = c.transaction([&] {
            for (; i < end; ++i) {
                // Three of four rows are distinct pages; every fourth repeats one in another form.
                const bool duplicate = i % 4 == 3;
                LocationRecord r;
                r.Location = duplicate ? variant(i - 3, 1 + (i / 4) % 3) : variant(i, 0);
                r.Description = u"Page "_s + QString::number(i);
                r.Category = u"Bench"_s;
                const StoreStatus st = c.locations().insert(r);
                if (!st && st.error != StoreError::DuplicateKey)
                    return st;
            }
            return StoreStatus{};
        });
        if (!s)
            return false;
    }
    std::printf("built %d locations in %.1f s\n", kRows, double(t.elapsed()) / 1000.0);
    std::fflush(stdout);
    return true;
}

int runSearch(const QString &folder)
{
    Collection collection(folder);
    if (!collection.openAll(false))
        return 2;
    std::vector<DuplicateGroup> groups;
    if (!DuplicateFinder(collection).find(groups))
        return 3;
    std::size_t rows = 0;
    for (const DuplicateGroup &g : groups)
        rows += g.rowIds.size();
    std::printf("%zu groups holding %zu locations\n", groups.size(), rows);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--run") == 0)
        return runSearch(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir temp;
    const QString folder = argc == 2 ? QString::fromLocal8Bit(argv[1])
                                     : temp.path() + u"/collection"_s;
    {
        QDir().mkpath(folder);
        Collection collection(folder);
        if (!collection.openAll(true) || !build(collection)) {
            std::fprintf(stderr, "could not build the collection\n");
            return 1;
        }
    }
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray f = folder.toLocal8Bit();
        execl(argv[0], argv[0], "--run", f.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    std::printf("duplicate search over %d locations, whole process: %.2f s wall, %.1f MB max "
                "resident (exit %d)\n",
                kRows,
                double(clock.elapsed()) / 1000.0,
                double(usage.ru_maxrss) / 1024.0,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
