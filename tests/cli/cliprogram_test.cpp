#include "cliprocess.h"
#include "loopbackserver.h"
#include "support/browserfiles.h"
#include "support/tempcollection.h"

#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/configurationmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

using Result = CliResult;

Result cli(const QStringList &arguments, const QProcessEnvironment &extra = {})
{
    return runCli(arguments, extra);
}

QJsonArray jsonList(const QString &folder, const QStringList &more = {})
{
    const Result r = cli(QStringList{u"--collection"_s, folder, u"list"_s, u"--format"_s, u"json"_s}
                         + more);
    EXPECT_EQ(r.code, 0) << r.err.constData();
    return QJsonDocument::fromJson(r.out).array();
}

QStringList locationsOf(const QJsonArray &rows)
{
    QStringList list;
    for (const QJsonValue &row : rows)
        list << row.toObject().value(u"location"_s).toString();
    return list;
}

/// Writes `bytes` to `path`, making its folder.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::string okResponse(const char *statusLine, const char *extra = "")
{
    return std::string(statusLine) + "\r\n" + extra + "Content-Length: 0\r\n\r\n";
}

class CliProgramTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "cli_program_tests";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
            unsetenv(name);
        ASSERT_TRUE(QDir().mkpath(temp.folder()));
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        for (const QString &name : {u"News"_s, u"Tools"_s}) {
            CategoryRecord c;
            c.Category = name;
            ASSERT_TRUE(collection->categories().insert(c));
        }
    }

    QStringList in(const QStringList &arguments) const
    {
        return QStringList{u"--collection"_s, temp.folder()} + arguments;
    }

    void addLocation(const QString &url, const QString &category = u"News"_s)
    {
        LocationRecord r;
        r.Location = url;
        r.Category = category;
        r.Description = u"About "_s + url;
        ASSERT_TRUE(collection->locations().insert(r));
    }

    TempCollection temp;
    std::unique_ptr<Collection> collection;
};

} // namespace

