#include "report/widgets/reportprocedures.h"

#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "platform/appfolders.h"
#include "report/reportjob.h"
#include "report/reportwizardchoices.h"
#include "report/widgets/reportrunner.h"
#include "report/widgets/reportwizarddialog.h"
#include "shell/procedurenames.h"
#include "shell/procedurerequests.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/widgets/mainframe.h"

#include <QDate>
#include <QPointer>
#include <QPrinter>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

void runReport(const ProcedureCall &call, ReportDefinition definition, const QString &query)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    auto queryWizard = [&shell, frame](const QString &current) -> std::optional<QString> {
        QueryFieldTable fields(u"URL"_s);
        fields.initialize(QueryFieldTexts::locations(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), current, frame);
    };
    ReportJob job(shell.collection(),
                  shell.ui(),
                  ReportDisplayStrings::load(AppFolders::reportIni()),
                  std::move(definition),
                  queryWizard);
    // The frame keeps the printer set up through File, Print Setup.
    auto *mainFrame = qobject_cast<MainFrame *>(call.frame);
    QPrinter own(QPrinter::HighResolution);
    ReportRunner::run(job, shell.ui(), mainFrame ? mainFrame->printer() : own, call.frame, query);
}

QWidget *openFixedReport(const ProcedureCall &call, const char *procedure)
{
    if (std::optional<ReportDefinition> d = ReportDefinition::fixed(QLatin1String(procedure)))
        runReport(call, std::move(*d), QString());
    return nullptr;
}

QWidget *openReportWizard(const ProcedureCall &call, const ReportWizardRequest &request)
{
    const int order = ReportWizardChoices::orderOfKey(request.key);
    ReportWizardDialog wizard(call.shell.ui(), order, call.frame);
    if (wizard.exec() != QDialog::Accepted)
        return nullptr;
    runReport(call,
              ReportWizardChoices::report(wizard.columns(),
                                          wizard.order(),
                                          wizard.description(),
                                          QDate::currentDate()),
              request.query);
    return nullptr;
}

} // namespace

void registerReportProcedures()
{
    ProcedureRegistry &registry = ProcedureRegistry::instance();
    for (const char *name : {Procedure::PrintByDescription,
                             Procedure::PrintByLocation,
                             Procedure::PrintByCategory,
                             Procedure::PrintByRating,
                             Procedure::PrintByKeyword,
                             Procedure::PrintCategories}) {
        registry.add(QLatin1String(name),
                     [name](const ProcedureCall &call) { return openFixedReport(call, name); });
    }
    registry.add<ReportWizardRequest>(&openReportWizard);
}

} // namespace pk
