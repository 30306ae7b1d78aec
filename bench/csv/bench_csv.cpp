// Whole-process timings of the comma-delimited exchange. Without arguments: writes a
// 100,000-line file of each kind, then runs each import (and the field-selected export of the
// imported collection) in a child process of its own and prints its wall time and peak memory.
//   bench_csv --run fields|lines <file> <collection folder>   one import in this process
//   bench_csv --export <collection folder> <file>             one export in this process

#include "export/advancedexport.h"
#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/advanced/advancedimport.h"
#include "import/advanced/importinsertsink.h"
#include "import/clipboard/clipboardscan.h"
#include "import/csv/delimitedreader.h"
#include "import/csv/locationcsvline.h"
#include "import/importinsert.h"
#include "import/text/textimportrun.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

constexpr int kLines = 100000;
constexpr int kCategories = 50;

QByteArray description(int n)
{
    static const QByteArray words[] = {"Weather",
                                       "Garden",
                                       "Recipes",
                                       "Travel",
                                       "Music",
                                       "Science",
                                       "History",
                                       "Software",
                                       "Photos",
                                       "Football"};
    return words[n % 10] + " pages of site \"number\" " + QByteArray::number(n);
}

/// The field-selected export's layout with its header record.
void writeFieldFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write("\"URL:Location\",\"URL:Description\",\"URL:Category\",\"URL:Rating\","
            "\"URL:SiteInfo\",\"URL:PageSize\"\n");
    for (int n = 0; n < kLines; ++n) {
        QByteArray d = description(n);
        d.replace("\"", "\"\"");
        f.write("\"https://www.site" + QByteArray::number(n) + ".example.com/page.html\",\"" + d
                + "\",\"Category " + QByteArray::number(n % kCategories) + "\","
                + QByteArray::number(n % 10) + ",\"Some words about the site, with a comma\","
                + QByteArray::number(n * 13) + "\n");
    }
}

/// Location CSV lines as the HTML and list export writes them.
void writeLineFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    for (int n = 0; n < kLines; ++n) {
        LocationRecord r;
        r.Category = u"Category "_s + QString::number(n % kCategories);
        r.Location = u"https://www.site%1.example.com/page.html"_s.arg(n);
        r.Description = QString::fromUtf8(description(n));
        r.SiteInfo = u"Some words about the site, with a comma"_s;
        r.Rating = n % 10;
        f.write(LocationCsvLine::write(r, LocationCsvLine::Layout::Full).toUtf8() + '\n');
    }
}

int runFields(const QString &file, Collection &collection, ErrorManager &errors, UserInterface &ui)
{
    AdvancedImport import(ui);
    if (!import.open(file))
        return 1;
    import.autoAssign();
    ImportInsert insert(collection, errors, CategoryMode::None, QString());
    const AdvancedImportSink sink = importInsertSink(insert);
    if (import.startRun()) {
        while (import.runStep(sink, AdvancedImport::RecordsPerTick, 50)) {
        }
    }
    import.close();
    std::printf("  added %d\n", insert.added());
    return insert.added() == kLines ? 0 : 1;
}

/// The text import of location CSV lines ("CSV" kind, mode "Guess").
int runLines(const QString &file, Collection &collection, ErrorManager &errors, UserInterface &)
{
    TextImportRun run(collection,
                      errors,
                      TextImport::Kind::Csv,
                      CategoryMode::Guess,
                      QString(),
                      file);
    if (!run.open())
        return 1;
    while (run.step()) {
    }
    run.finish();
    std::printf("  added %d\n", run.count());
    return run.count() == kLines ? 0 : 1;
}

int runImport(const QString &kind, const QString &file, const QString &folder)
{
    QDir().mkpath(folder);
    Collection collection(folder);
    if (!collection.openAll(true))
        return 1;
    ScriptedUserInterface ui;
    ErrorManager errors(ui);
    const int rc = kind == u"fields"_s ? runFields(file, collection, errors, ui)
                                       : runLines(file, collection, errors, ui);
    for (const QString &m : ui.messages()) {
        if (!m.endsWith(u" URL(s) imported."_s))
            std::fprintf(stderr, "  message: %s\n", qPrintable(m));
    }
    return rc;
}

int runExport(const QString &folder, const QString &file)
{
    Collection collection(folder);
    if (!collection.openAll(false))
        return 1;
    ScriptedUserInterface ui;
    AdvancedExport exporter(collection, ui);
    AdvancedExportSettings settings;
    settings.file = file;
    settings.order = u"CatDesc"_s;
    QList<ExportFieldEntry> fields;
    for (const ExportFieldEntry &e : AdvancedExportFields::allFields())
        fields << e;
    const bool ok = exporter.run(settings, fields, true);
    std::printf("  written %lld\n", static_cast<long long>(exporter.written()));
    return ok ? 0 : 1;
}

void timed(const char *name, const std::function<int()> &work)
{
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = fork();
    if (child == 0)
        _exit(work());
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%-44s %7.3f s  peak %6ld MB  %s\n",
                name,
                clock.nsecsElapsed() / 1e9,
                usage.ru_maxrss / 1024,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "ok" : "FAILED");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--run") == 0)
        return runImport(QString::fromLocal8Bit(argv[2]),
                         QString::fromLocal8Bit(argv[3]),
                         QString::fromLocal8Bit(argv[4]));
    if (argc == 4 && qstrcmp(argv[1], "--export") == 0)
        return runExport(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    QTemporaryDir dir;
    const QString fieldFile = dir.filePath(u"fields.csv"_s);
    const QString lineFile = dir.filePath(u"lines.csv"_s);
    writeFieldFile(fieldFile);
    writeLineFile(lineFile);
    std::printf("%d lines each\n", kLines);
    timed("field-mapped import (Auto, header stripped)",
          [&] { return runImport(u"fields"_s, fieldFile, dir.filePath(u"a"_s)); });
    timed("text import of location CSV lines",
          [&] { return runImport(u"lines"_s, lineFile, dir.filePath(u"b"_s)); });
    timed("field-selected export, all 23 fields",
          [&] { return runExport(dir.filePath(u"a"_s), dir.filePath(u"out.csv"_s)); });

    // The clipboard scan of an HTML fragment of 2000 characters with 50 anchors.
    QString fragment = u"<h3>Links</h3>"_s;
    for (int i = 0; fragment.size() < ClipboardScan::MaxText; ++i)
        fragment += u"<a href=\"http://s%1.example/\">S%1</a>"_s.arg(i);
    fragment.truncate(ClipboardScan::MaxText);
    QElapsedTimer clock;
    clock.start();
    constexpr int kRounds = 2000;
    qsizetype found = 0;
    for (int i = 0; i < kRounds; ++i)
        found += ClipboardScan::scan(fragment).size();
    std::printf("%-44s %7.3f ms per scan (%lld addresses)\n",
                "clipboard scan, 2000 characters",
                clock.nsecsElapsed() / 1e6 / kRounds,
                static_cast<long long>(found / kRounds));
    return 0;
}
