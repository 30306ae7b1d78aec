#pragma once

#include <functional>

class QWidget;

namespace pk {

class Collection;
class ErrorManager;
class LocationRows;
struct LocationRecord;

/**
 * @brief The page analysis behind the "Analy&ze" buttons of the location form and the wizard.
 *
 * Link analysis installs itself at start-up; the forms don't link it. Until something is
 * installed the buttons report the procedure as not defined (catalogue message 27).
 */
class LocationAnalyzer final
{
public:
    /// Fills `record` from its page and the page's keyword and detail rows into `rows` (the
    /// form's, stored when the form is saved); returns the analysis result (-1 when cancelled).
    using Function = std::function<
        int(Collection &, LocationRecord &, LocationRows &, ErrorManager *, QWidget *)>;

    static void install(Function analyzer);
    static bool isInstalled();

    /// Analyses the form's record, or reports "AnalyzeURL" as not defined.
    static void run(Collection &collection,
                    LocationRecord &record,
                    LocationRows &rows,
                    ErrorManager &errors,
                    QWidget *parent);
};

} // namespace pk
