#include "linkcheck/analysis/widgets/analysisprocedures.h"

#include "browse/list/browserefresh.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "linkcheck/analysis/analyzelinksprocess.h"
#include "linkcheck/analysis/downloadurlsprocess.h"
#include "linkcheck/analysis/widgets/analyzeurlwindow.h"
#include "linkcheck/analysis/widgets/batchprogresswindow.h"
#include "linkcheck/analysis/widgets/downloadwindow.h"
#include "shell/procedurenames.h"
#include "shell/procedurerequests.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "store/picture.h"
#include "framework/errormanager.h"

#include <QDir>
#include <QPointer>

namespace pk {

namespace {

LocationBatchEnvironment batchEnvironment(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    LocationBatchEnvironment env;
    env.collection = [&shell] { return &shell.collection(); };
    env.ui = &shell.ui();
    env.errors = &shell.errors();
    env.queryWizard = [&shell, frame]() -> std::optional<QString> {
        QueryFieldTable fields(QStringLiteral("URL"));
        fields.initialize(QueryFieldTexts::locations(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), QString(), frame);
    };
    env.refreshLists = [] { BrowseRefresh::instance().request(); };
    return env;
}

/// The single analysis: its window, modal over the frame, or a form's record filled from its
/// page; returns nothing to place.
QWidget *openAnalyzeUrl(const ProcedureCall &call, const AnalyzeUrlRequest &request)
{
    QWidget *parent = request.parent ? request.parent : call.frame;
    if (request.record) {
        analyzeLocation(call.shell.collection(),
                        *request.record,
                        &call.shell.errors(),
                        parent,
                        request.rows);
        return nullptr;
    }
    std::vector<QString> tokens;
    AnalyzeUrlWindow::run(request.location, tokens, parent);
    return nullptr;
}

QWidget *openAnalyzeLinks(const ProcedureCall &call)
{
    QPointer<QWidget> frame = call.frame;
    auto process = std::make_unique<AnalyzeLinksProcess>(batchEnvironment(call),
                                                         [frame](const QString &url,
                                                                 std::vector<QString> &tokens) {
                                                             return AnalyzeUrlWindow::run(url,
                                                                                          tokens,
                                                                                          frame);
                                                         });
    if (!process->confirm())
        return nullptr;
    return new BatchProgressWindow(std::move(process),
                                   QLatin1String(AnalyzeLinksProcess::Title),
                                   QString::fromLatin1(Procedure::AnalyzeMultiple),
                                   [](LocationBatch &batch) {
                                       return static_cast<AnalyzeLinksProcess &>(batch).run();
                                   });
}

QWidget *openDownloadUrls(const ProcedureCall &call, const DownloadUrlsRequest &request)
{
    QPointer<QWidget> frame = call.frame;
    UserInterface *ui = &call.shell.ui();
    auto process = std::make_unique<DownloadUrlsProcess>(
        batchEnvironment(call), [frame, ui](const QString &target, const QString &url) {
            return DownloadWindow::run(target, url, QDir::currentPath(), ui, frame);
        });
    if (!process->chooseFolder())
        return nullptr;
    const QString condition = request.condition;
    return new BatchProgressWindow(std::move(process),
                                   QLatin1String(DownloadUrlsProcess::Title),
                                   QString::fromLatin1(Procedure::DownloadUrls),
                                   [condition](LocationBatch &batch) {
                                       return static_cast<DownloadUrlsProcess &>(batch).start(
                                           condition);
                                   });
}

} // namespace

int analyzeLocation(Collection &collection,
                    LocationRecord &record,
                    ErrorManager *errors,
                    QWidget *parent,
                    LocationRows *rows)
{
    QPointer<QWidget> owner = parent;
    LocationAnalysis analysis(
        collection,
        [owner](const QString &url, std::vector<QString> &tokens) {
            return AnalyzeUrlWindow::run(url, tokens, owner);
        },
        DayNumber::today());
    analysis.setRows(rows);
    StoreStatus status;
    const int result = analysis.analyze(record, status);
    if (!status && errors && status.catalogueNumber)
        errors->raise(status.catalogueNumber, status.context);
    return result;
}

void registerAnalysisProcedures()
{
    auto &registry = ProcedureRegistry::instance();
    registry.add<AnalyzeUrlRequest>(&openAnalyzeUrl);
    registry.add(QString::fromLatin1(Procedure::AnalyzeMultiple), &openAnalyzeLinks);
    registry.add<DownloadUrlsRequest>(&openDownloadUrls);
}

} // namespace pk
