#include "export/widgets/advancedexportprocedures.h"

#include "browse/query/queryfieldtable.h"
#include "browse/query/queryfieldtexts.h"
#include "browse/query/querytexts.h"
#include "browse/query/widgets/querywizarddialog.h"
#include "export/widgets/advancedexportdialog.h"
#include "platform/inifile.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// A setting from the call's arguments, else from section "Export" of PATHKEEP.INI.
QString setting(const ProcedureCall &call, const QString &name, const QString &fallback = {})
{
    if (call.arguments.contains(name))
        return call.arguments.value(name).toString();
    return call.shell.pathkeepIni().value(u"Export"_s, name, fallback);
}

QWidget *openAdvancedExport(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    AdvancedExportSettings settings;
    settings.file = setting(call, u"Export:File"_s);
    settings.order = setting(call, u"Export:Order"_s, u"Location"_s);
    settings.assignment = setting(call, u"Export:Category:Assignment"_s, u"All"_s);
    settings.category = setting(call, u"Export:Category"_s);
    QPointer<QWidget> frame = call.frame;
    auto queryWizard = [&shell, frame]() -> std::optional<QString> {
        QueryFieldTable fields(u"URL"_s);
        fields.initialize(QueryFieldTexts::locations(), shell.ui());
        return QueryWizardDialog::run(fields, QueryTexts::shared(), shell.ui(), QString(), frame);
    };
    AdvancedExportDialog dialog(shell.collection(), shell.ui(), settings, queryWizard,
                                &shell.positionIni(), call.frame);
    dialog.exec();
    return nullptr;
}

} // namespace

void registerAdvancedExportProcedures()
{
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::AdvancedExport),
                                      &openAdvancedExport);
}

} // namespace pk
