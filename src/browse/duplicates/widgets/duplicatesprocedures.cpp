#include "browse/duplicates/widgets/duplicatesprocedures.h"

#include "browse/duplicates/widgets/duplicateswindow.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"
#include "shell/shell.h"

namespace pk {

void registerDuplicatesProcedures()
{
    ProcedureRegistry::instance().add(QLatin1String(Procedure::FindDuplicates),
                                      [](const ProcedureCall &call) -> QWidget * {
                                          return new DuplicatesWindow(call.shell.collection(),
                                                                      call.shell.ui());
                                      });
}

} // namespace pk
