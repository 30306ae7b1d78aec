#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace pk {

class Collection;
class ErrorManager;
class LocationRows;
struct LocationRecord;

/// Registers "AnalyzeURL", "Analyze:MultipleURLs" and "DownloadURLs" with the procedure
/// registry.
void registerAnalysisProcedures();

/**
 * Analyses the location in `record` (a form's buffer) with the "Analyze URL" window modal over
 * `parent`, and fills its fields; the record itself is not written. Its keyword and detail rows
 * go to `rows` when given (a form's, stored when the form is saved), else into the collection.
 * Store failures go to `errors`. Returns the analysis result (-1 when cancelled).
 */
int analyzeLocation(Collection &collection,
                    LocationRecord &record,
                    ErrorManager *errors,
                    QWidget *parent,
                    LocationRows *rows = nullptr);

} // namespace pk
