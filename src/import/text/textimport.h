#pragma once

#include <QString>

namespace pk {

class ImportInsert;
struct LocationRecord;

/**
 * @brief The text import: each line either a location CSV line (kind "CSV") or free text scanned
 * for addresses (kind "ASCII"), added through the import insert with the category its mode
 * gives and the keyword guessed from the description.
 */
class TextImport final
{
public:
    enum class Kind { Csv, Ascii };

    /// `sourceFile` goes into each location's original file name.
    TextImport(Kind kind, ImportInsert &insert, QString sourceFile);

    /// "CSV" and "ASCII" (any letter case); nothing else is a text kind.
    static bool kindFromType(const QString &type, Kind &kind);

    /**
     * Handles one line: for "ASCII" line-end characters anywhere in it are removed first; for
     * "CSV" it may be a record of several lines joined by line feeds. A CSV row whose address is
     * no address (LocationCsvLine::isAddress) is refused and counted, one starting with "#" is
     * skipped and counted, and neither offers its category.
     */
    void importLine(QString line);

    /// Locations added so far.
    int count() const { return m_count; }

private:
    void add(QString category, LocationRecord &location);

    Kind m_kind;
    ImportInsert &m_insert;
    QString m_sourceFile;
    QString m_category; ///< the current category, carried from line to line for "ASCII"
    int m_count = 0;
};

} // namespace pk
