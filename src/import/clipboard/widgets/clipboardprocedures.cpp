#include "import/clipboard/widgets/clipboardprocedures.h"

#include "import/clipboard/widgets/clipboardmonitorwindow.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"
#include "shell/widgets/framedwindow.h"

namespace pk {

namespace {

QWidget *openClipboardMonitor(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    auto *window = new ClipboardMonitorWindow(shell.collection(), shell.errors(), shell.ui());
    closeOnRequest(window);
    return window;
}

} // namespace

void registerClipboardProcedures()
{
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::ClipboardMonitor),
                                      &openClipboardMonitor);
}

} // namespace pk
