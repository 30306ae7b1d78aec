#include "import/previous/widgets/previousimportprocedures.h"

#include "import/previous/widgets/previousversionimportwindow.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/widgets/framedwindow.h"

namespace pk {

namespace {

QWidget *openPreviousVersionImport(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    auto *window = new PreviousVersionImportWindow(shell.collection(),
                                                   shell.errors(),
                                                   shell.ui(),
                                                   &shell.positionIni());
    closeOnRequest(window);
    return window;
}

} // namespace

void registerPreviousImportProcedures()
{
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::PreviousVersionImport),
                                      &openPreviousVersionImport);
}

} // namespace pk
