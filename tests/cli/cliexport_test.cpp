// Exports through the real program under faults: a full disk, a kill in the middle, a target
// that is one of the collection's own files; and the delimited files' round trip.

#include "cliprocess.h"
#include "support/tempcollection.h"

#include "export/advancedexportfields.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/detaillabels.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <functional>

#include <sys/resource.h>
#include <unistd.h>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class CliExportTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "cli_export_tests";
            static char *argv[] = {name, nullptr};
            new QCoreApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(temp.folder()));
        ASSERT_TRUE(QDir().mkpath(out()));
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
        for (const QString &name : {u"News"_s, u"Tools"_s})
            ASSERT_TRUE(collection->categories().insert({name, 0, {}}));
    }

    QString out(const QString &name = {}) const
    {
        return temp.root() + u"/out"_s + (name.isEmpty() ? QString() : u'/' + name);
    }

    QStringList in(const QStringList &arguments) const
    {
        return QStringList{u"--collection"_s, temp.folder()} + arguments;
    }

    /// `count` more locations with long descriptions, in one transaction.
    void fill(int count)
    {
        const int from = int(collection->locations().count());
        const StoreStatus s = collection->transaction([&] {
            for (int i = from; i < from + count; ++i) {
                LocationRecord r;
                r.Location = u"https://site%1.example/some/longer/path?page=%1"_s.arg(i);
                r.Description = u"Location number %1 with a description of some length"_s.arg(i);
                r.Category = i % 2 ? u"News"_s : u"Tools"_s;
                r.SiteInfo = QString(120, u's');
                r.LastVisit = 80000 + i % 1000;
                if (const StoreStatus st = collection->locations().insert(r); !st)
                    return st;
            }
            return StoreStatus::success();
        });
        ASSERT_TRUE(s);
    }

    TempCollection temp;
    std::unique_ptr<Collection> collection;
};

// Every export that writes a file, to a file system that fills up: the run ends by itself with
// exit status 1 after one message, and leaves nothing in the folder.
TEST_F(CliExportTest, AFullDiskEndsTheExportOnceAndLeavesNoFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs in a mount namespace of its own";
    if (QProcess::execute(u"unshare"_s, {u"-m"_s, u"true"_s}) != 0)
        GTEST_SKIP() << "unshare -m is not allowed here (no mount namespaces)";
    fill(3000); // about 800 KB of export, far more than the 64 KB file system holds

    const QString full = temp.root() + u"/full"_s;
    ASSERT_TRUE(QDir().mkpath(full));
    for (const QString &type : {u"ADV"_s, u"CSV"_s, u"ASCII"_s, u"Table"_s, u"Bookmarks"_s}) {
        SCOPED_TRACE(qPrintable(type));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"FULL"_s, full);
        env.insert(u"CLI"_s, QStringLiteral(PK_CLI_PROGRAM));
        env.insert(u"COLLECTION"_s, temp.folder());
        env.insert(u"TYPE"_s, type);
        run.setProcessEnvironment(env);
        // The export's exit status, then whatever is left in the folder, inside the namespace.
        run.start(u"unshare"_s,
                  {u"-m"_s,
                   u"sh"_s,
                   u"-c"_s,
                   u"mount -t tmpfs -o size=64k pathkeep-full \"$FULL\" || exit 99; "
                   "\"$CLI\" --collection \"$COLLECTION\" export \"$TYPE\" \"$FULL/links.out\"; "
                   "echo \"status=$?\"; ls -A \"$FULL\""_s});
        ASSERT_TRUE(run.waitForFinished(120000)) << "the export never ended";
        const QByteArray stdOut = run.readAllStandardOutput();
        const QByteArray stdErr = run.readAllStandardError();
        ASSERT_EQ(run.exitCode(), 0) << stdErr.constData();
        EXPECT_EQ(stdOut, QByteArray("status=1\n")) << "nothing is left in the folder:\n"
                                                    << stdOut.constData() << stdErr.constData();
        EXPECT_TRUE(stdErr.contains("No space left on device")) << stdErr.constData();
        EXPECT_LE(stdErr.count("No space left on device"), 2) << "told once, never retried";
        EXPECT_FALSE(stdErr.contains("[Retry]")) << stdErr.constData();
        EXPECT_FALSE(stdErr.contains("[Continue]")) << stdErr.constData();
    }
}

