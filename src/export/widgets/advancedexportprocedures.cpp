#include "export/widgets/advancedexportprocedures.h"

#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "export/exportsettings.h"
#include "export/widgets/advancedexportdialog.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// A setting from the call's arguments, else the export settings the wizard keeps.
QString setting(const ProcedureCall &call, const QString &name, const QString &current)
{
    return call.arguments.contains(name) ? call.arguments.value(name).toString() : current;
}

QWidget *openAdvancedExport(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    const ExportSettings &shared = ExportSettings::shared();
    AdvancedExportSettings settings;
    settings.file = setting(call, u"Export:File"_s, shared.file);
    settings.order = setting(call, u"Export:Order"_s, shared.order);
    settings.assignment = setting(call, u"Export:Category:Assignment"_s, shared.categoryAssignment);
    settings.category = setting(call, u"Export:Category"_s, shared.category);
    QPointer<QWidget> frame = call.frame;
    auto queryWizard = [&shell, frame]() -> std::optional<QString> {
        QueryFieldTable fields(u"URL"_s);
        fields.initialize(QueryFieldTexts::exports(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), QString(), frame);
    };
    AdvancedExportDialog dialog(shell.collection(),
                                shell.ui(),
                                settings,
                                queryWizard,
                                &shell.positionIni(),
                                call.frame);
    dialog.exec();
    return nullptr;
}

} // namespace

void registerAdvancedExportProcedures()
{
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::ExportAdvanced),
                                      &openAdvancedExport);
}

} // namespace pk
