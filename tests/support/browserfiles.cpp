#include "support/browserfiles.h"

#include <SQLiteCpp/Database.h>

#include <string>

namespace pk::test {

QByteArray chromiumBookmarksFile()
{
    // date_added: microseconds since 1601 of BrowserFilesAddedSeconds.
    const QByteArray added = QByteArray::number((BrowserFilesAddedSeconds + 11644473600LL)
                                                * 1000000LL);
    return R"({
  "checksum": "x", "version": 1,
  "roots": {
    "bookmark_bar": { "name": "Bookmarks bar", "type": "folder", "children": [
      { "type": "url", "name": "Top", "url": "https://top.test/", "date_added": ")"
           + added + R"(" },
      { "type": "folder", "name": "Nachrichten & Café", "children": [
        { "type": "folder", "name": "日本語", "children": [
          { "type": "url", "name": "Tōkyō", "url": "https://tokyo.test/",
            "date_added": "0", "date_last_used": ")"
           + added + R"(" } ] },
        { "type": "folder", "name": "Empty", "children": [] } ] } ] },
    "other": { "name": "", "type": "folder", "children": [
      { "type": "url", "name": "", "url": "https://untitled.test/" } ] },
    "synced": { "name": "Mobile bookmarks", "type": "folder", "children": [] }
  }
})";
}

void makeFirefoxPlaces(const QString &path, bool withRootsTable)
{
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
            "LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER "
            "DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 "
            "NOT NULL, last_visit_date INTEGER, guid TEXT)");
    db.exec("CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER "
            "DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id "
            "INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER, guid TEXT)");
    if (withRootsTable)
        db.exec("CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id "
                "INTEGER)");
    const qint64 added = BrowserFilesAddedSeconds * 1000000LL;
    db.exec("INSERT INTO moz_places (id, url, title, last_visit_date) VALUES "
            "(1, 'https://news.test/', 'News page', "
            + std::to_string(added)
            + "), (2, 'https://deep.test/a?x=1&y=2', 'Deep', NULL), "
              "(3, 'place:sort=8&maxResults=10', 'Most Visited', NULL), "
              "(4, 'https://toolbar.test/', 'Toolbar page title', NULL)");
    // Roots 1-6, then: menu > News (7) > Local (8) > bookmark; a separator; a query;
    // toolbar bookmark without its own title; tags folder "work" tagging place 1 and 2.
    db.exec("INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, "
            "lastModified, guid) VALUES "
            "(1, 2, NULL, 0, 0, '', 0, 0, 'root________'),"
            "(2, 2, NULL, 1, 0, 'menu', 0, 0, 'menu________'),"
            "(3, 2, NULL, 1, 1, 'toolbar', 0, 0, 'toolbar_____'),"
            "(4, 2, NULL, 1, 2, 'tags', 0, 0, 'tags________'),"
            "(5, 2, NULL, 1, 3, 'unfiled', 0, 0, 'unfiled_____'),"
            "(6, 2, NULL, 1, 4, 'mobile', 0, 0, 'mobile______'),"
            "(7, 2, NULL, 2, 0, 'News', 0, 0, 'a1'),"
            "(8, 2, NULL, 7, 1, 'Local', 0, 0, 'a2'),"
            "(9, 1, 1, 7, 0, 'The news', "
            + std::to_string(added) + ", " + std::to_string(added + 90 * 1000000LL)
            + ", 'a3'),"
              "(10, 1, 2, 8, 0, 'Deep link', 0, NULL, 'a4'),"
              "(11, 3, NULL, 7, 2, '', 0, 0, 'a5'),"
              "(12, 1, 3, 2, 1, 'Most Visited', 0, 0, 'a6'),"
              "(13, 1, 4, 3, 0, NULL, 0, 0, 'a7'),"
              "(14, 2, NULL, 4, 0, 'work', 0, 0, 'a8'),"
              "(15, 1, 1, 14, 0, NULL, 0, 0, 'a9'),"
              "(16, 1, 2, 14, 1, NULL, 0, 0, 'b1'),"
              "(17, 2, NULL, 5, 0, 'Empty', 0, 0, 'b2')");
    // The keyword typed in the address bar to open the news page.
    db.exec("CREATE TABLE moz_keywords (id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT "
            "UNIQUE, place_id INTEGER, post_data TEXT)");
    db.exec("INSERT INTO moz_keywords (keyword, place_id) VALUES ('nw', 1)");
    if (withRootsTable)
        db.exec("INSERT INTO moz_bookmarks_roots VALUES ('places', 1), ('menu', 2), "
                "('toolbar', 3), ('tags', 4), ('unfiled', 5), ('mobile', 6)");
}

} // namespace pk::test
