#pragma once

#include <QString>

namespace pk {

class Collection;
class ErrorManager;
class Launcher;

/// The list's Launch of a location: its address handed to the desktop, the visit recorded.
namespace LocationLaunch {
/**
 * Starts the address `location` through `launcher` (which reports a failure) and records today
 * as the location's last visit either way; a location removed meanwhile is left alone. Returns
 * whether anything started.
 */
bool launch(Collection &collection,
            Launcher &launcher,
            ErrorManager &errors,
            const QString &location);
} // namespace LocationLaunch

} // namespace pk
