#pragma once

#include <QString>

#include <vector>

namespace pk {

/// One Internet shortcut of the favourites folder.
struct FavoriteEntry
{
    QString path; ///< relative to the favourites folder, '/' between folders
    QString url;  ///< value `URL` of section `InternetShortcut`
};

/**
 * @brief Collects the Internet shortcut files (".url") of a favourites folder and its
 * sub-folders, sorted by their path relative to the folder.
 */
class FavoritesScan final
{
public:
    static std::vector<FavoriteEntry> scan(const QString &folder);
    /// Whether a file name names an Internet shortcut (".url" in any letter case).
    static bool isShortcut(const QString &fileName);
};

} // namespace pk
