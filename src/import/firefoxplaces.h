#pragma once

#include "import/browserbookmark.h"

#include <QString>

#include <vector>

namespace pk {

/**
 * @brief Reads the bookmarks of a Firefox profile from its "places.sqlite".
 *
 * The browser keeps the database locked while it runs, so the file (with its write-ahead log
 * when there is one) is copied to a temporary folder and the copy is opened read-only on a
 * connection of its own. Folders of the menu, the toolbar, "Other Bookmarks" and the mobile
 * folder come out in tree order, an empty folder as an entry with a blank address; separators
 * and queries ("place:" addresses) are left out; tags become the bookmarks' tags. The top
 * folders are found through `moz_bookmarks_roots` where the file has that table, else by their
 * fixed identifiers.
 */
class FirefoxPlaces final
{
public:
    static bool read(const QString &placesFile, std::vector<BrowserBookmark> &out, QString &error);
    /// Reads a database that nobody else uses (the copy); `path` is opened read-only.
    static bool readCopy(const QString &path, std::vector<BrowserBookmark> &out, QString &error);
};

} // namespace pk
