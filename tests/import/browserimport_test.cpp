#include "bookmarkfixture.h"
#include "support/browserfiles.h"

#include "export/bookmarkfileexport.h"
#include "import/browserimport.h"
#include "import/browserprofiles.h"
#include "import/chromiumbookmarks.h"
#include "import/firefoxplaces.h"
#include "import/htmlimport.h"
#include "store/detaillabels.h"
#include "store/detailmanager.h"
#include "store/folderchain.h"
#include "store/keywordmanager.h"
#include "store/picture.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <QTimeZone>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class BrowserImportTest : public BookmarkFileTest
{
protected:
    QStringList keywordsOf(const QString &address)
    {
        std::vector<KeywordRecord> rows;
        EXPECT_TRUE(c().keywords().list(address, rows));
        QStringList words;
        for (const KeywordRecord &k : rows)
            words << k.Keyword;
        return words;
    }
    QString detailOf(const QString &address, const char *label)
    {
        std::vector<DetailRecord> rows;
        EXPECT_TRUE(c().details().list(address, rows));
        for (const DetailRecord &d : rows) {
            if (d.DataLabel == QLatin1String(label))
                return d.DataValue;
        }
        return {};
    }
    int importAll(std::vector<BrowserBookmark> bookmarks, CategoryMode mode = CategoryMode::Guess)
    {
        BrowserImport import(c(), errors, u"source"_s, mode, {});
        import.setBookmarks(std::move(bookmarks));
        while (import.step(7)) {
        }
        return import.added();
    }
};

} // namespace

TEST(FolderChainTest, SplitIsTheInverseOfExtend)
{
    const auto rebuild = [](const QStringList &folders) {
        QString category;
        for (const QString &f : folders)
            category = FolderChain::extend(category, f);
        return category;
    };
    EXPECT_EQ(FolderChain::split(u"News: Local"_s), (QStringList{u"News"_s, u"Local"_s}));
    EXPECT_EQ(FolderChain::split(u"Plain"_s), QStringList{u"Plain"_s});
    // At 25 characters the chain stops growing, so the rest stays in one folder.
    const QString long25 = QString(25, u'A') + u": B: C"_s;
    EXPECT_EQ(FolderChain::split(long25), QStringList{long25});
    for (const QString &category : {u"News: Local"_s,
                                    u"A: B: C: D"_s,
                                    long25,
                                    u"Twenty-two characters: x: y"_s,
                                    u"Odd:  spaced: : parts"_s}) {
        EXPECT_EQ(rebuild(FolderChain::split(category)), category) << category.toStdString();
    }
    EXPECT_EQ(FolderChain::extend(QString(25, u'A'), u"B"_s), QString(25, u'A'));
    EXPECT_EQ(FolderChain::extend(QString(24, u'A'), QString(40, u'B')).size(), 50);
}

TEST_F(BrowserImportTest, ChromiumTreeKeepsFoldersDatesAndNames)
{
    std::vector<BrowserBookmark> bookmarks;
    QString error;
    ASSERT_TRUE(ChromiumBookmarks::parse(chromiumBookmarksFile(), bookmarks, error))
        << error.toStdString();
    EXPECT_EQ(importAll(std::move(bookmarks)), 3);

    const LocationRecord top = stored(u"https://top.test/"_s);
    EXPECT_EQ(top.Category, u"Bookmarks bar"_s);
    EXPECT_EQ(top.Description, u"Top"_s);
    EXPECT_EQ(detailOf(top.Location, DetailLabel::DateAdded), u"2024-03-01T12:00:00Z"_s);

    const LocationRecord tokyo = stored(u"https://tokyo.test/"_s);
    EXPECT_EQ(tokyo.Category, u"Nachrichten & Café: 日本語"_s);
    EXPECT_EQ(tokyo.Description, u"Tōkyō"_s);
    EXPECT_EQ(tokyo.LastVisit,
              DayNumber::fromDate(
                  QDateTime::fromSecsSinceEpoch(BrowserFilesAddedSeconds, QTimeZone::utc())
                      .toLocalTime()
                      .date()));
    EXPECT_TRUE(detailOf(tokyo.Location, DetailLabel::DateAdded).isEmpty()); // "0": no date

    // A blank root name and a blank title fall back to the root's own name and the address.
    EXPECT_EQ(stored(u"https://untitled.test/"_s).Category, u"Other bookmarks"_s);
    EXPECT_EQ(stored(u"https://untitled.test/"_s).Description, u"https://untitled.test/"_s);
    // The empty folder still arrives as a category; the empty root does not.
    EXPECT_TRUE(c().categories().exists(u"Nachrichten & Café: Empty"_s));
    EXPECT_FALSE(c().categories().exists(u"Mobile bookmarks"_s));

    // Importing again adds nothing and keeps the rows as they are.
    std::vector<BrowserBookmark> again;
    ASSERT_TRUE(ChromiumBookmarks::parse(chromiumBookmarksFile(), again, error));
    EXPECT_EQ(importAll(std::move(again)), 0);
    EXPECT_EQ(count(), 3);
}

