// Whole-process timings of pathkeep-cli, beside the same work done by buku and linkchecker when
// they are on the PATH (a peer that is missing is skipped):
//   import of a bookmark file of 50,000 links, export of those to HTML, list --query over
//   1,000,000 locations, check of 180 links on one host that answers each request after 500 ms.
//
// Usage: bench_cli [links] [locations] [checks] [delay-ms]

#include "childrun.h"
#include "loopbackserver.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/stat.h>
#include <cstdlib>

using namespace Qt::StringLiterals;
using pk::test::LoopbackServer;

namespace {

struct Timed
{
    double seconds = -1;
    int code = -1;
};

/// Runs a program to its end with output thrown away; `input` is fed to its standard input.
Timed timed(const QString &program,
            const QStringList &arguments,
            const QString &folder,
            const QByteArray &input = {},
            const QString &log = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(log.isEmpty() ? QProcess::nullDevice() : log);
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {};
    if (!input.isEmpty()) {
        process.write(input);
    }
    process.closeWriteChannel();
    process.waitForFinished(-1);
    return {double(clock.nsecsElapsed()) / 1e9,
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1};
}

void row(const char *work, const char *who, const Timed &t)
{
    if (t.seconds < 0)
        std::printf("%-44s %-12s %10s\n", work, who, "failed");
    else
        std::printf("%-44s %-12s %9.2fs (exit %d)\n", work, who, t.seconds, t.code);
    std::fflush(stdout);
}

/// A whole-process run beside the time and memory it should stay within, as ratios (below 1:
/// within the limit).
void limitRow(const char *work, const pk::bench::ChildRun &run, double wallLimit, double memoryLimit)
{
    if (!run.succeeded()) {
        std::printf("%-44s %-12s %10s (exit %d)\n", work, "pathkeep-cli", "failed", run.exitCode);
        return;
    }
    std::printf("%-44s %-12s %9.2fs wall, %.2fs CPU, %.0f MB; limit %.1fs, %.0f MB: ratio %.2f "
                "wall, %.2f memory\n",
                work,
                "pathkeep-cli",
                run.wallSeconds,
                run.userSeconds + run.systemSeconds,
                run.maxResidentMegabytes,
                wallLimit,
                memoryLimit,
                run.wallSeconds / wallLimit,
                run.maxResidentMegabytes / memoryLimit);
    std::fflush(stdout);
}

void skipped(const char *work, const char *who)
{
    std::printf("%-44s %-12s %10s\n", work, who, "not found");
}

bool writeBookmarks(const QString &path, int links, const QString &base)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks</H1>\n<DL><p>\n";
    for (int i = 0; i < links; ++i) {
        if (i % 500 == 0) {
            if (i > 0)
                text += "</DL><p>\n";
            text += "<DT><H3>Folder " + QByteArray::number(i / 500) + "</H3>\n<DL><p>\n";
        }
        text += "<DT><A HREF=\"" + base.toUtf8() + QByteArray::number(i)
                + "\" ADD_DATE=\"1700000000\">Link number " + QByteArray::number(i) + "</A>\n";
    }
    text += "</DL><p>\n</DL><p>\n";
    return file.write(text) == text.size();
}

/// A file as a browser exports it: folders two deep, every link with its dates, a small icon
/// and a note (<DD>); about 180 bytes a link.
bool writeBrowserBookmarks(const QString &path, int links)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray icon = "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAABAAAAAQCAYAAAAf8/9h";
    QByteArray text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                      "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n"
                      "<H1>Bookmarks</H1>\n<DL><p>\n";
    for (int i = 0; i < links; ++i) {
        if (i % 500 == 0) {
            if (i > 0)
                text += "    </DL><p>\n</DL><p>\n";
            text += "<DT><H3 ADD_DATE=\"1600000000\">Folder " + QByteArray::number(i / 500)
                    + "</H3>\n<DL><p>\n    <DT><H3>Part " + QByteArray::number(i / 500)
                    + "</H3>\n    <DL><p>\n";
        }
        const QByteArray n = QByteArray::number(i);
        text += "<DT><A HREF=\"https://site" + QByteArray::number(i % 3000) + ".example.test/p" + n
                + ".html\" ADD_DATE=\"" + QByteArray::number(1600000000 + i) + "\" ICON=\"" + icon
                + "\">Page " + n + " of a site</A>\n<DD>About page " + n + "\n";
    }
    text += "    </DL><p>\n</DL><p>\n</DL><p>\n";
    return file.write(text) == text.size();
}

