#include "import/previous/widgets/previousimportprocedures.h"

#include "import/previous/widgets/previousversionimportwindow.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

#include <QMdiSubWindow>
#include <QPointer>

namespace pk {

namespace {

QWidget *openPreviousVersionImport(const ProcedureCall &call)
{
    Shell &shell = call.shell;
    auto *window = new PreviousVersionImportWindow(shell.collection(),
                                                   shell.errors(),
                                                   shell.ui(),
                                                   &shell.positionIni());
    QPointer<PreviousVersionImportWindow> guard = window;
    QObject::connect(window, &PreviousVersionImportWindow::closeRequested, window, [guard] {
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

void registerPreviousImportProcedures()
{
    ProcedureRegistry::instance().add(QString::fromLatin1(Procedure::PreviousVersionImport),
                                      &openPreviousVersionImport);
}

} // namespace pk
