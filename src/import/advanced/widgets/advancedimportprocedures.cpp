#include "import/advanced/widgets/advancedimportprocedures.h"

#include "import/advanced/widgets/advancedimportdialog.h"
#include "import/importwizard.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Started by the import wizard with the settings' File (blank asks with "Import File").
QWidget *openAdvancedImport(const ProcedureCall &call, const ImportRequest &request)
{
    Shell &shell = call.shell;
    AdvancedImportDialog::run(request.settings ? request.settings->file : QString(),
                              shell.collection(),
                              shell.errors(),
                              shell.ui(),
                              &shell.positionIni(),
                              call.frame);
    return nullptr;
}

} // namespace

void registerAdvancedImportProcedures()
{
    ProcedureRegistry::instance().add<ImportRequest>(QString::fromLatin1(Procedure::AdvancedImport),
                                                     &openAdvancedImport);
}

} // namespace pk
