#pragma once

#include <QString>

namespace pk {

class IniFile;

/**
 * @brief The export choices every export procedure reads, kept for the program's life and in
 * section "Export" of PATHKEEP.INI between runs.
 *
 * Texts hold values without trailing blanks. `typePreformatted` is never stored.
 */
struct ExportSettings
{
    static constexpr const char *Section = "Export";

    QString type = QStringLiteral("Table");             ///< Simple, Table, Frame, CSV, ADV, ASCII
    bool typePreformatted = false;                      ///< "Use pre-formatted HTML"
    QString categoryAssignment = QStringLiteral("All"); ///< All, Selected, Query
    QString category;                                   ///< exported when "Selected"
    QString order = QStringLiteral(
        "Location"); ///< Location, Description, CatDesc, CatLoc, Rating, Keyword
    QString file;    ///< the main output file
    QString pageTitle;
    QString filePreformatted; ///< shown and stored only
    QString metaKeywords;
    QString metaDescription;
    bool rating = false;
    bool keyword = false; ///< offered and stored only
    bool siteInfo = false;
    bool otherFields = false; ///< offered and stored only

    /// The settings of this program run.
    static ExportSettings &shared();

    /// Reads every stored value with the current one as default; blank type, assignment and
    /// order fall back to "Table", "All" and "Location".
    void load(const IniFile &ini);
    /// Writes every stored value, the file name also under "Export:File:" + type.
    void save(IniFile &ini) const;
    /// The file name last used with `type`, blank when none was stored.
    static QString fileForType(const IniFile &ini, const QString &type);

    bool isHtmlType() const;
    /// CatDesc and CatLoc write category by category.
    bool isGrouped() const;

    bool operator==(const ExportSettings &) const = default;
};

} // namespace pk
