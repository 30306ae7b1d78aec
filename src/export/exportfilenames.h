#pragma once

#include <QString>

namespace pk {

/**
 * @brief The base path and base name the extra pages of an export are named from.
 *
 * The file name part of the export file is lower-cased and cut before its first ".htm"; the
 * folder part stays as typed (folders differ by letter case here). "/web/Links.html" gives the
 * base path "/web/links" and the base name "links".
 */
struct ExportFileNames
{
    QString basePath;
    QString baseName;

    static ExportFileNames of(const QString &exportFile);
    /// The part of `path` after its last '/' (the name a page links another page by).
    static QString fileNamePart(const QString &path);
};

} // namespace pk
