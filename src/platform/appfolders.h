#pragma once

#include <QString>

namespace pk {

/**
 * @brief Where the program keeps its files on this system.
 *
 * The configuration folder (`$XDG_CONFIG_HOME/pathkeep`, default `~/.config/pathkeep`) takes
 * the place of the program folder for PATHKEEP.INI, POSITION.INI, PKREPORT.INI and
 * registry.ini. Read-only data shipped with the program (templates, help, images) lives in the
 * data folder, chosen once at start by the program.
 */
class AppFolders final
{
public:
    static QString configFolder();
    /// Creates the configuration folder when missing; returns false when that fails.
    static bool ensureConfigFolder();

    static QString pathkeepIni();
    static QString positionIni();
    static QString reportIni();
    static QString registryIni();

    static QString dataFolder();
    static void setDataFolder(const QString &folder);
    static QString dataFile(const QString &relative);

    /**
     * Picks the data folder: `<program folder>/../share/pathkeep` when it exists (an installed,
     * possibly relocated program), else the source tree's folder when it exists (a program
     * run from its build folder), else the configured install folder.
     */
    static QString resolveDataFolder(const QString &programFolder,
                                     const QString &installFolder,
                                     const QString &sourceFolder);
};

} // namespace pk
