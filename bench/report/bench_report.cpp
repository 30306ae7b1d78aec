// Printing "URLs by Description" to a PDF file over a big collection (whole run, wall time),
// and the peak resident memory, which must not grow with the number of pages.
//   bench_report [--locations N]   (default 50,000; the collection is built in a temporary folder)

#include "framework/scripteduserinterface.h"
#include "report/reportjob.h"
#include "report/widgets/reportprinter.h"
#include "shell/procedurenames.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstdio>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

long peakKb()
{
    QFile f(u"/proc/self/status"_s);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int count = 50000;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(u"--locations"_s); i >= 0 && i + 1 < args.size())
        count = args.at(i + 1).toInt();
    QTemporaryDir dir;
    Collection collection(dir.path());
    if (!collection.openAll(true) || !collection.categories().insert({u"General"_s, 0, {}}))
        return 1;
    const StoreStatus filled = collection.transaction([&] {
        for (int i = 0; i < count; ++i) {
            LocationRecord r;
            r.Location = u"http://www.site%1.example/some/path/page.html"_s.arg(i);
            r.Description = u"A page about things, number %1"_s.arg(i);
            r.Category = u"General"_s;
            r.Rating = i % 10;
            r.Keyword = u"kw%1"_s.arg(i % 13);
            if (StoreStatus s = collection.locations().insert(r); !s)
                return s;
        }
        return StoreStatus();
    });
    if (!filled)
        return 1;
    ScriptedUserInterface ui;
    ui.push(false);
    ui.push(1);
    ReportJob job(collection,
                  ui,
                  ReportDisplayStrings(),
                  *ReportDefinition::fixed(QLatin1String(Procedure::PrintByDescription)),
                  {});
    job.prepare();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"report.pdf"_s));
    ReportPrinter::chooseOrientation(job.definition(), printer);
    const long before = peakKb();
    QElapsedTimer timer;
    timer.start();
    const ReportPrinter::Result r = ReportPrinter::print(job, printer, {});
    const qint64 ms = timer.elapsed();
    std::printf("report of %d locations: %d pages in %lld ms (%.0f records/s), "
                "peak memory %ld kB (+%ld kB while printing), PDF %lld kB\n",
                r.records,
                r.pages,
                static_cast<long long>(ms),
                ms > 0 ? r.records * 1000.0 / double(ms) : 0.0,
                peakKb(),
                peakKb() - before,
                static_cast<long long>(QFile(dir.filePath(u"report.pdf"_s)).size() / 1024));
    return r.records == count ? 0 : 1;
}