TEST_F(BrowserImportTest, ChromiumRefusesWhatIsNoBookmarkFile)
{
    std::vector<BrowserBookmark> out;
    QString error;
    EXPECT_FALSE(ChromiumBookmarks::parse("not json", out, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ChromiumBookmarks::parse(R"({"version": 1})", out, error));
    EXPECT_FALSE(ChromiumBookmarks::read(temp.root() + u"/missing"_s, out, error));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(ChromiumBookmarks::dateOf(u"junk"_s).isValid());
    EXPECT_FALSE(ChromiumBookmarks::dateOf(u"1"_s).isValid());
}

TEST_F(BrowserImportTest, FirefoxFoldersTagsAndDatesWithAndWithoutTheRootsTable)
{
    for (const bool rootsTable : {true, false}) {
        SCOPED_TRACE(rootsTable);
        const QString places = temp.root() + (rootsTable ? u"/a"_s : u"/b"_s) + u"/places.sqlite"_s;
        QDir().mkpath(QFileInfo(places).path());
        makeFirefoxPlaces(places, rootsTable);
        std::vector<BrowserBookmark> bookmarks;
        QString error;
        ASSERT_TRUE(FirefoxPlaces::read(places, bookmarks, error)) << error.toStdString();
        // Two in the menu tree, one on the toolbar, the empty folder; no separator, no query,
        // and the tag entries are no bookmarks of their own.
        ASSERT_EQ(bookmarks.size(), 4u);
        if (rootsTable) {
            EXPECT_EQ(importAll(std::move(bookmarks)), 3);
        } else {
            for (const BrowserBookmark &b : bookmarks)
                EXPECT_FALSE(b.address.startsWith(u"place:"_s));
            continue;
        }
        const LocationRecord news = stored(u"https://news.test/"_s);
        EXPECT_EQ(news.Category, u"News"_s);
        EXPECT_EQ(news.Description, u"The news"_s);
        EXPECT_NE(news.LastVisit, 0);
        EXPECT_EQ(keywordsOf(news.Location), QStringList{u"work"_s});
        EXPECT_EQ(detailOf(news.Location, DetailLabel::DateAdded), u"2024-03-01T12:00:00Z"_s);
        EXPECT_EQ(detailOf(news.Location, DetailLabel::LastModified), u"2024-03-01T12:01:30Z"_s);
        EXPECT_EQ(detailOf(news.Location, DetailLabel::BrowserKeyword), u"nw"_s);

        const LocationRecord deep = stored(u"https://deep.test/a?x=1&y=2"_s);
        EXPECT_EQ(deep.Category, u"News: Local"_s);
        EXPECT_EQ(keywordsOf(deep.Location), QStringList{u"work"_s});
        EXPECT_TRUE(detailOf(deep.Location, DetailLabel::LastModified).isEmpty()); // NULL
        EXPECT_TRUE(detailOf(deep.Location, DetailLabel::BrowserKeyword).isEmpty());
        EXPECT_EQ(stored(u"https://toolbar.test/"_s).Category, u"Bookmarks Toolbar"_s);
        EXPECT_EQ(stored(u"https://toolbar.test/"_s).Description, u"Toolbar page title"_s);
        EXPECT_TRUE(c().categories().exists(u"Empty"_s));
    }
}

TEST_F(BrowserImportTest, FirefoxReadsTheCopyOfADatabaseTheBrowserHoldsLocked)
{
    const QString places = temp.root() + u"/profile/places.sqlite"_s;
    QDir().mkpath(QFileInfo(places).path());
    makeFirefoxPlaces(places, true);
    // The browser's way: write-ahead log, an exclusive lock, changes still in the log.
    SQLite::Database browser(places.toStdString(), SQLite::OPEN_READWRITE);
    browser.exec("PRAGMA journal_mode=WAL");
    browser.exec("PRAGMA locking_mode=EXCLUSIVE");
    browser.exec("INSERT INTO moz_places (id, url, title) VALUES (9, 'https://late.test/', 'L')");
    browser.exec("INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, guid) "
                 "VALUES (30, 1, 9, 3, 5, 'Late', 'c1')");
    ASSERT_TRUE(QFileInfo::exists(places + u"-wal"_s));
    {
        SQLite::Database other(places.toStdString(), SQLite::OPEN_READONLY);
        EXPECT_ANY_THROW(other.exec("SELECT count(*) FROM moz_bookmarks"));
    }
    std::vector<BrowserBookmark> bookmarks;
    QString error;
    ASSERT_TRUE(FirefoxPlaces::read(places, bookmarks, error)) << error.toStdString();
    EXPECT_EQ(importAll(std::move(bookmarks)), 4);
    EXPECT_EQ(stored(u"https://late.test/"_s).Description, u"Late"_s);

    std::vector<BrowserBookmark> none;
    EXPECT_FALSE(FirefoxPlaces::read(temp.root() + u"/nowhere/places.sqlite"_s, none, error));
    const QString junk = writeFile(u"junk/places.sqlite"_s, "this is no database");
    EXPECT_FALSE(FirefoxPlaces::read(junk, none, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(BrowserImportTest, ProfilesAreFoundInTheHomeFolder)
{
    const QString home = temp.root() + u"/home"_s;
    writeFile(u"home/.mozilla/firefox/profiles.ini"_s,
              "[Profile1]\nName=second\nIsRelative=1\nPath=b.second\n\n"
              "[Profile0]\nName=main\nIsRelative=1\nPath=a.main\n\n"
              "[Install4F96D1932A9F858E]\nDefault=a.main\nLocked=1\n");
    writeFile(u"home/.mozilla/firefox/a.main/places.sqlite"_s, "x");
    writeFile(u"home/.mozilla/firefox/b.second/places.sqlite"_s, "x");
    writeFile(u"home/.config/google-chrome/Profile 1/Bookmarks"_s, "{}");
    writeFile(u"home/.config/google-chrome/Default/Bookmarks"_s, "{}");
    writeFile(u"home/.config/google-chrome/Local State"_s,
              R"({"profile":{"info_cache":{"Profile 1":{"name":"Work"}}}})");
    writeFile(u"home/.config/google-chrome/System Profile/Preferences"_s, "{}");

    const std::vector<BrowserProfile> firefox = BrowserProfiles::firefox(home);
    ASSERT_EQ(firefox.size(), 2u);
    EXPECT_EQ(firefox[0].name, u"main"_s);
    EXPECT_TRUE(firefox[0].isDefault);
    EXPECT_EQ(BrowserProfiles::defaultFile(firefox),
              home + u"/.mozilla/firefox/a.main/places.sqlite"_s);

    const std::vector<BrowserProfile> chrome = BrowserProfiles::chromium(home);
    ASSERT_EQ(chrome.size(), 2u);
    EXPECT_EQ(chrome[0].name, u"Default"_s);
    EXPECT_EQ(chrome[1].name, u"Work"_s);
    EXPECT_EQ(chrome[1].browser, u"Google Chrome"_s);
    EXPECT_TRUE(BrowserProfiles::firefox(temp.root() + u"/nobody"_s).empty());
}

TEST_F(BrowserImportTest, FirefoxProfilesInTheXdgFolderToo)
{
    const QString home = temp.root() + u"/xdghome"_s;
    const QByteArray ini = "[Profile0]\nName=xdg\nIsRelative=1\nPath=p.default\nDefault=1\n";
    writeFile(u"xdghome/.config/mozilla/firefox/profiles.ini"_s, ini);
    writeFile(u"xdghome/.config/mozilla/firefox/p.default/places.sqlite"_s, "x");
    writeFile(u"elsewhere/mozilla/firefox/profiles.ini"_s, ini);
    writeFile(u"elsewhere/mozilla/firefox/p.default/places.sqlite"_s, "x");
    writeFile(u"elsewhere/chromium/Default/Bookmarks"_s, "{}");

    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    const std::vector<BrowserProfile> plain = BrowserProfiles::firefox(home);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].file, home + u"/.config/mozilla/firefox/p.default/places.sqlite"_s);

    qputenv("XDG_CONFIG_HOME", (temp.root() + u"/elsewhere"_s).toUtf8());
    const std::vector<BrowserProfile> both = BrowserProfiles::firefox(home);
    const std::vector<BrowserProfile> chromium = BrowserProfiles::chromium(home);
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    const std::vector<BrowserProfile> relative = BrowserProfiles::firefox(home);
    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
    else
        qunsetenv("XDG_CONFIG_HOME");

    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].file, temp.root() + u"/elsewhere/mozilla/firefox/p.default/places.sqlite"_s);
    ASSERT_EQ(chromium.size(), 1u);
    EXPECT_EQ(chromium[0].browser, u"Chromium"_s);
    EXPECT_EQ(relative.size(), 1u);
}

