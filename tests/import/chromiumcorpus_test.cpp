#include "bookmarkfixture.h"

#include "import/browserimport.h"
#include "import/chromiumbookmarks.h"
#include "store/folderchain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTimeZone>

#include <unistd.h>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

/// An address of exactly `length` characters.
QString addressOfLength(const QString &start, int length)
{
    return start + QString(length - start.size(), u'x');
}

class ChromiumCorpusTest : public BookmarkFileTest
{
protected:
    void SetUp() override
    {
        BookmarkFileTest::SetUp();
        m_chromium = QStandardPaths::findExecutable(u"chromium"_s);
        m_python = QStandardPaths::findExecutable(u"python3"_s);
    }

    bool available() const { return !m_chromium.isEmpty() && !m_python.isEmpty(); }

    /// Runs chromium_session.py; the profile's "Bookmarks" file, read, on success.
    std::vector<BrowserBookmark> session(int links, const QStringList &options)
    {
        const QString profile = temp.root() + u"/chromium"_s;
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(m_python,
                  QStringList{QStringLiteral(PK_CHROMIUM_SESSION),
                              m_chromium,
                              profile,
                              QString::number(links)}
                      + options);
        const bool ended = run.waitForFinished(280 * 1000);
        EXPECT_TRUE(ended) << "Chromium did not end";
        EXPECT_EQ(run.exitCode(), 0) << run.readAll().toStdString();
        std::vector<BrowserBookmark> bookmarks;
        QString error;
        EXPECT_TRUE(ChromiumBookmarks::read(profile + u"/data/Default/Bookmarks"_s, bookmarks, error))
            << error.toStdString();
        return bookmarks;
    }

    QString m_chromium;
    QString m_python;
};

} // namespace

// Chromium itself makes the bookmarks (through its extension interface, as a user's extension
// or sync would) and writes its file; Pathkeep's Chromium import reads every link of it.
TEST_F(ChromiumCorpusTest, EveryLinkChromiumWritesArrivesExactly)
{
    if (!available())
        GTEST_SKIP() << "chromium (or python3) is not installed: the file Chromium writes itself "
                        "is not checked (scripts/install-deps.sh installs it)";
    struct Entry
    {
        QString root; ///< "bookmark_bar" or "other"
        QStringList folders;
        QString title;
        QString address; ///< as Chromium keeps it (already in its canonical form)
        QString category;
        QString description;
    };
    const QString title255 = (u"\u00e9\u65e5 & <x> \"q\" "_s).repeated(20).left(254) + u"!"_s;
    const std::vector<Entry> entries{
        {u"bookmark_bar"_s,
         {u"News & <Weather>"_s, u"Local \"quoted\""_s},
         u"Tom &amp; Jerry <b>bold</b> \"dq\" 'sq' \u00fcn\u00efc\u00f6d\u00e9 \u65e5\u672c"_s,
         u"https://amp.test/?q=1&amp;r=2&s=%22x%22#frag&y"_s,
         u"News & <Weather>: Local \"quoted\""_s,
         u"Tom &amp; Jerry <b>bold</b> \"dq\" 'sq' \u00fcn\u00efc\u00f6d\u00e9 \u65e5\u672c"_s},
        {u"bookmark_bar"_s, {}, u"Top"_s, u"https://top.test/"_s, u"Bookmarks bar"_s, u"Top"_s},
        {u"bookmark_bar"_s,
         {u"News & <Weather>"_s},
         title255,
         addressOfLength(u"https://long.test/256/"_s, 256),
         u"News & <Weather>"_s,
         title255},
        {u"other"_s,
         {u"Deep"_s, u"er"_s, u"\u6771\u4eac \u00e9t\u00e9"_s},
         u"Line\tand  spaces"_s,
         addressOfLength(u"https://long.test/1000/?a=1&b="_s, 1000),
         u"Deep: er: \u6771\u4eac \u00e9t\u00e9"_s,
         u"Line and spaces"_s},
        {u"other"_s,
         {},
         u"The longest address"_s,
         addressOfLength(u"https://long.test/2048/"_s, 2048),
         u"Other bookmarks"_s,
         u"The longest address"_s},
    };
    QJsonArray json;
    for (const Entry &e : entries)
        json.append(QJsonObject{{u"root"_s, e.root},
                                {u"folders"_s, QJsonArray::fromStringList(e.folders)},
                                {u"title"_s, e.title},
                                {u"url"_s, e.address}});
    const QString entriesFile = temp.root() + u"/entries.json"_s;
    {
        QFile f(entriesFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(json).toJson());
    }

    // Chromium stamps each bookmark with the time it was made.
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
    std::vector<BrowserBookmark> bookmarks = session(int(entries.size()),
                                                     {u"--create"_s, entriesFile});
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
    ASSERT_EQ(bookmarks.size(), entries.size());

    BrowserImport import(c(), errors, u"Bookmarks"_s, CategoryMode::Guess, {});
    import.setBookmarks(std::move(bookmarks));
    while (import.step()) {
    }
    EXPECT_EQ(import.added(), int(entries.size()));
    for (const Entry &e : entries) {
        SCOPED_TRACE(e.address.left(40).toStdString());
        LocationRecord r;
        ASSERT_TRUE(c().locations().get(e.address, r)) << "not stored under its exact address";
        EXPECT_EQ(r.Description, e.description);
        EXPECT_EQ(r.Category, e.category);
        EXPECT_EQ(r.LastVisit, 0) << "Chromium's \"0\" is no visit";
        std::vector<DetailRecord> details;
        ASSERT_TRUE(c().details().list(e.address, details));
        ASSERT_EQ(details.size(), 1u);
        EXPECT_EQ(details[0].DataLabel, QLatin1String(DetailLabel::DateAdded));
        const QDateTime added = QDateTime::fromString(details[0].DataValue, Qt::ISODate);
        EXPECT_TRUE(added >= before && added <= after) << details[0].DataValue.toStdString();
    }
}

