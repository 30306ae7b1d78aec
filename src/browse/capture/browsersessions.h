#pragma once

#include "browse/capture/sessionpage.h"

#include <QStringList>

#include <vector>

namespace pk {

/// What the running browsers show: their windows' pages, and a note for each browser whose
/// pages could not be read.
struct SessionCapture
{
    std::vector<SessionPage> pages;
    QStringList notes;
};

/// A browser's profile whose session can be read.
struct SessionProfile
{
    enum class Family { Firefox, Chromium };

    Family family = Family::Firefox;
    QString browser;
    QString folder;   ///< the profile folder
    QString lockPath; ///< the lock a running browser holds (profile or user data folder)
};

/**
 * @brief Finds the browsers running in a home folder and reads the pages their windows show
 * from their session files.
 *
 * Firefox family (Firefox, LibreWolf; ~/.config/mozilla/firefox, ~/.mozilla/firefox, snap and
 * flatpak; a folder under ~/.config is looked for in $XDG_CONFIG_HOME too): each profile of "profiles.ini" that holds the lock of a running browser, through
 * `sessionstore-backups/recovery.jsonlz4`. Chromium family (Chromium, Google Chrome, Brave,
 * Vivaldi, Microsoft Edge): each profile of a user data folder that holds the lock of a running
 * browser, through its newest `Sessions/Session_*` file, when that was written since the browser
 * started (profiles not open in it are left out). A lock whose process is gone is stale. A
 * running browser without a readable session file gets a note, once per browser and reason.
 */
class BrowserSessions final
{
public:
    /// The profiles in `home`, and in `configFolder` for the folders under "~/.config".
    static std::vector<SessionProfile> profiles(const QString &home, const QString &configFolder);
    /// What the browsers running in `home` (and `configFolder`) show.
    static SessionCapture read(const QString &home,
                               const QString &configFolder = BrowserSessions::configHome());
    /// $XDG_CONFIG_HOME when it is set to an absolute path; blank otherwise.
    static QString configHome();
    /// Whether the lock at `lockPath` (a symbolic link naming "host-pid" or "address:+pid")
    /// is held by a live process.
    static bool isHeld(const QString &lockPath);
    /// The newest `Session_*` file of a Chromium profile's session folder; blank when none.
    static QString newestSessionFile(const QString &folder);
};

} // namespace pk
