#pragma once

#include "export/exportenvironment.h"
#include "export/exportsettings.h"
#include "export/textlinewriter.h"
#include "store/records.h"

#include <QDateTime>
#include <QStringList>

namespace pk {

/**
 * @brief The collection as a bookmark file in the format every web browser imports.
 *
 * Categories become folders, nested where a category is a folder chain ("News: Local" is the
 * folder "Local" inside "News", split so that reading the file back rebuilds the category).
 * Each location is a link with its ADD_DATE and LAST_MODIFIED (the "Date Added" and "Last
 * Modified" details), LAST_VISIT, TAGS (its keywords, comma-separated) and SHORTCUTURL (the
 * "Browser Keyword" detail); its site information and comments follow in one "<DD>" line, the
 * comments after a "<BR>"; a category's description follows its folder heading as a "<DD>".
 * Text is plain text escaped for HTML (every "&", "<", ">" and '"'), line breaks as "&#10;".
 * A keyword holding a comma cannot be told apart from two tags: the export writes it and says
 * how many there were, once, at the end. The category selection and query of the export
 * settings apply; the order is always the folder tree.
 */
class BookmarkFileExport final
{
public:
    static constexpr const char *Type = "Bookmarks";

    BookmarkFileExport(ExportSettings settings, ExportEnvironment environment);

    ExportResult run();
    qint64 written() const { return m_written; }

    /// Seconds since 1970 of the start of a day number's day (local time); 0 for no date.
    static qint64 secondsOfDay(qint32 dayNumber);
    /// Field text for the file: escaped, line breaks as references.
    static QString text(const QString &value);

private:
    bool writeCategory(const QString &category);
    bool openFolders(const QStringList &path);
    bool closeFolders(qsizetype keep);
    bool writeLocation(const LocationRecord &record);
    bool line(const QString &text);
    QString indent() const;

    ExportSettings m_settings;
    ExportEnvironment m_env;
    TextLineWriter m_file;
    QStringList m_open; ///< folders open now, outermost first
    qint64 m_written = 0;
    qint64 m_commaKeywords = 0; ///< keywords that a browser reads as more than one tag
    qint64 m_now = 0;
    bool m_stopped = false;
};

} // namespace pk
