#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace pk {

/// Registers "AnalyzeURL", "Analyze:MultipleURLs" and "DownloadURLs" with the procedure
/// registry.
void registerAnalysisProcedures();

} // namespace pk
