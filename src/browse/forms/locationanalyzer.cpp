#include "browse/forms/locationanalyzer.h"

#include "framework/errormanager.h"
#include "shell/procedurenames.h"

namespace pk {

void analyzeForm(const LocationAnalyzer &analyzer,
                 LocationRecord &record,
                 LocationRows &rows,
                 ErrorManager &errors,
                 QWidget *parent)
{
    if (analyzer) {
        analyzer(record, rows, parent);
        return;
    }
    ErrorContext context;
    context.message = QLatin1String(Procedure::AnalyzeUrl);
    errors.raise(Msg::ProcedureNotDefined, context);
}

} // namespace pk
