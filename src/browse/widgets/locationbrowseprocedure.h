#pragma once

#include "browse/widgets/locationbrowsewindow.h"

namespace pk {

struct ProcedureCall;

/// What a window of the location-list family is given when a procedure starts it: hooks to
/// the frame, the "Find..." dialog over `findFields`, the query wizard, POSITION.INI.
LocationBrowseWindow::Environment locationBrowseEnvironment(const ProcedureCall &call,
                                                            const QString &findFields);

/// Registers the location list ("BrowsePATHKEEP") and the keyword and detail lists
/// ("BrowseURLKeywords", "BrowseURLDetails") with the procedure registry.
void registerLocationBrowse();

} // namespace pk