// Pathkeep's bookmark file, imported by Chromium on its first run: Chromium keeps every link
// with its address, title, folders and date added (it has no place for tags, notes, the date
// last changed or the last visit).
TEST_F(ChromiumCorpusTest, ChromiumImportsPathkeepsBookmarkFile)
{
    if (!available())
        GTEST_SKIP() << "chromium (or python3) is not installed";
    if (::geteuid() != 0 || !QFile::exists(u"/etc/chromium/master_preferences"_s)
        || QProcess::execute(u"unshare"_s, {u"-m"_s, u"true"_s}) != 0)
        GTEST_SKIP() << "Chromium takes a file to import only from its fixed initial "
                        "preferences, bound over in a mount namespace: needs root and unshare";
    struct Kept
    {
        QString location;
        QString description;
        QString category;
        QString added;
    };
    const std::vector<Kept> kept{
        {u"https://amp.test/?q=1&amp;r=2"_s,
         u"Tom &amp; Jerry <b>bold</b> \"dq\" 'sq' \u00fcn\u00efc\u00f6d\u00e9 \u65e5\u672c"_s,
         u"News & <Weather>"_s,
         u"2024-03-01T12:00:00Z"_s},
        {addressOfLength(u"https://long.test/2048/"_s, 2048),
         u"Longest"_s,
         u"News & <Weather>: Local"_s,
         u"2001-09-09T01:46:40Z"_s},
        {u"https://plain.test/"_s, u"Plain"_s, u"A & B: <C> \"d\""_s, u"1999-12-31T23:59:59Z"_s},
    };
    for (const Kept &k : kept) {
        LocationRecord r;
        r.Location = k.location;
        r.Description = k.description;
        r.Category = k.category;
        keep(r, {}, {{DetailLabel::DateAdded, k.added}});
    }
    const QString file = exportBookmarks(u"bookmarks.html"_s);

    const std::vector<BrowserBookmark> bookmarks = session(int(kept.size()), {u"--import"_s, file});
    for (const Kept &k : kept) {
        SCOPED_TRACE(k.location.left(40).toStdString());
        const auto found = std::find_if(bookmarks.begin(),
                                        bookmarks.end(),
                                        [&](const BrowserBookmark &b) {
                                            return b.address == k.location;
                                        });
        ASSERT_NE(found, bookmarks.end()) << "Chromium did not keep the exact address";
        EXPECT_EQ(found->title, k.description);
        // On a new profile Chromium puts the file's folders straight onto the bookmarks bar.
        EXPECT_EQ(found->folders, FolderChain::split(k.category));
        EXPECT_EQ(found->added, QDateTime::fromString(k.added, Qt::ISODate));
    }
}
