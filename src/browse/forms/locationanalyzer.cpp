#include "browse/forms/locationanalyzer.h"

#include "framework/errormanager.h"
#include "shell/procedurenames.h"

namespace pk {

namespace {

LocationAnalyzer::Function &installed()
{
    static LocationAnalyzer::Function analyzer;
    return analyzer;
}

} // namespace

void LocationAnalyzer::install(Function analyzer)
{
    installed() = std::move(analyzer);
}

bool LocationAnalyzer::isInstalled()
{
    return static_cast<bool>(installed());
}

void LocationAnalyzer::run(Collection &collection,
                           LocationRecord &record,
                           LocationRows &rows,
                           ErrorManager &errors,
                           QWidget *parent)
{
    if (const Function &analyzer = installed()) {
        analyzer(collection, record, rows, &errors, parent);
        return;
    }
    ErrorContext context;
    context.message = QLatin1String(Procedure::AnalyzeUrl);
    errors.raise(Msg::ProcedureNotDefined, context);
}

} // namespace pk
