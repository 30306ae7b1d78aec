#include "bookmarkfixture.h"

#include "import/browserimport.h"
#include "import/firefoxplaces.h"

#include <QProcess>
#include <QStandardPaths>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

/// What a browser keeps of a location.
struct Kept
{
    QString location;
    QString description;
    QString category;
    QString added; ///< the "Date Added" detail
    QStringList keywords;
    QString modified; ///< the "Last Modified" detail
    QString shortcut; ///< the "Browser Keyword" detail

    bool operator==(const Kept &) const = default;
};

void PrintTo(const Kept &k, std::ostream *os)
{
    *os << k.location.toStdString() << " | " << k.description.toStdString() << " | "
        << k.category.toStdString() << " | " << k.added.toStdString() << " | "
        << k.keywords.join(u',').toStdString() << " | " << k.modified.toStdString() << " | "
        << k.shortcut.toStdString();
}

std::vector<Kept> keptIn(Collection &collection, const std::vector<Kept> &expected)
{
    std::vector<Kept> out;
    for (const Kept &e : expected) {
        LocationRecord r;
        if (!collection.locations().get(e.location, r)) {
            out.push_back({e.location, u"(missing)"_s, {}, {}, {}, {}, {}});
            continue;
        }
        Kept k{r.Location, r.Description, r.Category, {}, {}, {}, {}};
        std::vector<DetailRecord> details;
        static_cast<void>(collection.details().list(r.Location, details));
        for (const DetailRecord &d : details) {
            if (d.DataLabel == QLatin1String(DetailLabel::DateAdded))
                k.added = d.DataValue;
            else if (d.DataLabel == QLatin1String(DetailLabel::LastModified))
                k.modified = d.DataValue;
            else if (d.DataLabel == QLatin1String(DetailLabel::BrowserKeyword))
                k.shortcut = d.DataValue;
        }
        std::vector<KeywordRecord> keywords;
        static_cast<void>(collection.keywords().list(r.Location, keywords));
        for (const KeywordRecord &w : keywords)
            k.keywords << w.Keyword;
        k.keywords.sort();
        out.push_back(k);
    }
    return out;
}

class FirefoxCorpusTest : public BookmarkFileTest
{};

} // namespace

// Firefox itself: it reads Pathkeep's bookmark file, writes its own and keeps places.sqlite;
// Pathkeep reads both back to what it wrote.
TEST_F(FirefoxCorpusTest, RealFirefoxKeepsWhatPathkeepExportsAndPathkeepReadsItBack)
{
    const QString firefox = QStandardPaths::findExecutable(u"firefox-esr"_s);
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (firefox.isEmpty() || python.isEmpty())
        GTEST_SKIP() << "firefox-esr (or python3) is not installed: the files Firefox writes "
                        "itself are not checked (scripts/install-deps.sh installs it)";

    // Addresses as Firefox keeps them (it would write a quote in a query as %22).
    std::vector<Kept> expected{
        {u"https://amp.test/?q=1&amp;r=2&s=3"_s,
         u"Tom &amp; Jerry <b>bold</b> \"dq\" 'sq' \u00fcn\u00efc\u00f6d\u00e9 \u65e5\u672c"_s,
         u"News"_s,
         u"2024-03-01T12:00:00Z"_s,
         {u"my tag"_s, u"work"_s, u"x&y"_s},
         u"2024-03-02T08:30:15Z"_s,
         u"amp"_s},
        {u"https://same.test/"_s,
         (u"Long & <title> \"\u00e9\u65e5\" "_s).repeated(13).left(254) + u"!"_s,
         u"News: News"_s,
         u"2001-09-09T01:46:40Z"_s,
         {u"\u00e9t\u00e9"_s},
         u"2001-09-09T01:46:41Z"_s,
         {}},
        {u"https://deeper.test/#frag&x"_s,
         u"&#10; stays"_s,
         u"News: News: News"_s,
         u"2020-01-01T00:00:00Z"_s,
         {},
         u"2020-01-01T00:00:00Z"_s,
         {}},
        {u"https://amp2.test/&lt;?x=%20y"_s,
         u"<>&\"'"_s,
         u"A & B: <C> \"d\""_s,
         u"1999-12-31T23:59:59Z"_s,
         {},
         u"2000-01-01T00:00:00Z"_s,
         u"k\u00e9y"_s},
    };
    for (const Kept &e : expected) {
        LocationRecord r;
        r.Location = e.location;
        r.Description = e.description;
        r.Category = e.category;
        keep(r,
             e.keywords,
             {{DetailLabel::DateAdded, e.added},
              {DetailLabel::LastModified, e.modified},
              {DetailLabel::BrowserKeyword, e.shortcut}});
    }
    const QString file = exportBookmarks(u"firefox/bookmarks.html"_s);

    const QString profile = temp.root() + u"/firefox/profile"_s;
    QProcess session;
    session.setProcessChannelMode(QProcess::MergedChannels);
    session.start(python, {QStringLiteral(PK_FIREFOX_SESSION), firefox, profile, file});
    ASSERT_TRUE(session.waitForFinished(280 * 1000)) << "Firefox did not end";
    ASSERT_EQ(session.exitCode(), 0) << session.readAll().toStdString();

    // Firefox's own bookmark file, read with folders nested.
    TempCollection fromFileTemp;
    Collection fromFile(fromFileTemp.folder());
    ASSERT_TRUE(fromFile.openAll(true));
    importBookmarks(fromFile, file);
    EXPECT_EQ(keptIn(fromFile, expected), expected);

    // Its database.
    std::vector<BrowserBookmark> bookmarks;
    QString error;
    ASSERT_TRUE(FirefoxPlaces::read(profile + u"/places.sqlite"_s, bookmarks, error))
        << error.toStdString();
    TempCollection fromPlacesTemp;
    Collection fromPlaces(fromPlacesTemp.folder());
    ASSERT_TRUE(fromPlaces.openAll(true));
    BrowserImport places(fromPlaces, errors, u"places.sqlite"_s, CategoryMode::Guess, {});
    places.setBookmarks(std::move(bookmarks));
    while (places.step()) {
    }
    EXPECT_EQ(keptIn(fromPlaces, expected), expected);
}
