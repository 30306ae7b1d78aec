#pragma once

#include "store/records.h"

#include <QString>

#include <optional>

namespace pk {

/**
 * @brief Turns an Internet shortcut file dropped on the location list into a new location.
 *
 * The address is the value "URL" of section [InternetShortcut]. A file inside the favourites
 * folder takes its first sub-folder as the category and the rest of its path as the
 * description; any other file goes to the category "Internet Explorer".
 */
class ShortcutDrop final
{
public:
    static constexpr const char *DefaultCategory = "Internet Explorer";

    /// Whether a dropped file name is a shortcut (contains ".URL", letter case ignored).
    static bool isShortcut(const QString &fileName);
    /// The "URL" value of section [InternetShortcut], empty when missing or unreadable.
    static QString readUrl(const QString &fileName);
    /// Category and description for a file (address left empty).
    static LocationRecord placement(const QString &fileName, const QString &favouritesFolder);
    /// The new location for a dropped file, nothing when the address is blank.
    static std::optional<LocationRecord> fromFile(const QString &fileName,
                                                  const QString &favouritesFolder);
};

} // namespace pk
