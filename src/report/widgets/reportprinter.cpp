#include "report/widgets/reportprinter.h"

#include "report/reportlayout.h"
#include "report/reportpaginator.h"
#include "report/widgets/reportpainter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace pk {

void ReportPrinter::chooseOrientation(const ReportDefinition &definition, QPrinter &printer)
{
    QPageLayout upright = printer.pageLayout();
    upright.setOrientation(QPageLayout::Portrait);
    const qreal width = upright.paintRectPixels(printer.resolution()).width();
    const ReportPainter metrics(&printer);
    printer.setPageOrientation(ReportLayout::wantsLandscape(definition.columns, metrics, width)
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
}

ReportPrinter::Result ReportPrinter::print(ReportJob &job,
                                           QPrinter &printer,
                                           const ReportJob::Progress &progress)
{
    const QSizeF size = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    // Many columns: smaller type, down to two thirds, before headings have to break.
    qreal scale = 1.0;
    while (scale > 0.7
           && ReportLayout::minimumWidth(job.definition().columns, ReportPainter(&printer, scale))
                  > size.width())
        scale -= 0.1;
    const ReportPainter painterFonts(&printer, scale);
    QPainter painter;
    bool failed = false;
    ReportPaginator pages(job.definition(), painterFonts, size, [&](const ReportPage &page) {
        if (failed)
            return;
        if (!painter.isActive()) {
            if (!painter.begin(&printer)) {
                failed = true;
                return;
            }
        } else {
            printer.newPage();
        }
        painterFonts.paint(painter, page, size.width());
    });
    Result result;
    result.outcome = job.run(pages, progress);
    if (painter.isActive())
        painter.end();
    result.deviceFailed = failed;
    result.pages = failed ? 0 : pages.pages();
    result.records = pages.recordsPrinted();
    return result;
}

} // namespace pk