// A program killed in the middle of writing leaves no file under the target's name, and an
// earlier export under that name keeps its contents. The kill comes from the file size limit
// (SIGXFSZ, whose default ends the program at once, as SIGKILL does): at the first write past
// 64 KB, so always in the middle, however fast the machine.
TEST_F(CliExportTest, AKilledExportLeavesNoPartialFile)
{
    fill(3000); // about 800 KB of export
    for (const QString &type : {u"ADV"_s, u"CSV"_s, u"ASCII"_s, u"Table"_s, u"Bookmarks"_s}) {
        for (const bool hadOld : {false, true}) {
            SCOPED_TRACE(qPrintable(type + (hadOld ? u" over an earlier file"_s : QString())));
            ASSERT_TRUE(QDir(out()).removeRecursively());
            ASSERT_TRUE(QDir().mkpath(out()));
            const QString target = out(u"links.out"_s);
            if (hadOld) {
                QFile old(target);
                ASSERT_TRUE(old.open(QIODevice::WriteOnly));
                old.write("an earlier export\n");
            }
            QProcess run;
            run.setChildProcessModifier([] {
                const rlimit size{64 * 1024, 64 * 1024};
                const rlimit noCore{0, 0};
                ::setrlimit(RLIMIT_FSIZE, &size);
                ::setrlimit(RLIMIT_CORE, &noCore);
            });
            run.start(QStringLiteral(PK_CLI_PROGRAM), in({u"export"_s, type, target}));
            ASSERT_TRUE(run.waitForFinished(120000)) << "the export never ended";
            ASSERT_EQ(run.exitStatus(), QProcess::CrashExit)
                << "not killed in the middle: " << run.readAllStandardError().constData();
            const QStringList left = QDir(out()).entryList(QDir::AllEntries | QDir::Hidden
                                                           | QDir::NoDotAndDotDot);
            if (hadOld) {
                EXPECT_EQ(contents(target), QByteArray("an earlier export\n"));
                EXPECT_EQ(left, QStringList{u"links.out"_s}) << "nothing else is left behind";
            } else {
                EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(u", "_s));
            }
        }
    }
}

TEST_F(CliExportTest, TheCollectionsOwnFilesAreNeverOverwritten)
{
    fill(10);
    const QString data = temp.path(u"URLDATA.TPS"_s);
    const QByteArray before = contents(data);
    for (const QStringList &arguments :
         {QStringList{u"export"_s, u"CSV"_s, data},
          QStringList{u"export"_s, u"ADV"_s, temp.path(u"URL_C.TPS"_s)},
          QStringList{u"export"_s, u"Table"_s, temp.path(u"URLDATA.TPS-journal"_s)},
          QStringList{u"export"_s,
                      u"Bookmarks"_s,
                      temp.configHome() + u"/pathkeep/PATHKEEP.INI"_s}}) {
        const CliResult r = runCli(in(arguments));
        EXPECT_EQ(r.code, 1) << r.err.constData();
        EXPECT_TRUE(r.err.contains("belongs to a collection")) << r.err.constData();
    }
    EXPECT_TRUE(contents(data).startsWith(before.left(15))) << "still the collection's database";
    Collection reopened(temp.folder());
    ASSERT_TRUE(reopened.openAll(false));
    EXPECT_EQ(reopened.locations().count(), 10);
    EXPECT_FALSE(QFile::exists(temp.path(u"URLDATA.TPS-journal"_s)));
    const CliResult list = runCli(in({u"list"_s, u"--format"_s, u"csv"_s}));
    EXPECT_EQ(list.code, 0) << list.err.constData();
}

