#pragma once

#include <QByteArray>
#include <QString>

namespace pk::test {

/// The moment the sample bookmarks were added: 2024-03-01 12:00:00 UTC.
constexpr qint64 BrowserFilesAddedSeconds = 1709294400;

/**
 * A Chromium "Bookmarks" file: a bar bookmark added at BrowserFilesAddedSeconds, folders
 * "Nachrichten & Café" > "日本語" (one bookmark) and an empty one, an untitled bookmark under
 * "other", an empty "synced" root.
 */
QByteArray chromiumBookmarksFile();

/**
 * A places database with the browser's tables as its file format has them: menu > News (a
 * bookmark added at BrowserFilesAddedSeconds) > Local (one bookmark), a separator, a "place:"
 * query, a toolbar bookmark without its own title, the tag "work" on the two News bookmarks and
 * an empty "unfiled" folder. `withRootsTable` adds moz_bookmarks_roots.
 */
void makeFirefoxPlaces(const QString &path, bool withRootsTable);

} // namespace pk::test
