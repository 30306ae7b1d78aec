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

QWidget *openAdvancedExport(const ProcedureCall &call, const AdvancedExportRequest &request)
{
    Shell &shell = call.shell;
    // Without the wizard's own settings: the export settings the wizard keeps.
    const AdvancedExportSettings settings = request.settings.value_or(
        *AdvancedExportRequest::of(ExportSettings::shared()).settings);
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
    ProcedureRegistry::instance().add<AdvancedExportRequest>(&openAdvancedExport);
}

} // namespace pk
