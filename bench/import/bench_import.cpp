// Whole-process import timings. Without arguments: writes a 50,000-link bookmark file in 50
// folders and a favourites tree of 20,000 shortcuts, then imports each into a fresh collection in
// a child process of its own and prints the child's wall time and peak resident memory.
//   bench_import --run netscape|html <file> <collection folder>
//   bench_import --run favorites <folder> <collection folder>
// run one import in this process (for /usr/bin/time -v);
//   bench_import --write-bookmarks <file> | --write-favorites <folder>
// write the test data only.

#include "childrun.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/favoritesimport.h"
#include "import/htmlimport.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

constexpr int kLinks = 50000;
constexpr int kFolders = 50;
constexpr int kShortcuts = 20000;

void writeBookmarkFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
            "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n"
            "<DL><p>\n");
    const QByteArray words[] = {"Weather",
                                "Garden",
                                "Recipes",
                                "Travel",
                                "Music",
                                "Science",
                                "History",
                                "Software",
                                "Photos",
                                "Football"};
    for (int folder = 0; folder < kFolders; ++folder) {
        f.write("    <DT><H3 ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000001\">Folder "
                + QByteArray::number(folder) + "</H3>\n    <DL><p>\n");
        for (int i = 0; i < kLinks / kFolders; ++i) {
            const int n = folder * (kLinks / kFolders) + i;
            const QByteArray &w = words[n % 10];
            f.write("        <DT><A HREF=\"https://www.site" + QByteArray::number(n)
                    + ".example.com/" + w.toLower() + "/page" + QByteArray::number(n * 7)
                    + ".html\" ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000002\">" + w
                    + " pages of site number " + QByteArray::number(n) + "</A>\n");
        }
        f.write("    </DL><p>\n");
    }
    f.write("</DL><p>\n");
}

void writeFavorites(const QString &root)
{
    for (int i = 0; i < kShortcuts; ++i) {
        const QString dir = root + u"/Group %1/Sub %2"_s.arg(i % 40).arg(i % 7);
        QDir().mkpath(dir);
        QFile f(dir + u"/Site %1.url"_s.arg(i));
        if (f.open(QIODevice::WriteOnly))
            f.write("[InternetShortcut]\r\nURL=http://fav" + QByteArray::number(i)
                    + ".example.com/\r\n");
    }
}

int runImport(const QString &kind, const QString &source, const QString &folder)
{
    QDir().mkpath(folder);
    Collection collection(folder);
    if (!collection.openAll(true)) {
        std::fprintf(stderr, "cannot open the collection in %s\n", qPrintable(folder));
        return 1;
    }
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    QElapsedTimer clock;
    clock.start();
    int added = 0;
    if (kind == u"favorites"_s) {
        FavoritesImport import(collection, errors, source, CategoryMode::Guess, {});
        import.inserter().setStepMilliseconds(ImportInsert::UnattendedStepMilliseconds);
        import.scan();
        while (import.step()) {
        }
        added = import.added();
    } else {
        HtmlImport import(collection,
                          errors,
                          {kind == u"html"_s ? u"HTML"_s : u"Netscape"_s,
                           source,
                           CategoryMode::Guess,
                           {}});
        // Batches as long as the command line's.
        import.inserter().setStepMilliseconds(ImportInsert::UnattendedStepMilliseconds);
        if (import.open()) {
            while (import.step()) {
            }
        }
        added = import.added();
    }
    std::printf("%s: %d added in %lld ms (in-process), %lld locations stored\n",
                qPrintable(kind),
                added,
                static_cast<long long>(clock.elapsed()),
                static_cast<long long>(collection.locations().count()));
    return 0;
}

void measureChild(const char *self, const char *kind, const QString &source, const QString &folder)
{
    const bench::ChildRun child
        = bench::ChildRun::run(self, {u"--run"_s, QLatin1String(kind), source, folder});
    std::printf("%s whole process: %.2f s wall, %.2f s user + %.2f s system, %.1f MB max resident "
                "(exit %d)\n",
                kind,
                child.wallSeconds,
                child.userSeconds,
                child.systemSeconds,
                child.maxResidentMegabytes,
                child.exitCode);
    // The limit set for a browser's 50,000-link file: 1.5 s and 60 MB as a whole process.
    std::printf("    against 1.5 s and 60 MB: ratio %.2f wall, %.2f memory\n",
                child.wallSeconds / 1.5,
                child.maxResidentMegabytes / 60.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--run") == 0)
        return runImport(QString::fromLocal8Bit(argv[2]),
                         QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]));

    if (argc == 3 && qstrcmp(argv[1], "--write-bookmarks") == 0) {
        writeBookmarkFile(QString::fromLocal8Bit(argv[2]));
        return 0;
    }
    if (argc == 3 && qstrcmp(argv[1], "--write-favorites") == 0) {
        writeFavorites(QString::fromLocal8Bit(argv[2]));
        return 0;
    }

    QTemporaryDir temp;
    const QString bookmarks = temp.path() + u"/bookmarks.html"_s;
    writeBookmarkFile(bookmarks);
    std::printf("bookmark file: %d links in %d folders, %.1f MB\n",
                kLinks,
                kFolders,
                double(QFileInfo(bookmarks).size()) / (1024.0 * 1024.0));
    std::fflush(stdout);
    measureChild(argv[0], "netscape", bookmarks, temp.path() + u"/c1"_s);
    measureChild(argv[0], "html", bookmarks, temp.path() + u"/c2"_s);
    const QString favorites = temp.path() + u"/Favorites"_s;
    writeFavorites(favorites);
    measureChild(argv[0], "favorites", favorites, temp.path() + u"/c3"_s);
    return 0;
}
