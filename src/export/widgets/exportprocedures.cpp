#include "export/widgets/exportprocedures.h"

#include "browse/forms/widgets/formscontext.h"
#include "browse/forms/widgets/formsprocedures.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "export/widgets/advancedexportprocedures.h"
#include "export/widgets/exportwizarddialog.h"
#include "platform/launcher.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/procedurestarter.h"

#include <QDir>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

QWidget *openExportWizard(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    FormsContext forms = formsContext(call);

    ExportEnvironment env;
    env.collection = &shell.collection();
    env.ui = &shell.ui();
    env.bodyInFrame = shell.bodyInFrame();
    env.homePage = shell.pathkeepIni().value(u"Support"_s, u"HomePage"_s, env.homePage);
    env.templateFolder = QDir::currentPath();
    env.queryWizard = [&shell, frame]() -> std::optional<QString> {
        QueryFieldTable fields(u"URL"_s);
        fields.initialize(QueryFieldTexts::exports(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), QString(), frame);
    };
    env.halt = [&shell](const QString &text) { shell.halt(text); };

    ExportWizardContext context{forms, shell.pathkeepIni(), env, {}, {}};
    context.advanced = [starter = &call.starter](const ExportSettings &s) {
        // The settings of this wizard, which PATHKEEP.INI only gets when the wizard closes.
        const AdvancedExportRequest request = AdvancedExportRequest::of(s);
        return starter->isDefined(QLatin1String(request.procedure)) && starter->start(request);
    };
    context.launch = [&shell](const QString &file) { Launcher(shell.ui()).launch(file); };

    ExportWizardDialog wizard(context, frame);
    wizard.exec();
    return nullptr;
}

} // namespace

void registerExportProcedures()
{
    ProcedureRegistry::instance().add(QLatin1String(Procedure::ExportWizard), &openExportWizard);
}

} // namespace pk
