// Figures for the damage check run on the collection's files after they are opened:
//   how long the full check of each file takes (MB/s), and how soon a stop request ends it.
// Uses a collection folder built by bench_store (default: $TMPDIR/pathkeep-bench-store); run
// bench_store first, or name another folder.
//
//   bench_filecheck [--folder PATH]

#include "store/collection.h"
#include "store/filedamagecheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

using namespace pk;

namespace {

const char *outcomeName(FileDamageCheck::Outcome o)
{
    switch (o) {
    case FileDamageCheck::Outcome::Clean:
        return "clean";
    case FileDamageCheck::Outcome::Damaged:
        return "damaged";
    case FileDamageCheck::Outcome::Stopped:
        return "stopped";
    case FileDamageCheck::Outcome::Failed:
        return "failed";
    }
    return "?";
}

} // namespace

int main(int argc, char **argv)
{
    QString folder = QDir::tempPath() + QStringLiteral("/pathkeep-bench-store");
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--folder" && i + 1 < argc) {
            folder = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--folder PATH]\n", argv[0]);
            return 2;
        }
    }
    const QString data = folder + QLatin1Char('/') + Collection::fileName(CollectionFile::Data);
    if (!QFileInfo::exists(data)) {
        std::fprintf(stderr, "no collection in %s: run bench_store first\n", qPrintable(folder));
        return 1;
    }
    for (const CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
        const QString path = folder + QLatin1Char('/') + Collection::fileName(f);
        const double mb = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
        QElapsedTimer timer;
        timer.start();
        const FileDamageCheck::Result r = FileDamageCheck::run(path);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        std::printf("check %-12s %9.1f MB  %7.2f s  %8.1f MB/s  %s\n",
                    qPrintable(Collection::fileName(f)),
                    mb,
                    seconds,
                    seconds > 0 ? mb / seconds : 0.0,
                    outcomeName(r.outcome));
    }

    // A stop request while the check reads: the time from the request to the check's return.
    std::atomic<bool> stop{false};
    std::atomic<int> looks{0};
    QElapsedTimer clock;
    FileDamageCheck::Result r;
    std::thread worker([&] {
        r = FileDamageCheck::run(data, [&] {
            ++looks;
            return stop.load();
        });
    });
    while (looks < 20)
        std::this_thread::yield();
    clock.start();
    stop = true;
    worker.join();
    std::printf("stop while reading: %s, returned %.3f ms after the request\n",
                outcomeName(r.outcome),
                double(clock.nsecsElapsed()) / 1e6);
    return 0;
}
