#include "import/clipboard/widgets/clipboardprocedures.h"

#include "import/clipboard/widgets/clipboardmonitorwindow.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QMdiSubWindow>
#include <QPointer>

namespace pk {

namespace {

QWidget *openClipboardMonitor(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    auto *window = new ClipboardMonitorWindow(shell.collection(), shell.errors(), shell.ui());
    QPointer<ClipboardMonitorWindow> guard = window;
    QObject::connect(window, &ClipboardMonitorWindow::closeRequested, window, [guard] {
        if (!guard)
            return;
        if (auto *sub = qobject_cast<QMdiSubWindow *>(guard->parentWidget()))
            sub->close();
        else
            guard->close();
    });
    return window;
}

} // namespace

void registerClipboardProcedures()
{
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::ClipboardMonitor),
                                      &openClipboardMonitor);
}

} // namespace pk
