// Wall time of the maintenance runs over one collection (default 50,000 locations):
//   - a search and replace on every location's description, in one transaction;
//   - the copy of URLDATA.TPS into a new file (what Freshen and Repair do);
//   - a backup of the three files as one snapshot.
//   bench_tools [locations]

#include "shell/backupjob.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "tools/filesalvage.h"
#include "tools/globalreplace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

template<class Work>
void timed(const char *name, Work &&work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    std::printf("%-40s %8.3f s\n", name, double(timer.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50000;
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"collection"_s);
    QDir().mkpath(folder);
    Collection c(folder);
    if (!c.openAll(true) || !c.categories().insert({u"General"_s, 0, {}}))
        return 1;
    const StoreStatus filled = c.transaction([&]() -> StoreStatus {
        for (int i = 0; i < count; ++i) {
            LocationRecord r;
            r.Location = u"http://site%1.example/web/page"_s.arg(i);
            r.Description = u"The web site number %1 about web things"_s.arg(i);
            r.Category = u"General"_s;
            if (StoreStatus s = c.locations().insert(r); !s)
                return s;
        }
        return {};
    });
    if (!filled)
        return 1;
    std::printf("%d locations\n", count);

    const ReplaceField &description = GlobalReplace::fields()[1];
    QElapsedTimer replaceClock;
    replaceClock.start();
    timed("search and replace (Description)", [&] {
        GlobalReplace replace(c, description);
        const GlobalReplaceResult r = replace.run(u"web"_s, u"net"_s);
        if (!r.failure.ok() || r.changed != count)
            std::printf("unexpected result\n");
    });
    // The limit set for 200,000 locations, in proportion to the count.
    const double replaceLimit = 1.5 * count / 200000.0;
    std::printf("%-40s %8.3f s limit: ratio %.2f\n",
                "  search and replace against its limit",
                replaceLimit,
                double(replaceClock.nsecsElapsed()) / 1e9 / replaceLimit);
    timed("copy URLDATA.TPS into a new file", [&] {
        const SalvageResult r = FileSalvage::copy(c.filePath(CollectionFile::Data),
                                                  CollectionFile::Data,
                                                  dir.filePath(u"copy"_s),
                                                  true);
        if (!r.status.ok() || r.rows < count)
            std::printf("unexpected result\n");
    });
    timed("backup of the three files", [&] {
        QString error;
        if (!BackupJob::backup(folder, dir.filePath(u"backup"_s), error))
            std::printf("%s\n", qPrintable(error));
    });
    return 0;
}