// Where the short date has a two-digit year, every date still comes back as it was.
TEST_F(CliExportTest, AdvRoundTripKeepsEveryDateUnderAnyLocale)
{
    std::vector<LocationRecord> records;
    const QDate dates[]
        = {QDate(1850, 1, 1), QDate(1999, 12, 31), QDate(2023, 11, 14), QDate(2090, 6, 30)};
    for (int i = 0; i < 4; ++i) {
        LocationRecord r;
        r.Location = u"https://dated%1.example/"_s.arg(i);
        r.Description = u"Dated, \"%1\"\nsecond line"_s.arg(i);
        r.Category = u"News"_s;
        r.LastVisit = DayNumber::fromDate(dates[i]);
        r.LastValidated = i % 2 ? 0 : DayNumber::fromDate(dates[3 - i]);
        r.Expires = i == 3 ? 0 : DayNumber::fromDate(dates[(i + 1) % 4]);
        ASSERT_TRUE(collection->locations().insert(r));
        records.push_back(LocationManager::prepared(r));
    }
    QProcessEnvironment us;
    us.insert(u"LC_ALL"_s, u"en_US.UTF-8"_s);
    const QString file = out(u"dates.csv"_s);
    CliResult r = runCli(in({u"export"_s, u"ADV"_s, file, u"--header"_s}), us);
    ASSERT_EQ(r.code, 0) << r.err.constData();

    TempCollection other;
    ASSERT_TRUE(QDir().mkpath(other.folder()));
    r = runCli({u"--collection"_s, other.folder(), u"--create"_s, u"import"_s, u"ADV"_s, file}, us);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    Collection back(other.folder());
    ASSERT_TRUE(back.openAll(false));
    for (const LocationRecord &expected : records) {
        LocationRecord got;
        ASSERT_TRUE(back.locations().get(expected.Location, got));
        EXPECT_EQ(got, expected) << qPrintable(expected.Location);
    }
}

// A file of other columns: the map names each column and the date's picture, --category files
// the records that bring none, and a date that does not read refuses its record.
TEST_F(CliExportTest, AdvImportTakesPicturesFromTheMapAndACategoryForRecordsWithout)
{
    const QString file = out(u"other.csv"_s);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\"Title one\",\"2023-11-14\",\"http://one.example/\"\n"
            "\"Title two\",\"someday\",\"http://two.example/\"\n"
            "\"Title three\",\"\",\"http://three.example/\"\n");
    f.close();
    const CliResult r = runCli(in({u"import"_s,
                                   u"ADV"_s,
                                   file,
                                   u"--map"_s,
                                   u"URL:Description=1,URL:LastVisit=2@d17,URL:Location=3"_s,
                                   u"--category"_s,
                                   u"From elsewhere"_s}));
    EXPECT_EQ(r.code, 1) << "a record was refused: " << r.err.constData();
    collection = std::make_unique<Collection>(temp.folder());
    ASSERT_TRUE(collection->openAll(false));
    LocationRecord one;
    ASSERT_TRUE(collection->locations().get(u"http://one.example/"_s, one));
    EXPECT_EQ(one.LastVisit, DayNumber::fromDate(QDate(2023, 11, 14)));
    EXPECT_EQ(one.Category, u"From elsewhere"_s);
    EXPECT_EQ(one.Description, u"Title one"_s);
    EXPECT_TRUE(collection->locations().exists(u"http://three.example/"_s));
    EXPECT_FALSE(collection->locations().exists(u"http://two.example/"_s));
    EXPECT_TRUE(collection->categories().exists(u"From elsewhere"_s));
}

} // namespace

