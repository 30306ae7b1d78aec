// The everyday commands through the real program: which collection it works on, categories,
// changing, opening, searching, removing, duplicates, backups and the help.

#include "cliprocess.h"
#include "support/tempcollection.h"

#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

QStringList locationsOf(const QByteArray &json)
{
    QStringList list;
    for (const QJsonValue &row : QJsonDocument::fromJson(json).array())
        list << row.toObject().value(u"location"_s).toString();
    return list;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CliCommandsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "cli_command_tests";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        for (const QString &name : {u"News"_s, u"Tools"_s})
            ASSERT_TRUE(collection->categories().insert({name, 0, {}}));
        // An opener that records what it was asked to open instead of starting a browser.
        ASSERT_TRUE(QDir().mkpath(bin()));
        QFile opener(bin() + u"/xdg-open"_s);
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + opened().toUtf8() + "'\n");
        opener.close();
        opener.setPermissions(opener.permissions() | QFile::ExeOwner);
    }

    QString bin() const { return temp.root() + u"/bin"_s; }
    QString opened() const { return temp.root() + u"/opened"_s; }
    QStringList openedUrls() const
    {
        return QString::fromUtf8(readAll(opened())).split(u'\n', Qt::SkipEmptyParts);
    }

    /// The environment of a desktop whose opener records; HOME in the test's folder.
    QProcessEnvironment desktop(const QString &home = {}) const
    {
        QProcessEnvironment env;
        env.insert(u"PATH"_s, bin() + u':' + qEnvironmentVariable("PATH"));
        env.insert(u"HOME"_s, home.isEmpty() ? temp.root() + u"/home"_s : home);
        return env;
    }

    CliResult cli(const QStringList &arguments, const QProcessEnvironment &env = {})
    {
        return runCli(QStringList{u"--collection"_s, temp.folder()} + arguments, env);
    }

    void addLocation(const QString &url,
                     const QString &category = u"News"_s,
                     const QString &description = {})
    {
        LocationRecord r;
        r.Location = url;
        r.Category = category;
        r.Description = description.isEmpty() ? u"About "_s + url : description;
        ASSERT_TRUE(collection->locations().insert(r));
    }

    LocationRecord stored(const QString &url)
    {
        LocationRecord r;
        EXPECT_TRUE(collection->locations().get(url, r)) << url.toStdString();
        return r;
    }

    TempCollection temp;
    std::unique_ptr<Collection> collection;
};

} // namespace

