#pragma once

#include "framework/userinterface.h"
#include "import/importcounts.h"

#include <QString>

namespace pk {

/**
 * @brief The one message every import ends with: its own closing line ("3 URL(s) imported."),
 * then what was added and already stored, what was refused and skipped and why, and whether it
 * was cancelled. Windows show it in a message box, the command line prints it.
 */
class ImportSummary final
{
public:
    /// The whole text: `firstLine`, then one line per kind of outcome that happened (added and
    /// already stored always).
    static QString text(const QString &firstLine, const ImportCounts &counts);
    /// "Complete", or "Import Cancelled" when it did not run to its end.
    static QString title(const ImportCounts &counts);
    /// A warning when anything was refused or not written, else information.
    static UserInterface::Icon icon(const ImportCounts &counts);
    /// Shows the summary.
    static void show(UserInterface &ui, const QString &firstLine, const ImportCounts &counts);
};

} // namespace pk