namespace {

/// A field of a location as text, by name ("URL:Rating", or one of the rows beside it:
/// "Keywords", a detail's label, "Category description").
using FieldReader = std::function<QString(Collection &, const LocationRecord &)>;

const std::vector<std::pair<QString, FieldReader>> &everyField()
{
    static const std::vector<std::pair<QString, FieldReader>> fields = [] {
        std::vector<std::pair<QString, FieldReader>> f;
        const auto text = [&f](const char *name, QString LocationRecord::*member) {
            f.emplace_back(QString::fromLatin1(name),
                           [member](Collection &, const LocationRecord &r) { return r.*member; });
        };
        const auto number = [&f](const char *name, auto member) {
            f.emplace_back(QString::fromLatin1(name),
                           [member](Collection &, const LocationRecord &r) {
                               return QString::number(r.*member);
                           });
        };
        text("URL:Location", &LocationRecord::Location);
        text("URL:Description", &LocationRecord::Description);
        text("URL:Category", &LocationRecord::Category);
        number("URL:Rating", &LocationRecord::Rating);
        text("URL:Keyword", &LocationRecord::Keyword);
        text("URL:SiteInfo", &LocationRecord::SiteInfo);
        number("URL:LastVisit", &LocationRecord::LastVisit);
        number("URL:LastValidated", &LocationRecord::LastValidated);
        number("URL:Validated", &LocationRecord::Validated);
        text("URL:MovedTo", &LocationRecord::MovedTo);
        text("URL:Comments", &LocationRecord::Comments);
        text("URL:UserName", &LocationRecord::UserName);
        text("URL:Password", &LocationRecord::Password);
        number("URL:Expires", &LocationRecord::Expires);
        number("URL:PageSize", &LocationRecord::PageSize);
        text("URL:EmailAddress", &LocationRecord::EmailAddress);
        text("URL:OriginalFilename", &LocationRecord::OriginalFilename);
        text("URL:Custom1", &LocationRecord::Custom1);
        text("URL:Custom2", &LocationRecord::Custom2);
        text("URL:Custom3", &LocationRecord::Custom3);
        f.emplace_back(u"Keywords"_s, [](Collection &c, const LocationRecord &r) {
            std::vector<KeywordRecord> rows;
            static_cast<void>(c.keywords().list(r.Location, rows));
            QStringList words;
            for (const KeywordRecord &k : rows)
                words << k.Keyword;
            words.sort();
            return words.join(u" | "_s);
        });
        for (const char *label :
             {DetailLabel::DateAdded, DetailLabel::LastModified, DetailLabel::BrowserKeyword}) {
            f.emplace_back(QString::fromLatin1(label),
                           [label](Collection &c, const LocationRecord &r) {
                               std::vector<DetailRecord> rows;
                               static_cast<void>(c.details().list(r.Location, rows));
                               for (const DetailRecord &d : rows) {
                                   if (d.DataLabel == QLatin1String(label))
                                       return d.DataValue;
                               }
                               return QString();
                           });
        }
        f.emplace_back(u"Category description"_s, [](Collection &c, const LocationRecord &r) {
            CategoryRecord category;
            static_cast<void>(c.categories().get(r.Category, category));
            return category.Description;
        });
        return f;
    }();
    return fields;
}

/// How a file type reads back: the command lines, and which fields it carries. Every field is
/// in exactly one of the two lists, so a new field needs a word on each format.
struct RoundTrip
{
    const char *name;
    QStringList exportArguments; ///< after "export TYPE FILE"
    QStringList importArguments; ///< "import TYPE FILE" and after
    QStringList carried;
    QStringList notCarried; ///< with the reason, after " - "
};

} // namespace

