#pragma once

#include <QString>

#include <vector>

namespace pk {

struct SessionPage;

/**
 * @brief Titles of pages from a Chromium-family profile's "History" database, for the pages
 * its session file keeps without one (the browser records a page's title there, not in the
 * session).
 *
 * The database is read as it stands on disk, without locking it (the running browser holds
 * it); a file that cannot be read, or is caught in the middle of a change, gives no titles.
 */
class ChromiumHistory final
{
public:
    /// Fills the blank titles of `pages` from the database at `path`.
    static void fillTitles(const QString &path, std::vector<SessionPage> &pages);
};

} // namespace pk
