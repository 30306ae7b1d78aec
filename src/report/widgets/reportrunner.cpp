#include "report/widgets/reportrunner.h"

#include "framework/userinterface.h"
#include "report/reportjob.h"
#include "report/widgets/reportprinter.h"
#include "report/widgets/reportprogresswindow.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

ReportPrinter::Result printWithProgress(ReportJob &job,
                                        QPrinter &printer,
                                        bool preview,
                                        QWidget *parent)
{
    ReportProgressWindow progress(job.strings(), preview, parent);
    progress.show();
    return ReportPrinter::print(job, printer, [&progress](qint64 read, qint64 total) {
        return progress.poll(read, total);
    });
}

void reportDeviceFailure(UserInterface &ui, const ReportJob &job)
{
    ui.message(u"Report Writer Error"_s,
               u"Error: (the printer or file could not be opened) printing the report "_s
                   + job.definition().title + u'.',
               UserInterface::Icon::Critical);
}

} // namespace

void ReportRunner::run(ReportJob &job,
                       UserInterface &ui,
                       QPrinter &printer,
                       QWidget *parent,
                       const QString &currentQuery)
{
    const std::optional<ReportJob::Destination> destination = job.prepare(currentQuery);
    if (!destination)
        return;
    ReportPrinter::chooseOrientation(job.definition(), printer);
    if (*destination == ReportJob::Destination::Preview)
        preview(job, ui, printer, parent);
    else
        print(job, ui, printer, parent);
}

void ReportRunner::print(ReportJob &job, UserInterface &ui, QPrinter &printer, QWidget *parent)
{
    if (QPrinterInfo::defaultPrinter().isNull())
        ui.message(job.strings().text(u"NoDfltPrtrTitle"_s),
                   job.strings().text(u"NoDfltPrtrText"_s),
                   UserInterface::Icon::Warning);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(job.strings().text(u"PrinterDlgTitle"_s));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ReportPrinter::Result result = printWithProgress(job, printer, false, parent);
    if (result.deviceFailed)
        reportDeviceFailure(ui, job);
    else
        job.printed(result.outcome, result.pages);
}

void ReportRunner::preview(ReportJob &job, UserInterface &ui, QPrinter &printer, QWidget *parent)
{
    if (job.total() == 0) {
        job.showPreview(ReportJob::Outcome::Finished, 0);
        return;
    }
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(u"ReportPreview"_s);
    dialog.setWindowTitle(job.definition().title);
    // The preview asks for the pages when it opens, again when the paper changes, and once
    // more for the printer when the user prints from it.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *p) {
        const bool opening = !dialog.isVisible();
        const ReportPrinter::Result result = printWithProgress(job, *p, true, &dialog);
        if (result.deviceFailed) {
            reportDeviceFailure(ui, job);
            return;
        }
        if (opening && !job.showPreview(result.outcome, result.pages))
            QTimer::singleShot(0, &dialog, &QDialog::reject);
    });
    dialog.resize(900, 700);
    // The pages open fitted to the window's width: at their actual size a page is wider than
    // the window and its right edge is hidden.
    if (auto *view = dialog.findChild<QPrintPreviewWidget *>())
        QTimer::singleShot(0, view, [view] { view->fitToWidth(); });
    dialog.exec();
}

} // namespace pk