TEST_F(BrowserImportTest, BookmarkFileRoundTripKeepsEveryFieldABrowserKeeps)
{
    const QString longTitle = (u"Long & <title> \"\u00e9\u65e5\" "_s).repeated(13).left(254)
                              + u"!"_s;
    struct Entry
    {
        LocationRecord record;
        QString added; ///< the "Date Added" detail, blank for none
        QStringList keywords;
    };
    std::vector<Entry> entries;
    const auto entry = [&](const QString &location,
                           const QString &description,
                           const QString &category,
                           const QString &siteInfo,
                           const QString &comments,
                           qint32 lastVisit,
                           const QString &added,
                           const QStringList &keywords) {
        LocationRecord r;
        r.Location = location;
        r.Description = description;
        r.Category = category;
        r.SiteInfo = siteInfo;
        r.Comments = comments;
        r.LastVisit = lastVisit;
        entries.push_back({r, added, keywords});
    };
    entry(u"https://amp.test/?q=1&amp;r=2&s=\"3\"&t='4'"_s,
          u"Tom &amp; Jerry <b>bold</b> \"dq\" 'sq' \u00fcn\u00efc\u00f6d\u00e9 \u65e5\u672c"_s,
          u"News"_s,
          u"Line one\nLine two & <three>"_s,
          u"c1 &lt;literal&gt;\nc2"_s,
          DayNumber::fromDate(QDate(2024, 2, 29)),
          u"2024-03-01T12:00:00Z"_s,
          {u"my tag"_s, u"work"_s, u"x&y"_s});
    entry(u"https://same.test/"_s,
          longTitle,
          u"News: News"_s,
          {},
          {},
          0,
          u"2001-09-09T01:46:40Z"_s,
          {u"\u00e9t\u00e9"_s});
    entry(u"https://deeper.test/#frag&x"_s,
          u"  &#10; stays"_s.trimmed(),
          u"News: News: News"_s,
          {},
          u"only comments"_s,
          0,
          {},
          {});
    entry(u"https://amp2.test/&lt;"_s,
          u"<>&\"'"_s,
          u"A & B: <C> \"d\""_s,
          u"&#10;"_s,
          {},
          DayNumber::fromDate(QDate(1999, 12, 31)),
          {},
          {});
    for (const Entry &e : entries)
        keep(e.record, e.keywords, {{DetailLabel::DateAdded, e.added}});
    const QString exported = exportBookmarks(u"roundtrip.html"_s);
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(written.contains(u"TAGS=\"my tag,work,x&amp;y\""_s));
    EXPECT_TRUE(written.contains(u"HREF=\"https://amp.test/?q=1&amp;amp;r=2&amp;s=&quot;3&quot;"_s));

    TempCollection otherTemp;
    Collection other(otherTemp.folder());
    ASSERT_TRUE(other.openAll(true));
    const ImportCounts counts = importBookmarks(other, exported);
    EXPECT_EQ(counts.added, int(entries.size()));
    EXPECT_EQ(counts.skippedTotal(), 0);
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.record.Location.toStdString());
        LocationRecord back;
        ASSERT_TRUE(other.locations().get(e.record.Location, back));
        EXPECT_EQ(back.Description, e.record.Description);
        EXPECT_EQ(back.Category, e.record.Category);
        EXPECT_EQ(back.SiteInfo, e.record.SiteInfo);
        EXPECT_EQ(back.Comments, e.record.Comments);
        EXPECT_EQ(back.LastVisit, e.record.LastVisit);
        std::vector<KeywordRecord> keywords;
        ASSERT_TRUE(other.keywords().list(e.record.Location, keywords));
        QStringList words;
        for (const KeywordRecord &k : keywords)
            words << k.Keyword;
        EXPECT_EQ(words, e.keywords);
        std::vector<DetailRecord> details;
        ASSERT_TRUE(other.details().list(e.record.Location, details));
        EXPECT_EQ(details.size(), e.added.isEmpty() ? 0u : 1u);
        if (!details.empty()) {
            EXPECT_EQ(details[0].DataValue, e.added);
        }
    }
}

