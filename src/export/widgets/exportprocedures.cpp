#include "export/widgets/exportprocedures.h"

#include "browse/forms/widgets/formscontext.h"
#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "export/widgets/exportwizarddialog.h"
#include "platform/launcher.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/procedurelauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QPointer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

bool startProcedure(QPointer<QWidget> frame, const QString &procedure, const QVariantMap &arguments)
{
    if (!ProcedureRegistry::instance().contains(procedure))
        return false;
    if (auto *main = qobject_cast<MainFrame *>(frame.data()))
        return main->launcher().start(procedure, arguments);
    const ProcedureRegistry::Factory factory = ProcedureRegistry::instance().factory(procedure);
    if (Shell *current = Shell::instance(); factory && current) {
        if (QWidget *window = factory(ProcedureCall{*current, frame, arguments}))
            window->show();
        return true;
    }
    return false;
}

QWidget *openExportWizard(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    QPointer<QWidget> frame = call.frame;
    FormsContext forms{shell.collection(), shell.ui(), shell.errors(), &shell.positionIni(), {}, {}};
    forms.startProcedure = [frame](const QString &procedure, const QVariantMap &arguments) {
        return startProcedure(frame, procedure, arguments);
    };
    forms.openFile = [](const QString &file) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    };

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
    context.advanced = [frame](const ExportSettings &s) {
        // The settings of this wizard, which PATHKEEP.INI only gets when the wizard closes.
        const QVariantMap arguments{{u"Export:File"_s, s.file},
                                    {u"Export:Order"_s, s.order},
                                    {u"Export:Category:Assignment"_s, s.categoryAssignment},
                                    {u"Export:Category"_s, s.category}};
        return startProcedure(frame, QLatin1String(Procedure::AdvancedExport), arguments);
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
