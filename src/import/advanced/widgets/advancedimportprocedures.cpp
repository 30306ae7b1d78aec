#include "import/advanced/widgets/advancedimportprocedures.h"

#include "import/advanced/widgets/advancedimportdialog.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Started by the import wizard with the settings' File (blank asks with "Import File").
QWidget *openAdvancedImport(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    AdvancedImportDialog::run(call.arguments.value(u"File"_s).toString(),
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
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::AdvancedImport),
                                      &openAdvancedImport);
}

} // namespace pk