TEST_F(BrowserImportTest, OurBookmarkFileReadsBackToTheSameLocationsAndCategories)
{
    const QString deep = QString(25, u'Z') + u": Beyond: the chain"_s;
    for (const QString &name :
         {u"News"_s, u"News: Local"_s, u"News: Local: Street"_s, u"Tom & Jerry <3"_s, deep})
        addCategory(name);
    LocationRecord a;
    a.Location = u"https://a.test/?q=1&r=\"2\""_s;
    a.Description = u"A <b>bold</b> & \"quoted\" site"_s;
    a.Category = u"News: Local"_s;
    a.SiteInfo = u"Two\nlines"_s;
    a.Comments = u"My note & more"_s;
    a.LastVisit = DayNumber::fromDate(QDate(2024, 2, 29));
    ASSERT_TRUE(c().locations().insert(a));
    DetailRecord added{a.Location,
                       0,
                       QLatin1String(DetailLabel::DateAdded),
                       u"2024-03-01T12:00:00Z"_s};
    ASSERT_TRUE(c().details().insert(added));
    const QList<QPair<QString, QString>> more{{u"https://news.test/"_s, u"News"_s},
                                              {u"https://street.test/"_s, u"News: Local: Street"_s},
                                              {u"https://tj.test/"_s, u"Tom & Jerry <3"_s},
                                              {u"https://deep.test/"_s, deep}};
    for (const auto &[address, category] : more) {
        LocationRecord r;
        r.Location = address;
        r.Category = category;
        ASSERT_TRUE(c().locations().insert(r));
    }

    ExportSettings settings;
    settings.type = QLatin1String(BookmarkFileExport::Type);
    settings.file = temp.root() + u"/bookmarks.html"_s;
    ExportEnvironment env;
    env.collection = &c();
    env.ui = &ui;
    BookmarkFileExport exporter(settings, env);
    ASSERT_EQ(exporter.run(), ExportResult::Written);
    EXPECT_EQ(exporter.written(), 5);

    QFile file(settings.file);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith(u"<!DOCTYPE NETSCAPE-Bookmark-file-1>"_s));
    EXPECT_TRUE(text.contains(u"<DT><H3 "_s));
    EXPECT_TRUE(text.contains(u"ADD_DATE=\"1709294400\""_s));
    EXPECT_TRUE(text.contains(u"&amp; &quot;quoted&quot;"_s));
    EXPECT_TRUE(text.contains(u"<DD>Two&#10;lines<BR>My note &amp; more"_s));
    // "News" holds its own link and the "Local" folder: it is written once.
    EXPECT_EQ(text.count(u">News</H3>"_s), 1);

    TempCollection otherTemp;
    Collection other(otherTemp.folder());
    ASSERT_TRUE(other.openAll(true));
    EXPECT_EQ(importBookmarks(other, settings.file).added, 5);
    LocationRecord back;
    ASSERT_TRUE(other.locations().get(a.Location, back));
    EXPECT_EQ(back.Description, a.Description);
    EXPECT_EQ(back.Category, a.Category);
    EXPECT_EQ(back.SiteInfo, a.SiteInfo);
    EXPECT_EQ(back.Comments, a.Comments);
    EXPECT_EQ(back.LastVisit, a.LastVisit);
    std::vector<DetailRecord> details;
    ASSERT_TRUE(other.details().list(a.Location, details));
    ASSERT_EQ(details.size(), 1u);
    EXPECT_EQ(details[0].DataValue, added.DataValue);
    for (const auto &[address, category] : more) {
        LocationRecord r;
        ASSERT_TRUE(other.locations().get(address, r)) << address.toStdString();
        EXPECT_EQ(r.Category, category);
        EXPECT_TRUE(r.Description.isEmpty()) << "a blank description stays blank";
    }

    // One selected category: its own locations only, in its folders.
    settings.categoryAssignment = u"Selected"_s;
    settings.category = u"news: local"_s;
    BookmarkFileExport selected(settings, env);
    ASSERT_EQ(selected.run(), ExportResult::Written);
    EXPECT_EQ(selected.written(), 1);

    // Without the setting the file reads as before: each folder is a category of its own.
    TempCollection plainTemp;
    Collection plain(plainTemp.folder());
    ASSERT_TRUE(plain.openAll(true));
    settings.categoryAssignment = u"All"_s;
    ASSERT_EQ(BookmarkFileExport(settings, env).run(), ExportResult::Written);
    HtmlImport old(plain,
                   errors,
                   {QLatin1String(HtmlImport::BookmarkKind), settings.file, CategoryMode::Guess, {}});
    ASSERT_TRUE(old.open());
    while (old.step()) {
    }
    LocationRecord street;
    ASSERT_TRUE(plain.locations().get(u"https://street.test/"_s, street));
    EXPECT_EQ(street.Category, u"Street"_s);
}

// A bookmark file's tags are comma-separated: a keyword holding a comma comes back as tags of
// its own, and the export says so rather than change it without a word.
TEST_F(BrowserImportTest, AKeywordWithACommaIsWrittenAndTheExportSaysSo)
{
    LocationRecord r;
    r.Location = u"https://comma.test/"_s;
    r.Category = u"Colours"_s;
    keep(r, {u"red, green"_s, u"blue"_s});
    const QString file = exportBookmarks(u"comma.html"_s);
    ASSERT_NE(ui.last(), nullptr);
    EXPECT_TRUE(ui.last()->text.startsWith(u"1 keyword(s) hold a comma"_s))
        << ui.last()->text.toStdString();

    TempCollection otherTemp;
    Collection other(otherTemp.folder());
    ASSERT_TRUE(other.openAll(true));
    importBookmarks(other, file);
    std::vector<KeywordRecord> rows;
    ASSERT_TRUE(other.keywords().list(r.Location, rows));
    QStringList words;
    for (const KeywordRecord &k : rows)
        words << k.Keyword;
    words.sort();
    EXPECT_EQ(words, QStringList({u"blue"_s, u"green"_s, u"red"_s}));
}