TEST_F(CliCommandsTest, AFirstLocationFromAnEmptyHomeIsAddedFoundChangedOpenedAndRemoved)
{
    const QString home = temp.root() + u"/empty-home"_s;
    const QString elsewhere = temp.root() + u"/elsewhere"_s;
    ASSERT_TRUE(QDir().mkpath(home));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString pathkeep = home + u"/Pathkeep"_s;
    const QProcessEnvironment env = desktop(home);
    const auto run = [&](const QStringList &arguments) { return runCli(arguments, env, elsewhere); };
    const QString url = u"https://garden.test/seeds?id=1"_s;

    // Without --new-category the store's message stays, and the way out is named.
    CliResult r = run({u"add"_s, url, u"--category"_s, u"Reading"_s});
    EXPECT_EQ(r.code, 1) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Categories")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("--new-category")) << r.err.constData();

    r = run({u"add"_s,
             url,
             u"--category"_s,
             u"Reading"_s,
             u"--new-category"_s,
             u"--description"_s,
             u"Garden tools and SEEDS"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("Category Reading was created.")) << r.err.constData();
    EXPECT_TRUE(QFile::exists(pathkeep + u"/URLDATA.TPS"_s));
    EXPECT_TRUE(QDir(elsewhere).isEmpty()) << "the current folder holds no collection";

    r = run({u"list"_s, u"--format"_s, u"json"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(locationsOf(r.out), QStringList{url});
    EXPECT_EQ(run({u"category"_s, u"list"_s}).out, QByteArray("Reading\n"));

    r = run({u"search"_s, u"seeds"_s, u"--format"_s, u"json"_s});
    EXPECT_EQ(locationsOf(r.out), QStringList{url}) << r.err.constData();
    EXPECT_TRUE(
        locationsOf(run({u"search"_s, u"weekly"_s, u"--format"_s, u"json"_s}).out).isEmpty());

    r = run({u"set"_s,
             url,
             u"--comments"_s,
             u"A weekly digest"_s,
             u"--rating"_s,
             u"7"_s,
             u"--keyword"_s,
             u"garden"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(locationsOf(run({u"search"_s, u"WEEKLY"_s, u"--format"_s, u"json"_s}).out),
              QStringList{url});

    r = run({u"open"_s, url});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(openedUrls(), QStringList{url});

    {
        Collection own(pathkeep);
        ASSERT_TRUE(own.openAll(false));
        LocationRecord record;
        ASSERT_TRUE(own.locations().get(url, record));
        EXPECT_EQ(record.Description, u"Garden tools and SEEDS"_s);
        EXPECT_EQ(record.Comments, u"A weekly digest"_s);
        EXPECT_EQ(record.Rating, 7);
        EXPECT_EQ(record.Keyword, u"garden"_s);
        EXPECT_EQ(record.LastVisit, DayNumber::today());
    }

    r = run({u"remove"_s, url});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(locationsOf(run({u"list"_s, u"--format"_s, u"json"_s}).out).isEmpty());
    EXPECT_EQ(run({u"category"_s, u"list"_s}).out, QByteArray("Reading\n"));
}

TEST_F(CliCommandsTest, TheCollectionIsTheOptionTheVariableTheCurrentFolderOrTheDefault)
{
    addLocation(u"http://option.test/"_s);
    const QString home = temp.root() + u"/home"_s;
    const QString current = temp.root() + u"/current"_s;
    const QString variable = temp.root() + u"/variable"_s;
    for (const QString &folder : QStringList{home + u"/Pathkeep"_s, current, variable}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        Collection c(folder);
        ASSERT_TRUE(c.openAll(true));
        ASSERT_TRUE(c.categories().insert({u"News"_s, 0, {}}));
        LocationRecord r;
        r.Location = u"http://"_s + QFileInfo(folder).fileName().toLower() + u".test/"_s;
        r.Category = u"News"_s;
        ASSERT_TRUE(c.locations().insert(r));
    }
    const QString plain = temp.root() + u"/plain"_s;
    ASSERT_TRUE(QDir().mkpath(plain));
    QProcessEnvironment withVariable = desktop(home);
    withVariable.insert(u"PATHKEEP_COLLECTION"_s, variable);

    struct Case
    {
        QStringList options;
        QProcessEnvironment env;
        QString workingFolder;
        QString found;
        QString folder;
        QByteArray source;
    };
    const Case cases[] = {
        {{u"--collection"_s, temp.folder()},
         withVariable,
         current,
         u"http://option.test/"_s,
         temp.folder(),
         "(--collection)"},
        {{}, withVariable, current, u"http://variable.test/"_s, variable, "(PATHKEEP_COLLECTION)"},
        {{}, desktop(home), current, u"http://current.test/"_s, current, "(the current folder)"},
        {{}, desktop(home), plain, u"http://pathkeep.test/"_s, home + u"/Pathkeep"_s, "(the default"},
    };
    for (const Case &c : cases) {
        const CliResult r = runCli(c.options + QStringList{u"list"_s, u"--format"_s, u"json"_s},
                                   c.env,
                                   c.workingFolder);
        EXPECT_EQ(locationsOf(r.out), QStringList{c.found}) << r.err.constData();
        // The help names the folder it would work on, and why.
        const CliResult help = runCli(c.options + QStringList{u"--help"_s}, c.env, c.workingFolder);
        EXPECT_TRUE(help.out.contains(QByteArray("Collection: " + c.folder.toUtf8() + " " + c.source)))
            << help.out.constData();
        const CliResult commandHelp = runCli(c.options + QStringList{u"help"_s, u"list"_s},
                                             c.env,
                                             c.workingFolder);
        EXPECT_TRUE(commandHelp.out.contains(QByteArray("Collection: " + c.folder.toUtf8())))
            << commandHelp.out.constData();
    }

    // Errors about the collection name its folder; reading makes no collection anywhere.
    const QString none = temp.root() + u"/none"_s;
    CliResult r = runCli({u"list"_s}, desktop(none), plain);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains((none + u"/Pathkeep"_s).toUtf8())) << r.err.constData();
    EXPECT_FALSE(QFileInfo::exists(none));
    QProcessEnvironment empty = desktop(home);
    empty.insert(u"PATHKEEP_COLLECTION"_s, plain);
    r = runCli({u"category"_s, u"list"_s}, empty, current);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QByteArray("cannot open the collection in " + plain.toUtf8())))
        << r.err.constData();
    EXPECT_TRUE(QDir(plain).isEmpty());
    // Adding makes only the default collection by itself; a named folder needs --create.
    r = runCli({u"add"_s, u"http://x.test/"_s, u"--category"_s, u"News"_s}, empty, current);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(QDir(plain).isEmpty());
}

TEST_F(CliCommandsTest, CategoriesFollowTheFormsRulesAndKeepTheirLocations)
{
    addLocation(u"http://a.test/"_s);
    addLocation(u"http://b.test/"_s);
    addLocation(u"http://c.test/"_s, u"Tools"_s);
    ASSERT_TRUE(collection->catHtml().insert({u"News"_s, u"Header"_s, u"<h1>News</h1>"_s}));

    CliResult r = cli({u"category"_s, u"list"_s});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, QByteArray("News\nTools\n"));
    r = cli({u"category"_s, u"list"_s, u"--format"_s, u"json"_s});
    const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(rows.size(), 2) << r.out.constData();
    EXPECT_EQ(rows.at(0).toObject().value(u"locations"_s).toInt(), 2);

    // What the form refuses is refused with its message, and nothing changes.
    struct Refused
    {
        QStringList arguments;
        int code;
        QByteArray says;
    };
    const Refused refused[] = {
        {{u"add"_s, u"  "_s}, 2, "\"Category\" must be entered"},
        {{u"add"_s, QString(51, u'x')}, 2, "50 characters"},
        {{u"add"_s, u"Tab\there"_s}, 2, "control characters"},
        {{u"add"_s, u"news"_s}, 1, "Duplicate Key"},
        {{u"rename"_s, u"Nowhere"_s, u"Else"_s}, 2, "no category 'Nowhere'"},
        {{u"rename"_s, u"News"_s, u"tools"_s}, 1, "Duplicate Key"},
        {{u"remove"_s, u"News"_s}, 1, "still holds 2 location(s)"},
        {{u"remove"_s, u"News"_s, u"--move-to"_s, u"news"_s}, 2, "being removed"},
        {{u"remove"_s, u"News"_s, u"--move-to"_s, u"Nowhere"_s}, 2, "no category 'Nowhere'"},
        {{u"remove"_s, u"Nowhere"_s}, 2, "no category 'Nowhere'"},
        {{u"list"_s, u"--move-to"_s, u"Tools"_s}, 2, "--move-to is for"},
        {{u"frobnicate"_s}, 2, "category takes"},
    };
    for (const Refused &c : refused) {
        r = cli(QStringList{u"category"_s} + c.arguments);
        EXPECT_EQ(r.code, c.code) << c.arguments.join(u' ').toStdString() << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.constData();
    }
    EXPECT_EQ(cli({u"category"_s, u"list"_s}).out, QByteArray("News\nTools\n"));
    EXPECT_EQ(stored(u"http://a.test/"_s).Category, u"News"_s);

    // A rename takes the locations and snippets along.
    r = cli({u"category"_s, u"rename"_s, u"news"_s, u"Press"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("2 location(s) moved")) << r.err.constData();
    EXPECT_EQ(stored(u"http://a.test/"_s).Category, u"Press"_s);
    EXPECT_EQ(stored(u"http://b.test/"_s).Category, u"Press"_s);
    std::vector<CatHtmlRecord> snippets;
    ASSERT_TRUE(collection->catHtml().list(u"Press"_s, snippets));
    EXPECT_EQ(snippets.size(), 1u);

    // A removal moves them to the category named first, in one step.
    r = cli({u"category"_s, u"add"_s, u"Archive"_s, u"--description"_s, u"Old things"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    r = cli({u"category"_s, u"remove"_s, u"Press"_s, u"--move-to"_s, u"archive"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(stored(u"http://a.test/"_s).Category, u"Archive"_s);
    EXPECT_EQ(stored(u"http://b.test/"_s).Category, u"Archive"_s);
    EXPECT_EQ(stored(u"http://c.test/"_s).Category, u"Tools"_s);
    CategoryRecord archive;
    ASSERT_TRUE(collection->categories().get(u"Archive"_s, archive));
    EXPECT_EQ(archive.Description, u"Old things"_s);
    EXPECT_EQ(cli({u"category"_s, u"list"_s}).out, QByteArray("Archive\nTools\n"));
    EXPECT_EQ(collection->locations().count(), 3);

    // A location the store will not take as it is (written by another program) stops the move:
    // the category keeps its name and every location its category.
    collection->db().exec("UPDATE Locations SET Validated = 7 WHERE Location = 'http://c.test/'");
    for (const QStringList &arguments :
         {QStringList{u"rename"_s, u"Tools"_s, u"Gear"_s},
          QStringList{u"remove"_s, u"Tools"_s, u"--move-to"_s, u"Archive"_s}}) {
        r = cli(QStringList{u"category"_s} + arguments);
        EXPECT_EQ(r.code, 1) << arguments.join(u' ').toStdString() << r.err.constData();
        EXPECT_TRUE(r.err.contains("Validated")) << r.err.constData();
        EXPECT_EQ(cli({u"category"_s, u"list"_s}).out, QByteArray("Archive\nTools\n"));
        EXPECT_EQ(stored(u"http://c.test/"_s).Category, u"Tools"_s);
    }
}

TEST_F(CliCommandsTest, SetChangesOnlyTheNamedFieldsAndRefusesWhatTheFormRefuses)
{
    addLocation(u"http://a.test/"_s, u"News"_s, u"First"_s);
    addLocation(u"http://taken.test/"_s);
    KeywordRecord extra{u"http://a.test/"_s, 0, u"extra"_s};
    ASSERT_TRUE(collection->keywords().insert(extra));
    const LocationRecord before = stored(u"http://a.test/"_s);

    struct Refused
    {
        QStringList arguments;
        int code;
        QByteArray says;
    };
    const Refused refused[] = {
        {{u"--last-visit"_s, u"2024-02-30"_s}, 2, "Last Visit: \"2024-02-30\" is not a date"},
        {{u"--expires"_s, u"1700-01-01"_s}, 2, "Expires"},
        {{u"--page-size"_s, u"12kB"_s}, 2, "not a whole number"},
        {{u"--rating"_s, u"100"_s}, 2, "-99 to 99"},
        {{u"--validated"_s, u"maybe"_s}, 2, "unknown, passed or failed"},
        {{u"--description"_s, QString(256, u'd')}, 2, "255 characters"},
        {{u"--keyword"_s, u"one\ntwo"_s}, 2, "control characters"},
        {{u"--moved-to"_s, u"http://b.test/two words"_s}, 2, "blank"},
        {{u"--location"_s, u" "_s}, 2, "\"Location\" must be entered"},
        // Both fine on their own: the first refusal changes nothing of the rest either.
        {{u"--description"_s, u"Changed"_s, u"--last-visit"_s, u"soon"_s}, 2, "not a date"},
        {{u"--category"_s, u"Missing"_s}, 1, "Categories"},
        {{u"--location"_s, u"http://taken.test/"_s}, 1, "Site Location"},
        {{}, 2, "needs a field"},
    };
    for (const Refused &c : refused) {
        const CliResult r = cli(QStringList{u"set"_s, u"http://a.test/"_s} + c.arguments);
        EXPECT_EQ(r.code, c.code) << c.arguments.join(u' ').toStdString() << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << c.says.constData() << ": " << r.err.constData();
        EXPECT_EQ(stored(u"http://a.test/"_s), before) << c.arguments.join(u' ').toStdString();
    }
    CliResult r = cli({u"set"_s, u"http://nowhere.test/"_s, u"--rating"_s, u"1"_s});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("not in the collection")) << r.err.constData();

    // Every field the form edits; the address moves with its keyword rows.
    r = cli({u"set"_s,         u"http://a.test/"_s, u"--location"_s,   u"http://a.test/new"_s,
             u"--category"_s,  u"tools"_s,          u"--rating"_s,     u"-5"_s,
             u"--site-info"_s, u"two\nlines"_s,     u"--last-visit"_s, u"2024-02-03"_s,
             u"--validated"_s, u"failed"_s,         u"--page-size"_s,  u"1,234"_s,
             u"--email"_s,     u"me@a.test"_s,      u"--user-name"_s,  u"me"_s,
             u"--moved-to"_s,  u"https://a.test/"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_FALSE(collection->locations().exists(u"http://a.test/"_s));
    const LocationRecord after = stored(u"http://a.test/new"_s);
    EXPECT_EQ(after.Description, u"First"_s);
    EXPECT_EQ(after.Category, u"tools"_s);
    EXPECT_EQ(after.Rating, -5);
    EXPECT_EQ(after.SiteInfo, u"two\nlines"_s);
    EXPECT_EQ(after.LastVisit, DayNumber::fromDate(QDate(2024, 2, 3)));
    EXPECT_EQ(after.Validated, 2);
    EXPECT_EQ(after.PageSize, 1234);
    EXPECT_EQ(after.EmailAddress, u"me@a.test"_s);
    EXPECT_EQ(after.MovedTo, u"https://a.test/"_s);
    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(collection->keywords().list(u"http://a.test/new"_s, keywords));
    ASSERT_EQ(keywords.size(), 1u);
    EXPECT_EQ(keywords.front().Keyword, u"extra"_s);
    // A blank date is no date.
    EXPECT_EQ(cli({u"set"_s, u"http://a.test/new"_s, u"--last-visit"_s, u""_s}).code, 0);
    EXPECT_EQ(stored(u"http://a.test/new"_s).LastVisit, 0);
}

TEST_F(CliCommandsTest, RemoveTakesEveryNamedLocationWithItsRowsAndReportsUnknownOnes)
{
    addLocation(u"http://a.test/"_s);
    addLocation(u"http://b.test/"_s);
    addLocation(u"http://kept.test/"_s);
    KeywordRecord keyword{u"http://a.test/"_s, 0, u"extra"_s};
    ASSERT_TRUE(collection->keywords().insert(keyword));
    DetailRecord detail{u"http://b.test/"_s, 0, u"Label"_s, u"Value"_s};
    ASSERT_TRUE(collection->details().insert(detail));

    CliResult r = cli(
        {u"remove"_s, u"http://a.test/"_s, u"http://gone.test/"_s, u"http://b.test/"_s});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(
        QByteArray("http://gone.test/ is not in the collection in " + temp.folder().toUtf8())))
        << r.err.constData();
    EXPECT_FALSE(collection->locations().exists(u"http://a.test/"_s));
    EXPECT_FALSE(collection->locations().exists(u"http://b.test/"_s));
    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(collection->keywords().list(u"http://a.test/"_s, keywords));
    EXPECT_TRUE(keywords.empty());
    std::vector<DetailRecord> details;
    ASSERT_TRUE(collection->details().list(u"http://b.test/"_s, details));
    EXPECT_TRUE(details.empty());
    EXPECT_EQ(collection->locations().count(), 1);

    r = cli({u"--quiet"_s, u"remove"_s, u"http://kept.test/"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    EXPECT_EQ(cli({u"remove"_s}).code, 2);
}

TEST_F(CliCommandsTest, OpenStartsLocationsThroughTheDesktopAndRecordsTheVisit)
{
    addLocation(u"http://a.test/"_s);
    addLocation(u"http://b.test/"_s);
    addLocation(u"http://c.test/"_s, u"Tools"_s);

    // A query wider than --most opens nothing.
    CliResult r = cli({u"open"_s, u"--query"_s, u"URL:Category = 'News'"_s, u"--most"_s, u"1"_s},
                      desktop());
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("chooses 2 locations")) << r.err.constData();
    EXPECT_TRUE(openedUrls().isEmpty());

    r = cli({u"open"_s, u"--query"_s, u"URL:Category = 'News'"_s}, desktop());
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(openedUrls(), (QStringList{u"http://a.test/"_s, u"http://b.test/"_s}));
    EXPECT_EQ(stored(u"http://a.test/"_s).LastVisit, DayNumber::today());
    EXPECT_EQ(stored(u"http://c.test/"_s).LastVisit, 0);

    // Only what the collection holds is opened.
    r = cli({u"open"_s, u"http://c.test/"_s, u"http://elsewhere.test/"_s}, desktop());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("http://elsewhere.test/ is not in the collection"));
    EXPECT_EQ(openedUrls().last(), u"http://c.test/"_s);
    EXPECT_EQ(openedUrls().size(), 3);

    // Without a desktop opener the launch fails as the list's does, and says so.
    QProcessEnvironment bare = desktop();
    bare.insert(u"PATH"_s, temp.root() + u"/no-programs"_s);
    r = cli({u"open"_s, u"http://a.test/"_s}, bare);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Could not start http://a.test/")) << r.err.constData();

    EXPECT_EQ(cli({u"open"_s}).code, 2);
    EXPECT_EQ(cli({u"open"_s, u"http://a.test/"_s, u"--query"_s, u"URL:Rating = 0"_s}).code, 2);
}

TEST_F(CliCommandsTest, SearchLooksInDescriptionCommentsAndKeywordOnly)
{
    addLocation(u"http://garden.test/"_s, u"News"_s, u"Nothing here"_s);
    addLocation(u"http://a.test/"_s, u"News"_s, u"Garden tools"_s);
    LocationRecord comments;
    comments.Location = u"http://b.test/"_s;
    comments.Category = u"Tools"_s;
    comments.Comments = u"all about the GARDEN"_s;
    ASSERT_TRUE(collection->locations().insert(comments));
    LocationRecord keyword;
    keyword.Location = u"http://c.test/"_s;
    keyword.Category = u"News"_s;
    keyword.Keyword = u"gardening"_s;
    keyword.Description = u"O'Neil's page"_s;
    ASSERT_TRUE(collection->locations().insert(keyword));

    CliResult r = cli({u"search"_s, u"garden"_s, u"--format"_s, u"json"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(locationsOf(r.out),
              (QStringList{u"http://a.test/"_s, u"http://b.test/"_s, u"http://c.test/"_s}));
    r = cli({u"search"_s, u"garden"_s, u"--order"_s, u"CatLoc"_s, u"--format"_s, u"csv"_s});
    EXPECT_EQ(r.out.count('\n'), 3);
    EXPECT_TRUE(r.out.trimmed().endsWith("\"Tools\",\"http://b.test/\",\"\",\"\",0"))
        << r.out.constData();
    r = cli({u"search"_s, u"o'neil"_s, u"--format"_s, u"json"_s});
    EXPECT_EQ(locationsOf(r.out), QStringList{u"http://c.test/"_s}) << r.err.constData();
    EXPECT_TRUE(locationsOf(cli({u"search"_s, u"news"_s, u"--format"_s, u"json"_s}).out).isEmpty());
    EXPECT_EQ(cli({u"search"_s}).code, 2);
    EXPECT_EQ(cli({u"search"_s, u"garden"_s, u"--format"_s, u"xml"_s}).code, 2);
}

TEST_F(CliCommandsTest, DuplicatesListsTheFindersGroupsAndChangesNothing)
{
    addLocation(u"http://www.Example.test/page/"_s);
    addLocation(u"https://example.test/page?utm_source=mail"_s, u"Tools"_s);
    addLocation(u"http://other.test/"_s);
    const QByteArray before = cli({u"list"_s, u"--format"_s, u"json"_s}).out;

    CliResult r = cli({u"duplicates"_s});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_GE(lines.size(), 3) << r.out.constData();
    EXPECT_TRUE(lines.at(1).startsWith("  http://www.Example.test/page/")) << r.out.constData();
    EXPECT_TRUE(lines.at(2).startsWith("  https://example.test/page?utm_source=mail"));
    EXPECT_FALSE(r.out.contains("other.test"));

    r = cli({u"duplicates"_s, u"--format"_s, u"json"_s});
    const QJsonArray groups = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(groups.size(), 1) << r.out.constData();
    const QJsonArray members = groups.at(0).toObject().value(u"locations"_s).toArray();
    ASSERT_EQ(members.size(), 2);
    EXPECT_EQ(members.at(1).toObject().value(u"category"_s).toString(), u"Tools"_s);
    EXPECT_EQ(cli({u"list"_s, u"--format"_s, u"json"_s}).out, before);
    EXPECT_EQ(cli({u"duplicates"_s, u"--format"_s, u"csv"_s}).code, 2);
}

TEST_F(CliCommandsTest, BackupAndRestoreAreThoseOfTheBackupUtility)
{
    addLocation(u"http://before.test/"_s);
    collection.reset(); // a restore is refused while another program holds the files open
    const QString backup = temp.root() + u"/backup"_s;
    CliResult r = cli({u"backup"_s, backup});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    for (const char *name : {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"})
        EXPECT_TRUE(QFile::exists(backup + u'/' + QLatin1String(name))) << name;

    EXPECT_EQ(cli({u"add"_s, u"http://after.test/"_s, u"--category"_s, u"News"_s}).code, 0);
    r = cli({u"restore"_s, backup});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains(QByteArray("kept in " + temp.folder().toUtf8() + "/Replaced ")))
        << r.out.constData();
    r = cli({u"list"_s, u"--format"_s, u"json"_s});
    EXPECT_EQ(locationsOf(r.out), QStringList{u"http://before.test/"_s});

    // A folder without a backup is refused and the collection stays as it is.
    const QString nothing = temp.root() + u"/nothing"_s;
    ASSERT_TRUE(QDir().mkpath(nothing));
    r = cli({u"restore"_s, nothing});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("There is no backup in")) << r.err.constData();
    EXPECT_EQ(locationsOf(cli({u"list"_s, u"--format"_s, u"json"_s}).out),
              QStringList{u"http://before.test/"_s});
    EXPECT_EQ(cli({u"backup"_s}).code, 2);
}

TEST_F(CliCommandsTest, HelpNamesEveryCommandAndEachCommandsOptions)
{
    const CliResult overview = runCli({u"--help"_s});
    EXPECT_EQ(overview.code, 0);
    EXPECT_EQ(runCli({u"help"_s}).out, overview.out);
    const std::pair<const char *, const char *> commands[] = {
        {"list", "--order"},
        {"search", "--format"},
        {"add", "--new-category"},
        {"set", "--last-validated"},
        {"remove", "URL..."},
        {"open", "--most"},
        {"category", "--move-to"},
        {"duplicates", "json"},
        {"check", "--timeout"},
        {"analyze", "--query"},
        {"download", "--to"},
        {"import", "--category-mode"},
        {"export", "--preformatted"},
        {"backup", "DIR"},
        {"restore", "DIR"},
    };
    for (const auto &[command, option] : commands) {
        EXPECT_TRUE(overview.out.contains(QByteArray("\n  " + QByteArray(command) + ' ')))
            << command;
        const CliResult help = runCli({QLatin1String(command), u"--help"_s});
        EXPECT_EQ(help.code, 0) << command;
        EXPECT_TRUE(help.out.contains(option)) << command << ": " << help.out.constData();
        EXPECT_EQ(runCli({u"help"_s, QLatin1String(command)}).out, help.out) << command;
    }
    EXPECT_EQ(runCli({u"help"_s, u"frobnicate"_s}).code, 2);
    const CliResult version = runCli({u"--version"_s});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("pathkeep-cli ")) << version.out.constData();
}