bool fillCollection(const QString &folder, int count)
{
    pk::Collection collection(folder);
    if (!collection.openAll(true))
        return false;
    const pk::StoreStatus status = collection.transaction([&]() -> pk::StoreStatus {
        for (int c = 0; c < 50; ++c) {
            pk::CategoryRecord category;
            category.Category = u"Category %1"_s.arg(c);
            if (pk::StoreStatus s = collection.categories().insert(category); !s)
                return s;
        }
        for (int i = 0; i < count; ++i) {
            pk::LocationRecord r;
            r.Location = u"http://site%1.test/page/%2"_s.arg(i % 5000).arg(i);
            r.Description = u"Location number %1"_s.arg(i);
            r.Category = u"Category %1"_s.arg(i % 50);
            r.Rating = i % 10;
            if (pk::StoreStatus s = collection.locations().insert(r); !s)
                return s;
        }
        return pk::StoreStatus::success();
    });
    return bool(status);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int links = argc > 1 ? std::atoi(argv[1]) : 50000;
    const int locations = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const int checks = argc > 3 ? std::atoi(argv[3]) : 180;
    const int delayMs = argc > 4 ? std::atoi(argv[4]) : 500;
    const QString cli = QStringLiteral(PK_CLI_PROGRAM);
    const QString buku = QStandardPaths::findExecutable(u"buku"_s);
    const QString linkchecker = QStandardPaths::findExecutable(u"linkchecker"_s);

    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        unsetenv(name);
    QTemporaryDir temp;
    // Both programs keep their settings and databases inside the temporary folder.
    qputenv("XDG_CONFIG_HOME", (temp.path() + u"/config"_s).toUtf8());
    qputenv("XDG_DATA_HOME", (temp.path() + u"/data"_s).toUtf8());
    qputenv("HOME", temp.path().toUtf8());
    const QString work = temp.path();
    // linkchecker run as root drops to "nobody", which must be able to read its link file.
    ::chmod(QFile::encodeName(work).constData(), 0755);

    // Import and export of the bookmark file.
    const QString bookmarks = work + u"/bookmarks.html"_s;
    if (!writeBookmarks(bookmarks, links, u"http://example.test/link/"_s)) {
        std::fprintf(stderr, "bench_cli: cannot write the bookmark file\n");
        return 1;
    }
    const QString small = work + u"/small"_s;
    QDir().mkpath(small);
    const QString importWork = QString::number(links) + u"-link bookmark file: import"_s;
    const QString exportWork = QString::number(links) + u" locations: export to HTML"_s;
    row(qPrintable(importWork),
        "pathkeep-cli",
        timed(cli, {u"--quiet"_s, u"--create"_s, u"import"_s, u"Netscape"_s, bookmarks}, small));
    row(qPrintable(exportWork),
        "pathkeep-cli",
        timed(cli, {u"--quiet"_s, u"export"_s, u"Table"_s, work + u"/export.htm"_s}, small));
    if (!buku.isEmpty()) {
        // buku asks about tags while importing; "n" answers each question.
        row(qPrintable(importWork),
            "buku",
            timed(buku, {u"--nostdin"_s, u"--import"_s, bookmarks}, work, QByteArray("n\nn\nn\n")));
        row(qPrintable(exportWork),
            "buku",
            timed(buku, {u"--nostdin"_s, u"--export"_s, work + u"/buku-export.html"_s}, work));
    } else {
        skipped(qPrintable(importWork), "buku");
        skipped(qPrintable(exportWork), "buku");
    }

    // A browser's own file (folders, dates, icons, notes) against the limit set for it.
    const QString browserFile = work + u"/browser.html"_s;
    if (writeBrowserBookmarks(browserFile, links)) {
        const QString browserFolder = work + u"/browser"_s;
        QDir().mkpath(browserFolder);
        const QString browserWork = QString::number(links) + u"-link browser file: import"_s;
        limitRow(qPrintable(browserWork),
                 pk::bench::ChildRun::run(PK_CLI_PROGRAM,
                                          {u"--quiet"_s,
                                           u"--create"_s,
                                           u"--collection"_s,
                                           browserFolder,
                                           u"import"_s,
                                           u"Netscape"_s,
                                           browserFile}),
                 1.5,
                 60);
    }

    // A query over a large collection.
    const QString large = work + u"/large"_s;
    QDir().mkpath(large);
    QElapsedTimer fill;
    fill.start();
    if (!fillCollection(large, locations)) {
        std::fprintf(stderr, "bench_cli: cannot fill the large collection\n");
        return 1;
    }
    std::printf("(filled %d locations in %.1fs)\n", locations, double(fill.elapsed()) / 1000);
    const QString listWork = QString::number(locations) + u" locations: list --query, 2%"_s;
    row(qPrintable(listWork),
        "pathkeep-cli",
        timed(cli,
              {u"list"_s, u"--query"_s, u"URL:Category = 'Category 7'"_s, u"--format"_s, u"json"_s},
              large));
    const QString listRating = QString::number(locations) + u" locations: list --query, 10%"_s;
    row(qPrintable(listRating),
        "pathkeep-cli",
        timed(cli,
              {u"list"_s, u"--query"_s, u"URL:Rating = 3"_s, u"--order"_s, u"Rating"_s},
              large));
    if (!buku.isEmpty())
        std::printf("%-44s %-12s %10s\n",
                    qPrintable(listWork),
                    "buku",
                    "not run (its import of 1,000,000 takes hours)");

    // Link check of one slow host.
    LoopbackServer server([delayMs](LoopbackServer::Connection &c) {
        c.readRequest();
        c.pause(delayMs);
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    const QString base = u"http://127.0.0.1:%1/page/"_s.arg(server.port());
    const QString checkFolder = work + u"/check"_s;
    QDir().mkpath(checkFolder);
    const QString checkFile = work + u"/check.html"_s;
    writeBookmarks(checkFile, checks, base);
    ::chmod(QFile::encodeName(checkFile).constData(), 0644);
    timed(cli, {u"--quiet"_s, u"--create"_s, u"import"_s, u"Netscape"_s, checkFile}, checkFolder);
    const QString checkWork = QString::number(checks) + u" links on one host ("_s
                              + QString::number(delayMs) + u" ms): check"_s;
    row(qPrintable(checkWork), "pathkeep-cli", timed(cli, {u"--quiet"_s, u"check"_s}, checkFolder));
    if (!linkchecker.isEmpty()) {
        const QString log = work + u"/linkchecker.log"_s;
        row(qPrintable(checkWork),
            "linkchecker",
            timed(linkchecker,
                  {u"--no-status"_s,
                   u"--check-extern"_s,
                   u"--recursion-level=1"_s,
                   u"--threads=9"_s,
                   checkFile},
                  work,
                  {},
                  log));
        // Its closing line tells how many links it checked and how many errors it found.
        QFile file(log);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll();
            for (const QByteArray &line : text.split('\n'))
                if (line.startsWith("That's it."))
                    std::printf("    linkchecker: %s\n", line.constData());
            if (qgetenv("PK_BENCH_VERBOSE") == "1")
                std::printf("%s\n", text.constData());
        }
    } else {
        skipped(qPrintable(checkWork), "linkchecker");
    }
    return 0;
}