// One collection of every awkward value a user's data holds, through each file type's export
// and import in the real program: every field the type carries comes back as it was.
TEST_F(CliExportTest, EveryFileTypeGivesBackEveryFieldItCarries)
{
    struct Entry
    {
        LocationRecord record;
        QStringList keywords;
        std::vector<std::pair<const char *, QString>> details;
    };
    std::vector<Entry> entries;
    {
        LocationRecord r;
        r.Location = u"https://amp.test/?q=1&amp;r=2&s=\"3\"&t='4'&u=<script>alert(1)</script>"_s;
        r.Description
            = u"Tom & Jerry \"dq\" 'sq' <script>x</script>\ttab \u00fcn\u00efc\u00f6d\u00e9 "
              u"\u65e5\u672c \U0001F600"_s;
        r.Category = u"News & <Weather>"_s;
        r.Rating = -99;
        r.Keyword = u"kw,\"x\""_s;
        r.SiteInfo = u"Line one\nLine two & <three>\ttab"_s;
        r.LastVisit = DayNumber::fromDate(QDate(2024, 2, 29));
        r.LastValidated = DayNumber::fromDate(QDate(1850, 1, 1));
        r.Validated = 2;
        r.MovedTo = u"https://moved.test/?a=1&b=\"2\""_s;
        r.Comments = u"c1 &lt;literal&gt;\nc2\n\nc3 \"q\", <script>"_s;
        r.UserName = u"\u00fc,ser"_s;
        r.Password = u"p\"w|d"_s;
        r.Expires = DayNumber::fromDate(QDate(2090, 12, 31));
        r.PageSize = -123456;
        r.EmailAddress = u"a@b.example"_s;
        r.OriginalFilename = u"/home/\u00fc/bookmarks, old.html"_s;
        r.Custom1 = u"|"_s;
        r.Custom2 = u"\"\""_s;
        r.Custom3 = u",,,"_s;
        entries.push_back({r,
                           {u"my tag"_s, u"x&y"_s, u"\u00e9t\u00e9"_s},
                           {{DetailLabel::DateAdded, u"2024-03-01T12:00:00Z"_s},
                            {DetailLabel::LastModified, u"2024-03-02T08:30:15Z"_s},
                            {DetailLabel::BrowserKeyword, u"amp"_s}}});
    }
    {
        LocationRecord r; // the longest address, everything else empty or zero
        r.Location = u"https://long.test/"_s + QString(2048 - 18, u'l');
        r.Category = u"News & <Weather>: Local"_s;
        entries.push_back({r, {}, {}});
    }
    {
        LocationRecord r;
        r.Location = u"https://\u00fc.test/\u65e5\u672c?x=%20&y=a+b#frag"_s;
        r.Description = (u"\u00e9 & <x> \"q\" "_s).repeated(30).left(254) + u"!"_s;
        r.Category = u"Caf\u00e9 | \"Bar\""_s;
        r.Rating = 99;
        r.SiteInfo = u"&#10;"_s;
        r.Comments = u"only comments"_s;
        r.LastVisit = DayNumber::fromDate(QDate(2000, 2, 29));
        r.LastValidated = DayNumber::fromDate(QDate(2023, 11, 14));
        r.Validated = 1;
        r.Expires = DayNumber::fromDate(QDate(1999, 12, 31));
        entries.push_back({r, {u"zero"_s}, {{DetailLabel::DateAdded, u"1999-12-31T23:59:59Z"_s}}});
    }
    {
        LocationRecord r; // every text at its field's full width
        const auto full = [](const QString &start, int width) -> QString {
            return start + QString(width - start.size(), u'\u00e9');
        };
        r.Location = u"https://full.test/"_s;
        r.Description = full(u"Full "_s, 255);
        r.Category = u"A long category name, chained: past its growth"_s;
        r.Rating = 1;
        r.Keyword = full(u"k"_s, 20);
        r.SiteInfo = full(u"site "_s, 2048);
        r.LastVisit = DayNumber::fromDate(QDate(1801, 1, 1));
        r.MovedTo = full(u"https://moved.test/"_s, 2048);
        r.Comments = full(u"comments\n"_s, 1024);
        r.UserName = full(u"u"_s, 40);
        r.Password = full(u"p"_s, 20);
        r.EmailAddress = full(u"e@"_s, 60);
        r.OriginalFilename = full(u"/f/"_s, 255);
        r.Custom1 = full(u"1"_s, 60);
        r.Custom2 = full(u"2"_s, 60);
        r.Custom3 = full(u"3"_s, 60);
        entries.push_back(
            {r, {full(u"w"_s, 32)}, {{DetailLabel::BrowserKeyword, full(u"b"_s, 90)}}});
    }
    const QList<std::pair<QString, QString>>
        categories{{u"A long category name, chained: past its growth"_s, QString(1000, u'd')},
                   {u"News & <Weather>"_s, u"Folder note & <b>\"quoted\"</b>\nsecond line"_s},
                   {u"News & <Weather>: Local"_s, {}},
                   {u"Caf\u00e9 | \"Bar\""_s, u"Caf\u00e9s"_s}};
    for (const auto &[name, description] : categories)
        ASSERT_TRUE(collection->categories().insert({name, 0, description}));
    for (const Entry &e : entries) {
        ASSERT_TRUE(collection->locations().insert(e.record)) << qPrintable(e.record.Location);
        for (const QString &word : e.keywords) {
            KeywordRecord k{e.record.Location, 0, word};
            ASSERT_TRUE(collection->keywords().insert(k));
        }
        for (const auto &[label, value] : e.details) {
            DetailRecord d{e.record.Location, 0, QLatin1String(label), value};
            ASSERT_TRUE(collection->details().insert(d));
        }
    }
    collection.reset(); // the program has the collection to itself

    // Every location field for ADV, in their fixed order with their default pictures.
    QStringList advFields;
    QStringList advMap;
    for (const ExportFieldEntry &f : AdvancedExportFields::allFields()) {
        if (!f.name.startsWith(u"URL:"_s))
            continue;
        advFields << f.name + u'@' + f.picture.mid(1);
        advMap << f.name + u'=' + QString::number(advMap.size() + 1) + f.picture;
    }
    const QString beside = u"Keywords - another table|Date Added - a detail|Last Modified - a "
                           "detail|Browser Keyword - a detail|Category description - Categories"_s;
    QStringList allLocation;
    for (const auto &[name, reader] : everyField()) {
        if (name.startsWith(u"URL:"_s))
            allLocation << name;
    }
    const std::vector<RoundTrip> trips{
        {"CSV",
         {u"--rating"_s, u"--site-info"_s},
         {},
         {u"URL:Location"_s,
          u"URL:Description"_s,
          u"URL:Category"_s,
          u"URL:Rating"_s,
          u"URL:SiteInfo"_s},
         QString(u"URL:Keyword|URL:LastVisit|URL:LastValidated|URL:Validated|URL:MovedTo|"
                 "URL:Comments|URL:UserName|URL:Password|URL:Expires|URL:PageSize|"
                 "URL:EmailAddress|URL:OriginalFilename - the import names the file it read|"
                 "URL:Custom1|URL:Custom2|URL:Custom3|"_s
                 + beside)
             .split(u'|')},
        {"ADV",
         {u"--header"_s, u"--fields"_s, advFields.join(u',')},
         {},
         allLocation,
         beside.split(u'|')},
        {"ADV",
         {u"--fields"_s, advFields.join(u',')},
         {u"--map"_s, advMap.join(u',')},
         allLocation,
         beside.split(u'|')},
        {"Bookmarks",
         {},
         {u"--nested-folders"_s},
         {u"URL:Location"_s,
          u"URL:Description"_s,
          u"URL:Category"_s,
          u"URL:SiteInfo"_s,
          u"URL:Comments"_s,
          u"URL:LastVisit"_s,
          u"Keywords"_s,
          QLatin1String(DetailLabel::DateAdded),
          QLatin1String(DetailLabel::LastModified),
          QLatin1String(DetailLabel::BrowserKeyword),
          u"Category description"_s},
         (u"URL:Rating|URL:Keyword - guessed from the title|URL:LastValidated|URL:Validated|"
          "URL:MovedTo|URL:UserName|URL:Password|URL:Expires|URL:PageSize|URL:EmailAddress|"
          "URL:OriginalFilename - the import names the file it read|URL:Custom1|URL:Custom2|"
          "URL:Custom3"_s)
             .split(u'|')},
    };
    for (const RoundTrip &trip : trips) {
        const QString type = QString::fromLatin1(trip.name);
        SCOPED_TRACE(qPrintable(type + u' ' + trip.exportArguments.join(u' ').left(20)));
        QStringList named = trip.carried;
        for (const QString &n : trip.notCarried)
            named << n.section(u" - "_s, 0, 0);
        QStringList every;
        for (const auto &[name, reader] : everyField())
            every << name;
        named.sort();
        every.sort();
        ASSERT_EQ(named, every) << "each field is carried or said not to be";

        const QString file = out(u"round."_s + type);
        CliResult r = runCli(in(QStringList{u"export"_s, type, file} + trip.exportArguments));
        ASSERT_EQ(r.code, 0) << r.err.constData();
        TempCollection other;
        ASSERT_TRUE(QDir().mkpath(other.folder()));
        const QString importType = type == u"Bookmarks"_s ? u"Netscape"_s : type;
        r = runCli(QStringList{u"--collection"_s,
                               other.folder(),
                               u"--create"_s,
                               u"import"_s,
                               importType,
                               file}
                   + trip.importArguments);
        ASSERT_EQ(r.code, 0) << r.err.constData();
        Collection source(temp.folder());
        ASSERT_TRUE(source.openAll(false));
        Collection back(other.folder());
        ASSERT_TRUE(back.openAll(false));
        EXPECT_EQ(back.locations().count(), qint64(entries.size()));
        for (const Entry &e : entries) {
            SCOPED_TRACE(qPrintable(e.record.Location.left(40)));
            LocationRecord got;
            ASSERT_TRUE(back.locations().get(e.record.Location, got)) << "the exact address";
            for (const auto &[name, reader] : everyField()) {
                if (trip.carried.contains(name)) {
                    EXPECT_EQ(reader(back, got).toStdString(), reader(source, e.record).toStdString())
                        << qPrintable(name);
                }
            }
        }
    }
}
