#pragma once

#include "import/browserbookmark.h"
#include "import/importinsert.h"

#include <vector>

namespace pk {

class Collection;
class ErrorManager;

/**
 * @brief Adds the bookmarks read from a browser profile (Firefox, Chromium and its kin).
 *
 * Each bookmark's category is its folder chain, the top folder's name for a bookmark directly
 * in one; the assignment mode then applies as in the favourites import. Tags become keyword
 * rows, the date added, the date last changed and the browser's keyword the details "Date
 * Added", "Last Modified" and "Browser Keyword", all only for a location this import added;
 * the last visit is the location's last visit. A folder without bookmarks is offered to
 * Categories under "Guess", so the tree arrives whole. step() works in one transaction.
 */
class BrowserImport final
{
public:
    /// A step takes this many entries at most, and ends sooner when its time is up
    /// (ImportInsert::stepDue()).
    static constexpr int EntriesPerStep = 1000000;

    BrowserImport(Collection &collection,
                  ErrorManager &errors,
                  QString source,
                  CategoryMode mode,
                  QString selectedCategory);

    ImportInsert &inserter() { return m_insert; }
    QString source() const { return m_source; }

    void setBookmarks(std::vector<BrowserBookmark> bookmarks);
    const std::vector<BrowserBookmark> &bookmarks() const { return m_entries; }

    /// Imports the next entries; false once every entry was taken.
    bool step(int count = EntriesPerStep);
    bool done() const { return m_next >= m_entries.size(); }
    std::size_t taken() const { return m_next; }

    int added() const { return m_insert.added(); }
    /// The closing summary (ImportSummary), headed "<n> bookmark(s) imported.".
    void reportResult();

    /// The folder chain category of a bookmark.
    static QString categoryFor(const BrowserBookmark &bookmark);
    /// The location before the category assignment.
    static LocationRecord locationFor(const BrowserBookmark &bookmark, const QString &source);
    /// The day number of a moment's local date; 0 for an invalid one.
    static qint32 dayOf(const QDateTime &when);
    /// The keyword rows (tags) and the details (dates, browser keyword) of a location just
    /// added, from what `bookmark` carries beside its address.
    static void addExtras(Collection &collection,
                          const QString &location,
                          const BrowserBookmark &bookmark);

private:
    void importEntry(const BrowserBookmark &bookmark);

    Collection &m_collection;
    QString m_source;
    ImportInsert m_insert;
    std::vector<BrowserBookmark> m_entries;
    std::size_t m_next = 0;
};

} // namespace pk
