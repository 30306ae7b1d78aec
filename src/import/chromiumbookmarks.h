#pragma once

#include "import/browserbookmark.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace pk {

/**
 * @brief Reads the "Bookmarks" file of a Chromium-family profile (Chromium, Google Chrome,
 * Brave, Vivaldi): a JSON tree under the roots "bookmark_bar", "other" and "synced".
 *
 * Dates are microseconds since 1 January 1601 (UTC), written as text. Folders come out in tree
 * order before their contents; an empty folder is an entry with a blank address.
 */
class ChromiumBookmarks final
{
public:
    /// Larger files are refused rather than read into memory.
    static constexpr qint64 MaxFileSize = 512LL * 1024 * 1024;

    static bool read(const QString &path, std::vector<BrowserBookmark> &out, QString &error);
    static bool parse(const QByteArray &json, std::vector<BrowserBookmark> &out, QString &error);
    /// A date of the file; invalid for 0, blank or nonsense.
    static QDateTime dateOf(const QString &microsSince1601);
};

} // namespace pk
