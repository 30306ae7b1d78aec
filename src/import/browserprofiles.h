#pragma once

#include <QString>

#include <vector>

namespace pk {

/// A browser profile that holds bookmarks.
struct BrowserProfile
{
    QString browser; ///< "Firefox", "Chromium", "Google Chrome", "Brave", "Vivaldi"
    QString name;    ///< the profile's name as the browser shows it
    QString file;    ///< places.sqlite or Bookmarks
    bool isDefault = false;
};

/**
 * @brief Finds the bookmark files of the browsers' profiles in a home folder.
 *
 * Firefox: the profiles listed in "profiles.ini" under ~/.mozilla/firefox, the XDG folder
 * mozilla/firefox of newer versions (in XDG_CONFIG_HOME when it is set, and in ~/.config) and the
 * snap and flatpak folders (relative or absolute paths; the default profile first). Chromium,
 * Google Chrome, Brave and Vivaldi: every profile folder with a "Bookmarks" file under the same
 * configuration folders (and the snap and flatpak folders), named from "Local State" where it
 * says. Only profiles whose file exists are listed, each once.
 */
class BrowserProfiles final
{
public:
    static std::vector<BrowserProfile> firefox(const QString &home);
    static std::vector<BrowserProfile> chromium(const QString &home);
    /// The file of the first profile listed, blank when there is none.
    static QString defaultFile(const std::vector<BrowserProfile> &profiles);
};

} // namespace pk
