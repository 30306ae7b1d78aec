#pragma once

#include "import/categorymode.h"

#include <QString>

namespace pk {

class IniFile;

/**
 * @brief The import wizard's choices, kept in section "Import" of PATHKEEP.INI and handed to the
 * import the wizard starts.
 */
struct ImportSettings
{
    static constexpr const char *Section = "Import";

    QString type = QStringLiteral("IE");          ///< `Import:Type`, 10
    QString file;                                 ///< `Import:File`, 255
    QString folder;                               ///< `Import:Folder`, 255
    QString assignment = QStringLiteral("Guess"); ///< `Import:Category:Assignment`, 10
    QString category;                             ///< `Import:Category`, 50
    QString url;                                  ///< `Import:URL`, an address (whole)
    int followLinks = 0;                          ///< `Import:FollowLinks`, 0 or 1
    /// `Import:NestedFolders`, 0 or 1: a bookmark file is read as browsers write it (nested
    /// folders as folder chains, character references, dates and tags); see HtmlImport.
    int nestedFolders = 0;

    /// The keys as the wizard reads them when it opens: every key but `Import:Folder`, which
    /// comes from the favourites folder setting; blank Type and Assignment take their defaults.
    static ImportSettings load(const IniFile &ini, const QString &favoritesFolder);
    /// Writes all seven keys.
    void save(IniFile &ini) const;

    /// The assignment mode; "Guess" for an unknown value.
    CategoryMode mode() const;

    /// Every text cut to its width and without trailing blanks; FollowLinks 0 or 1.
    void fit();

    bool operator==(const ImportSettings &) const = default;
};

} // namespace pk
