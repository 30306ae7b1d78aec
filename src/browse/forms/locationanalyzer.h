#pragma once

#include <functional>

class QWidget;

namespace pk {

class ErrorManager;
class LocationRows;
struct LocationRecord;

/**
 * @brief The page analysis behind the "Analy&ze" buttons of the location form and the wizard:
 * fills `record` from its page and the page's keyword and detail rows into `rows` (the form's,
 * stored when the form is saved), in a window over `parent`.
 *
 * The forms don't link link analysis: their context carries it (FormsContext::analyze).
 */
using LocationAnalyzer
    = std::function<void(LocationRecord &record, LocationRows &rows, QWidget *parent)>;

/// Runs `analyzer` on the form's record; without one, reports "AnalyzeURL" as not defined
/// (catalogue message 27).
void analyzeForm(const LocationAnalyzer &analyzer,
                 LocationRecord &record,
                 LocationRows &rows,
                 ErrorManager &errors,
                 QWidget *parent);

} // namespace pk