TEST_F(CliProgramTest, UsageErrorsExitWithTwoAndChangeNothing)
{
    addLocation(u"http://kept.test/"_s);
    const QList<QStringList> wrong = {
        {},
        {u"frobnicate"_s},
        {u"list"_s, u"--format"_s, u"xml"_s},
        {u"list"_s, u"--order"_s, u"Colour"_s},
        {u"list"_s, u"--bogus"_s},
        {u"list"_s, u"--query"_s, u"URL:Nothing = 1"_s},
        {u"list"_s, u"--query"_s, u"URL:Rating = "_s},
        {u"add"_s},
        {u"add"_s, u"http://new.test/"_s},
        {u"add"_s, u"http://new.test/"_s, u"--category"_s, u"News"_s, u"--rating"_s, u"100"_s},
        {u"import"_s, u"Gopher"_s, u"x"_s},
        {u"import"_s, u"CSV"_s, u"/nonexistent/file.csv"_s},
        {u"import"_s, u"CSV"_s, temp.root(), u"--category-mode"_s, u"Ask"_s},
        {u"import"_s, u"CSV"_s},
        {u"import"_s, u"HTML"_s, temp.path(u"URLDATA.TPS"_s), u"--nested-folders"_s},
        {u"import"_s, u"Firefox"_s, temp.root()}, // a folder without places.sqlite
        {u"export"_s, u"PDF"_s, u"out.pdf"_s},
        {u"export"_s, u"Table"_s},
        {u"check"_s, u"--timeout"_s, u"soon"_s},
        {u"download"_s, u"http://x.test/"_s},
    };
    for (const QStringList &arguments : wrong) {
        const Result r = cli(in(arguments));
        EXPECT_EQ(r.code, 2) << arguments.join(u' ').toStdString() << ": " << r.err.constData();
        EXPECT_FALSE(r.err.isEmpty()) << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(collection->locations().count(), 1);
    EXPECT_FALSE(QFile::exists(temp.path(u"out.pdf"_s)));
}

TEST_F(CliProgramTest, HelpForEveryCommandSaysHowQuestionsAreAnswered)
{
    const Result overview = cli({u"--help"_s});
    EXPECT_EQ(overview.code, 0);
    for (const char *command : {"list", "add", "check", "analyze", "download", "import", "export"}) {
        EXPECT_TRUE(overview.out.contains(command)) << command;
        const Result r = cli({QLatin1String(command), u"--help"_s});
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_TRUE(r.out.startsWith(QByteArray(QByteArray("Usage: pathkeep-cli ") + command)))
            << command;
    }
    EXPECT_TRUE(cli({u"check"_s, u"--help"_s}).out.contains("answered"));
    EXPECT_TRUE(cli({u"export"_s, u"--help"_s}).out.contains("answered No"));
}

TEST_F(CliProgramTest, MissingOrForeignCollectionIsAFailureAndStaysUntouched)
{
    const QString empty = temp.root() + u"/empty"_s;
    ASSERT_TRUE(QDir().mkpath(empty));
    Result r = cli({u"--collection"_s, empty, u"list"_s});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("no collection")) << r.err.constData();
    EXPECT_TRUE(QDir(empty).isEmpty());

    r = cli({u"--collection"_s, temp.root() + u"/nowhere"_s, u"list"_s});
    EXPECT_EQ(r.code, 1);

    const QString foreign = temp.root() + u"/foreign"_s;
    ASSERT_TRUE(QDir().mkpath(foreign));
    const QByteArray junk(4096, 'x');
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"}) {
        QFile f(foreign + u'/' + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
    }
    r = cli({u"--collection"_s,
             foreign,
             u"add"_s,
             u"http://x.test/"_s,
             u"--category"_s,
             u"News"_s,
             u"--create"_s});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("not a collection file")) << r.err.constData();
    QFile data(foreign + u"/URLDATA.TPS"_s);
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    EXPECT_EQ(data.readAll(), junk);

    // --create makes a collection where there is none.
    const QString fresh = temp.root() + u"/fresh"_s;
    ASSERT_TRUE(QDir().mkpath(fresh));
    const QString bookmarks = temp.root() + u"/fresh.html"_s;
    QFile file(bookmarks);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
               "<DT><A HREF=\"http://fresh.test/\">Fresh</A>\n</DL><p>\n");
    file.close();
    r = cli({u"--collection"_s, fresh, u"import"_s, u"Netscape"_s, bookmarks, u"--create"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(locationsOf(jsonList(fresh)), QStringList{u"http://fresh.test/"_s});
}

TEST_F(CliProgramTest, AddGoesThroughTheRecordManagersRules)
{
    Result r = cli(in({u"add"_s,
                       u"http://one.test/"_s,
                       u"--category"_s,
                       u"News"_s,
                       u"--description"_s,
                       u"First"_s,
                       u"--rating"_s,
                       u"7"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    LocationRecord stored;
    ASSERT_TRUE(collection->locations().get(u"http://one.test/"_s, stored));
    EXPECT_EQ(stored.Description, u"First"_s);
    EXPECT_EQ(stored.Rating, 7);

    r = cli(in({u"add"_s, u"http://one.test/"_s, u"--category"_s, u"Tools"_s}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Site Location")) << r.err.constData();
    r = cli(in({u"add"_s, u"http://two.test/"_s, u"--category"_s, u"Missing"_s}));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Categories")) << r.err.constData();
    EXPECT_EQ(collection->locations().count(), 1);

    r = cli(in({u"--quiet"_s, u"add"_s, u"http://three.test/"_s, u"--category"_s, u"News"_s}));
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
}

TEST_F(CliProgramTest, AddTakesAddressesWholeOrRefusesThemWithExitTwo)
{
    const auto addressOf = [](int length) -> QString {
        const QString start = u"https://long.test/?q="_s;
        return start + QString(length - start.size(), u'k');
    };
    Result r = cli(in({u"add"_s, addressOf(2048), u"--category"_s, u"News"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    LocationRecord stored;
    ASSERT_TRUE(collection->locations().get(addressOf(2048), stored));
    EXPECT_EQ(stored.Location, addressOf(2048));

    struct Refused
    {
        QString address;
        QByteArray says;
    };
    const Refused refused[] = {
        {addressOf(2049), "2049 characters"},
        {addressOf(100 * 1024), "102400 characters"},
        {u"http://a.test/two words"_s, "blank"},
        {u"http://a.test/line\nbreak"_s, "line break"},
        {u"http://a.test/tab\there"_s, "control character"},
    };
    for (const Refused &c : refused) {
        r = cli(in({u"add"_s, c.address, u"--category"_s, u"News"_s}));
        EXPECT_EQ(r.code, 2) << c.says.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.left(300).constData();
        EXPECT_FALSE(r.err.contains("added")) << c.says.constData();
    }
    EXPECT_EQ(collection->locations().count(), 1);
}

TEST_F(CliProgramTest, ImportPrintsItsSummaryAndFailsWhenAnythingWasRefused)
{
    const auto addressOf = [](int length) -> QString {
        const QString start = u"https://long.test/?q="_s;
        return start + QString(length - start.size(), u'k');
    };
    addLocation(u"http://stored.test/"_s);
    const QString file = temp.root() + u"/Bookmarks"_s;
    QFile bookmarks(file);
    ASSERT_TRUE(bookmarks.open(QIODevice::WriteOnly));
    const QString json = uR"({"roots": {"bookmark_bar": {"type": "folder", "name": "Bar",
        "children": [
          {"type": "url", "name": "Longest", "url": "%1"},
          {"type": "url", "name": "Too long", "url": "%2"},
          {"type": "url", "name": "Stored", "url": "http://stored.test/"},
          {"type": "url", "name": "New", "url": "http://new.test/"}]},
      "other": {"type": "folder", "name": "Other", "children": []}}, "version": 1})"_s
                             .arg(addressOf(2048), addressOf(2049));
    bookmarks.write(json.toUtf8());
    bookmarks.close();

    Result r = cli(in({u"import"_s, u"Chromium"_s, file}));
    EXPECT_EQ(r.code, 1) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Complete: 2 bookmark(s) imported.\nAdded: 2\n"
                               "Already stored (left as they were): 1\n"
                               "Refused: 1 (address too long 1)"))
        << r.err.constData();
    EXPECT_TRUE(collection->locations().exists(addressOf(2048)));
    // Nothing but the two added and the one stored before: the long one was not stored cut.
    EXPECT_EQ(collection->locations().count(), 3);

    // Everything already there: still a summary, and nothing failed.
    r = cli(in({u"import"_s, u"Chromium"_s, file, u"--category-mode"_s, u"Guess"_s}));
    EXPECT_EQ(r.code, 1) << "the long one is refused again";
    EXPECT_TRUE(r.err.contains("Complete: 0 bookmark(s) imported.\nAdded: 0\n"
                               "Already stored (left as they were): 3"))
        << r.err.constData();
    const QString empty = temp.root() + u"/empty.html"_s;
    QFile(empty).open(QIODevice::WriteOnly);
    r = cli(in({u"import"_s, u"HTML"_s, empty}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Complete: 0 URL(s) imported.\nAdded: 0\n")) << r.err.constData();
}

TEST_F(CliProgramTest, ListFiltersOrdersAndFormats)
{
    addLocation(u"http://b.test/"_s, u"Tools"_s);
    addLocation(u"http://a.test/"_s, u"News"_s);
    addLocation(u"http://c.test/"_s, u"News"_s);

    EXPECT_EQ(locationsOf(jsonList(temp.folder())),
              (QStringList{u"http://a.test/"_s, u"http://b.test/"_s, u"http://c.test/"_s}));
    EXPECT_EQ(locationsOf(jsonList(temp.folder(), {u"--query"_s, u"URL:Category = 'news'"_s})),
              (QStringList{u"http://a.test/"_s, u"http://c.test/"_s}));
    // The category order lists Tools last; the query may name the category's own fields.
    EXPECT_EQ(locationsOf(jsonList(temp.folder(), {u"--order"_s, u"CatLoc"_s})).last(),
              u"http://b.test/"_s);
    EXPECT_EQ(locationsOf(jsonList(temp.folder(), {u"--query"_s, u"CAT:Category = 'Tools'"_s})),
              QStringList{u"http://b.test/"_s});

    Result r = cli(in({u"list"_s}));
    ASSERT_EQ(r.code, 0);
    QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines.at(0).startsWith("Location"));
    EXPECT_TRUE(lines.at(1).startsWith("http://a.test/"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();

    r = cli(in({u"list"_s, u"--format"_s, u"csv"_s}));
    ASSERT_EQ(r.code, 0);
    lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0),
              QByteArray("\"News\",\"http://a.test/\",\"About http://a.test/\",\"\",0"));

    r = cli(in({u"list"_s, u"--query"_s, u"URL:Category = 'Nothing'"_s, u"--format"_s, u"json"_s}));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.trimmed(), QByteArray("[]"));
}

TEST_F(CliProgramTest, ImportAndExportRoundTripThroughFiles)
{
    const QString bookmarks = temp.root() + u"/bookmarks.html"_s;
    QFile file(bookmarks);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>Reading</H3>\n<DL><p>\n"
               "<DT><A HREF=\"http://read.test/one\">One</A>\n"
               "<DT><A HREF=\"http://read.test/two\">Two</A>\n</DL><p>\n"
               "<DT><A HREF=\"http://top.test/\">Top</A>\n</DL><p>\n");
    file.close();
    Result r = cli(in({u"import"_s, u"netscape"_s, bookmarks}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("3 URL(s) imported")) << r.err.constData();
    LocationRecord one;
    ASSERT_TRUE(collection->locations().get(u"http://read.test/one"_s, one));
    EXPECT_EQ(one.Category, u"Reading"_s);

    // Selected puts everything in the chosen category; a second run adds nothing twice.
    const QString text = temp.root() + u"/links.txt"_s;
    QFile links(text);
    ASSERT_TRUE(links.open(QIODevice::WriteOnly));
    links.write("See http://text.test/a and http://read.test/one here\n");
    links.close();
    r = cli(in({u"import"_s,
                u"ASCII"_s,
                text,
                u"--category-mode"_s,
                u"Selected"_s,
                u"--category"_s,
                u"Tools"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    LocationRecord a;
    ASSERT_TRUE(collection->locations().get(u"http://text.test/a"_s, a));
    EXPECT_EQ(a.Category, u"Tools"_s);
    EXPECT_EQ(collection->locations().count(), 4);
    r = cli(in({u"import"_s,
                u"ASCII"_s,
                text,
                u"--category-mode"_s,
                u"Selected"_s,
                u"--category"_s,
                u"Nowhere"_s}));
    EXPECT_EQ(r.code, 2);

    // The CSV export of a query, imported into a second collection, gives the same locations.
    const QString csv = temp.root() + u"/reading.csv"_s;
    r = cli(in({u"export"_s,
                u"CSV"_s,
                csv,
                u"--query"_s,
                u"URL:Category = 'Reading'"_s,
                u"--site-info"_s,
                u"--rating"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("2 location(s) exported")) << r.err.constData();
    const QString other = temp.root() + u"/other"_s;
    ASSERT_TRUE(QDir().mkpath(other));
    r = cli({u"--collection"_s, other, u"--create"_s, u"import"_s, u"CSV"_s, csv});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(locationsOf(jsonList(other)),
              (QStringList{u"http://read.test/one"_s, u"http://read.test/two"_s}));

    // Every HTML type writes its page; the export never opens the file.
    for (const QString &type : {u"Simple"_s, u"Table"_s, u"Frame"_s}) {
        const QString page = temp.root() + u"/page-"_s + type + u".htm"_s;
        r = cli(in({u"export"_s, type, page, u"--title"_s, u"My links"_s}));
        EXPECT_EQ(r.code, 0) << type.toStdString() << r.err.constData();
        QFile written(page);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << type.toStdString();
        const QByteArray html = written.readAll();
        EXPECT_TRUE(html.contains("http://top.test/")) << type.toStdString();
        EXPECT_FALSE(r.err.contains("launch"));
    }
    r = cli(in({u"export"_s, u"Table"_s, temp.root() + u"/no/such/folder/x.htm"_s}));
    EXPECT_EQ(r.code, 1);
}

TEST_F(CliProgramTest, BrowserProfilesImportFromTheHomeFolderAFileOrAProfileFolder)
{
    const QString home = temp.root() + u"/home"_s;
    QProcessEnvironment env;
    env.insert(u"HOME"_s, home);

    // Nothing found in an empty home: a failure that changes nothing.
    ASSERT_TRUE(QDir().mkpath(home));
    Result r = cli(in({u"import"_s, u"Firefox"_s}), env);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("no Firefox profile")) << r.err.constData();

    // Without a file: the default profile of profiles.ini.
    const QString profile = home + u"/.mozilla/firefox/a.main"_s;
    ASSERT_TRUE(QDir().mkpath(profile));
    ASSERT_TRUE(writeFile(home + u"/.mozilla/firefox/profiles.ini"_s,
                          "[Profile0]\nName=main\nIsRelative=1\nPath=a.main\nDefault=1\n"));
    makeFirefoxPlaces(profile + u"/places.sqlite"_s, true);
    r = cli(in({u"import"_s, u"firefox"_s}), env);
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("3 bookmark(s) imported")) << r.err.constData();
    LocationRecord deep;
    ASSERT_TRUE(collection->locations().get(u"https://deep.test/a?x=1&y=2"_s, deep));
    EXPECT_EQ(deep.Category, u"News: Local"_s);
    std::vector<KeywordRecord> tags;
    ASSERT_TRUE(collection->keywords().list(deep.Location, tags));
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags.front().Keyword, u"work"_s);
    EXPECT_TRUE(collection->categories().exists(u"Bookmarks Toolbar"_s));

    // A profile folder names its file; Selected puts every bookmark in the one category.
    const QString chromium = home + u"/.config/chromium/Default"_s;
    ASSERT_TRUE(writeFile(chromium + u"/Bookmarks"_s, chromiumBookmarksFile()));
    r = cli(in({u"import"_s,
                u"Chromium"_s,
                chromium,
                u"--category-mode"_s,
                u"Selected"_s,
                u"--category"_s,
                u"Tools"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    LocationRecord tokyo;
    ASSERT_TRUE(collection->locations().get(u"https://tokyo.test/"_s, tokyo));
    EXPECT_EQ(tokyo.Category, u"Tools"_s);
    EXPECT_EQ(collection->locations().count(), 6);

    // A file that is no bookmark file: a failure, and the collection stays as it was.
    const QString junk = temp.root() + u"/Bookmarks"_s;
    ASSERT_TRUE(writeFile(junk, "not json"));
    r = cli(in({u"import"_s, u"Chromium"_s, junk}));
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());
    r = cli(in({u"import"_s, u"Firefox"_s, junk}));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(collection->locations().count(), 6);
}

TEST_F(CliProgramTest, BookmarkFileExportReadsBackWithItsFolderChains)
{
    CategoryRecord local;
    local.Category = u"News: Local"_s;
    ASSERT_TRUE(collection->categories().insert(local));
    addLocation(u"http://one.test/"_s);
    addLocation(u"http://street.test/?a=1&b=2"_s, u"News: Local"_s);
    addLocation(u"http://tool.test/"_s, u"Tools"_s);

    const QString file = temp.root() + u"/bookmarks.html"_s;
    Result r = cli(
        in({u"export"_s, u"bookmarks"_s, file, u"--query"_s, u"URL:Category <> 'Tools'"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("2 location(s) exported")) << r.err.constData();

    // Read back as browsers write it: the folder inside "News" is "News: Local" again.
    const QString other = temp.root() + u"/other"_s;
    ASSERT_TRUE(QDir().mkpath(other));
    r = cli({u"--collection"_s,
             other,
             u"--create"_s,
             u"import"_s,
             u"Netscape"_s,
             file,
             u"--nested-folders"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    const QJsonArray rows = jsonList(other);
    QStringList got;
    for (const QJsonValue &row : rows)
        got << row.toObject().value(u"location"_s).toString() + u" in "_s
                   + row.toObject().value(u"category"_s).toString();
    EXPECT_EQ(got,
              (QStringList{u"http://one.test/ in News"_s,
                           u"http://street.test/?a=1&b=2 in News: Local"_s}));

    // Without the option the inner folder stands alone, as the old reading had it.
    const QString plain = temp.root() + u"/plain"_s;
    ASSERT_TRUE(QDir().mkpath(plain));
    r = cli({u"--collection"_s, plain, u"--create"_s, u"import"_s, u"Netscape"_s, file});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    const QJsonArray plainRows = jsonList(plain);
    ASSERT_EQ(plainRows.size(), 2);
    EXPECT_EQ(plainRows.at(1).toObject().value(u"category"_s).toString(), u"Local"_s);
}

TEST_F(CliProgramTest, FavouritesFolderImportsEveryShortcut)
{
    const QString favourites = temp.root() + u"/Favorites"_s;
    ASSERT_TRUE(QDir().mkpath(favourites + u"/Reading"_s));
    const auto shortcut = [](const QString &path, const QByteArray &url) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[InternetShortcut]\r\nURL=" + url + "\r\n");
    };
    shortcut(favourites + u"/Reading/Paper.url"_s, "http://paper.test/");
    shortcut(favourites + u"/Top.url"_s, "http://top.test/");
    Result r = cli(in({u"import"_s, u"IE"_s, favourites}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("2 bookmark(s) imported")) << r.err.constData();
    EXPECT_TRUE(collection->locations().exists(u"http://paper.test/"_s));
    EXPECT_TRUE(collection->locations().exists(u"http://top.test/"_s));
    // IE takes a folder, the other kinds a file.
    EXPECT_EQ(cli(in({u"import"_s, u"IE"_s, favourites + u"/Top.url"_s})).code, 2);
    EXPECT_EQ(cli(in({u"import"_s, u"HTML"_s, favourites})).code, 2);
}

TEST_F(CliProgramTest, FieldSelectedExportAndImportRoundTrip)
{
    addLocation(u"http://b.test/"_s, u"Tools"_s);
    addLocation(u"http://a.test/"_s, u"News"_s);
    const QString file = temp.root() + u"/fields.csv"_s;
    Result r = cli(in({u"export"_s,
                       u"ADV"_s,
                       file,
                       u"--fields"_s,
                       u"URL:Category,URL:Location,URL:Description"_s,
                       u"--header"_s,
                       u"--order"_s,
                       u"CatLoc"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0).trimmed(),
              QByteArray("\"URL:Category\",\"URL:Location\",\"URL:Description\""));
    EXPECT_TRUE(lines.at(2).startsWith("\"Tools\",\"http://b.test/\""));

    // The header names the columns, so the import assigns them by itself.
    const QString other = temp.root() + u"/other"_s;
    ASSERT_TRUE(QDir().mkpath(other));
    {
        Collection second(other);
        ASSERT_TRUE(second.openAll(true));
        for (const QString &name : {u"News"_s, u"Tools"_s}) {
            CategoryRecord c;
            c.Category = name;
            ASSERT_TRUE(second.categories().insert(c));
        }
    }
    r = cli({u"--collection"_s, other, u"import"_s, u"ADV"_s, file});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    const QJsonArray rows = jsonList(other);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(1).toObject().value(u"category"_s).toString(), u"Tools"_s);
    EXPECT_EQ(rows.at(1).toObject().value(u"description"_s).toString(), u"About http://b.test/"_s);

    // Columns chosen by number; the header record is skipped.
    const QString third = temp.root() + u"/third"_s;
    ASSERT_TRUE(QDir().mkpath(third));
    r = cli({u"--collection"_s,
             third,
             u"--create"_s,
             u"import"_s,
             u"ADV"_s,
             file,
             u"--map"_s,
             u"URL:Location=2"_s,
             u"--skip-header"_s});
    EXPECT_EQ(r.code, 1) << r.err.constData(); // no category: the store refuses each location
    EXPECT_TRUE(r.err.contains("Categories")) << r.err.constData();
    r = cli(
        {u"--collection"_s, third, u"import"_s, u"ADV"_s, file, u"--map"_s, u"URL:Location=7"_s});
    EXPECT_EQ(r.code, 2) << r.err.constData();
    EXPECT_EQ(cli(in({u"export"_s, u"ADV"_s, file, u"--fields"_s, u"URL:Colour"_s})).code, 2);
}

TEST_F(CliProgramTest, CheckRecordsResultsAndFailsWhenALinkFailed)
{
    LoopbackServer ok(LoopbackServer::reply(okResponse("HTTP/1.1 200 OK")));
    LoopbackServer missing(LoopbackServer::reply(okResponse("HTTP/1.1 404 Not Found")));
    LoopbackServer moved(LoopbackServer::reply(
        okResponse("HTTP/1.1 301 Moved Permanently", "Location: http://new.test/\r\n")));
    const auto url = [](const LoopbackServer &s) { return u"http://127.0.0.1:%1/"_s.arg(s.port()); };
    const QString dead = u"http://127.0.0.1:%1/"_s.arg(LoopbackServer::closedPort());
    addLocation(url(ok));
    addLocation(url(missing), u"Tools"_s);
    addLocation(url(moved));
    addLocation(dead, u"Tools"_s);
    addLocation(u"ftp://files.test/"_s);

    // A refused connection counts as failed at once; the ftp:// location is not tested.
    Result r = cli(in({u"check"_s, u"--timeout"_s, u"3"_s}));
    EXPECT_EQ(r.code, 1) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Passed: 1, failed: 2, moved: 1, rate limited: 0, skipped: 1."))
        << r.err.constData();
    LocationRecord record;
    ASSERT_TRUE(collection->locations().get(url(ok), record));
    EXPECT_EQ(record.Validated, 1);
    ASSERT_TRUE(collection->locations().get(url(missing), record));
    EXPECT_EQ(record.Validated, 2);
    ASSERT_TRUE(collection->locations().get(url(moved), record));
    EXPECT_EQ(record.MovedTo, u"http://new.test/"_s);
    EXPECT_TRUE(QFile::exists(temp.path(u"DEBUG.INI"_s)));

    // Only what the query chooses is tested; all passed, so the exit status is 0.
    const std::size_t before = missing.requests().size();
    r = cli(in({u"--quiet"_s, u"check"_s, u"--query"_s, u"URL:Category = 'News'"_s}));
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(missing.requests().size(), before);
    EXPECT_TRUE(r.err.contains("Passed: 1, failed: 0, moved: 1")) << r.err.constData();
}

TEST_F(CliProgramTest, ProtectedCollectionNeedsItsPassword)
{
    ASSERT_TRUE(collection->configuration().put({u"Secure"_s, u"1"_s}));
    ASSERT_TRUE(collection->configuration().put({u"Password"_s, u"Sesame"_s}));
    addLocation(u"http://private.test/"_s);
    Result r = cli(in({u"list"_s}));
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.out.contains("private.test"));
    QProcessEnvironment wrong;
    wrong.insert(u"PATHKEEP_PASSWORD"_s, u"guess"_s);
    EXPECT_EQ(cli(in({u"list"_s}), wrong).code, 1);
    QProcessEnvironment right;
    right.insert(u"PATHKEEP_PASSWORD"_s, u"sesame"_s);
    r = cli(in({u"list"_s}), right);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("private.test"));
}

TEST_F(CliProgramTest, ALongWriteElsewhereMakesTheCommandWaitThenFailCleanly)
{
    addLocation(u"http://before.test/"_s);
    // This connection stands for the desktop program in the middle of a long batch.
    const StoreStatus held = collection->transaction([this] {
        LocationRecord r;
        r.Location = u"http://inside.test/"_s;
        r.Category = u"News"_s;
        if (const StoreStatus s = collection->locations().insert(r); !s)
            return s;
        const Result blocked = cli(
            in({u"--wait"_s, u"1"_s, u"add"_s, u"http://cli.test/"_s, u"--category"_s, u"News"_s}));
        EXPECT_EQ(blocked.code, 1) << blocked.err.constData();
        EXPECT_FALSE(blocked.err.isEmpty());
        // Reading goes on while the other program writes.
        const Result listed = cli(in({u"list"_s, u"--format"_s, u"csv"_s}));
        EXPECT_EQ(listed.code, 0) << listed.err.constData();
        EXPECT_TRUE(listed.out.contains("before.test"));
        EXPECT_FALSE(listed.out.contains("inside.test"));
        return StoreStatus::success();
    });
    ASSERT_TRUE(held);
    const Result after = cli(in({u"add"_s, u"http://cli.test/"_s, u"--category"_s, u"News"_s}));
    EXPECT_EQ(after.code, 0) << after.err.constData();
    EXPECT_TRUE(collection->locations().exists(u"http://inside.test/"_s));
    EXPECT_TRUE(collection->locations().exists(u"http://cli.test/"_s));
}

TEST_F(CliProgramTest, TwoProgramsWritingInTurnLoseNothing)
{
    // The test's connection stays open like the desktop program's while the command line adds.
    for (int i = 0; i < 10; ++i) {
        addLocation(u"http://gui.test/%1"_s.arg(i));
        const Result r = cli(in(
            {u"--quiet"_s, u"add"_s, u"http://cli.test/%1"_s.arg(i), u"--category"_s, u"Tools"_s}));
        ASSERT_EQ(r.code, 0) << r.err.constData();
        EXPECT_TRUE(collection->locations().exists(u"http://cli.test/%1"_s.arg(i)));
    }
    EXPECT_EQ(collection->locations().count(), 20);
    EXPECT_EQ(jsonList(temp.folder()).size(), 20);
}
