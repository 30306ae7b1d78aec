#pragma once

#include <QString>

namespace pk {

class Registry;

/**
 * @brief The browser favourites folder as the user's shell-folder entries give it.
 *
 * Reads "Favorites" under `...\Explorer\User Shell Folders`, falls back to `...\Explorer\Shell
 * Folders` when that gives nothing but the default, and expands the first %VARIABLE%. The
 * default is the folder `Favorites` in the home folder. Backslashes become '/'.
 */
class FavoritesFolder final
{
public:
    static constexpr const char *UserShellFolders
        = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const char *ShellFolders
        = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

    static QString defaultFolder();
    static QString lookup(const Registry &registry);
};

} // namespace pk
