#include "browse/capture/chromiumsession.h"
#include "browse/capture/firefoxsession.h"
#include "browse/capture/mozlz4.h"
#include "snsswriter.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace pk;
using pk::test::SnssWriter;

namespace {

QByteArray dataFile(const char *name)
{
    QFile file(QStringLiteral(PK_CAPTURE_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

QStringList addresses(const std::vector<SessionPage> &pages)
{
    QStringList out;
    for (const SessionPage &p : pages)
        out << p.address;
    return out;
}

} // namespace

TEST(MozLz4, ReadsWhatTheBrowsersWriteAndRefusesDamagedFiles)
{
    const QByteArray plain = QByteArray("{\"windows\":[]} ").repeated(500);
    const QByteArray packed = MozLz4::compress(plain);
    ASSERT_TRUE(packed.startsWith(QByteArrayView("mozLz40\0", 8)));
    EXPECT_LT(packed.size(), plain.size());
    EXPECT_EQ(MozLz4::decompress(packed), plain);
    EXPECT_EQ(MozLz4::decompress(MozLz4::compress({})), QByteArray());

    QString error;
    EXPECT_FALSE(MozLz4::decompress("mozLz40", &error));
    EXPECT_FALSE(MozLz4::decompress(QByteArray("mozLz41") + packed.mid(7), &error));
    EXPECT_EQ(error, u"not a mozLz4 file"_s);
    EXPECT_FALSE(MozLz4::decompress(packed.left(packed.size() - 5), &error));
    EXPECT_EQ(error, u"damaged compressed data"_s);
    // A header promising more (or less) than the block holds.
    QByteArray wrongSize = packed;
    wrongSize[8] = char(wrongSize[8] + 1);
    EXPECT_FALSE(MozLz4::decompress(wrongSize, &error));
    QByteArray huge = packed;
    huge[11] = char(0x7f);
    EXPECT_FALSE(MozLz4::decompress(huge, &error));
    EXPECT_EQ(error, u"too large"_s);
}

TEST(FirefoxSession, EachWindowGivesItsSelectedTabsCurrentEntry)
{
    const QByteArray json = R"({"windows":[
        {"selected":2,"tabs":[
            {"index":1,"entries":[{"url":"https://first.test/","title":"First"}]},
            {"index":1,"entries":[{"url":"https://back.test/","title":"Back"},
                                   {"url":"https://forward.test/","title":"Forward"}]}]},
        {"tabs":[{"entries":[{"url":"http://one.test/","title":"One"},
                              {"url":"http://two.test/","title":"Caf\u00e9 \u65e5\u672c"}]}]},
        {"selected":9,"tabs":[{"index":0,"entries":[{"url":"ftp://files.test/a"}]}]},
        {"selected":1,"tabs":[{"index":1,"entries":[{"url":"about:newtab","title":"New Tab"}]}]},
        {"selected":1,"tabs":[]},
        {"selected":1}],
      "_closedWindows":[{"selected":1,"tabs":[{"index":1,"entries":[{"url":"http://closed.test/"}]}]}]})";
    const auto pages = FirefoxSession::pages(json, u"Firefox"_s);
    ASSERT_TRUE(pages);
    // Tab "index" is 1-based into "entries", the last entry without one; places out of
    // range are clamped; the browser's own pages and closed windows are left out.
    ASSERT_EQ(pages->size(), 3u);
    EXPECT_EQ((*pages)[0], (SessionPage{u"Firefox"_s, u"Back"_s, u"https://back.test/"_s}));
    EXPECT_EQ((*pages)[1], (SessionPage{u"Firefox"_s, u"Café 日本"_s, u"http://two.test/"_s}));
    EXPECT_EQ((*pages)[2], (SessionPage{u"Firefox"_s, QString(), u"ftp://files.test/a"_s}));

    QString error;
    EXPECT_FALSE(FirefoxSession::pages("{\"windows\":", u"Firefox"_s, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(FirefoxSession::pages("{\"version\":1}", u"Firefox"_s, &error));
    EXPECT_EQ(error, u"no open windows recorded"_s);
    EXPECT_TRUE(FirefoxSession::pages("{\"windows\":[]}", u"Firefox"_s)->empty());
}

TEST(FirefoxSession, ReadsTheRecoveryFileFirefoxEsrWrote)
{
    const QString path = QStringLiteral(PK_CAPTURE_DATA "/firefox153-recovery.jsonlz4");
    const auto pages = FirefoxSession::readFile(path, u"Firefox"_s);
    ASSERT_TRUE(pages);
    ASSERT_EQ(pages->size(), 1u);
    EXPECT_EQ(pages->front().address, u"http://127.0.0.1:8791/other.html"_s);
    EXPECT_EQ(pages->front().title, u"Other Page"_s);

    QString error;
    EXPECT_FALSE(FirefoxSession::readFile(path + u".missing"_s, u"Firefox"_s, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ChromiumSession, ReplaysTabsWindowsAndSelections)
{
    SnssWriter file;
    // Window 1: three tabs, the one at position 1 selected, showing its second navigation.
    file.tab(1, 10, 0).navigation(10, 0, "https://a.test/", u"A"_s);
    file.tab(1, 11, 2).navigation(11, 0, "https://c.test/", u"C"_s);
    file.tab(1, 12, 1, 1)
        .navigation(12, 0, "https://b0.test/", u"B0"_s)
        .navigation(12, 1, "https://b1.test/", u"B1 日本"_s)
        .ints(ChromiumSession::SetSelectedTabInIndex, {1, 1});
    // Window 2: its tab moves to window 3, which is then made the active one.
    file.tab(2, 20, 0).navigation(20, 0, "http://moved.test/", u"Moved"_s);
    file.ints(ChromiumSession::SetTabWindow, {3, 20});
    file.ints(ChromiumSession::SetActiveWindow, {3});
    // Window 4 closes; tab 51 in window 5 closes, leaving tab 50.
    file.tab(4, 40, 0).navigation(40, 0, "http://closedwindow.test/", u"X"_s);
    file.ints(ChromiumSession::WindowClosed, {4, 0, 0, 0});
    file.tab(5, 50, 0).navigation(50, 0, "http://kept.test/", u"Kept"_s);
    file.tab(5, 51, 1).navigation(51, 0, "http://closedtab.test/", u"Y"_s);
    file.ints(ChromiumSession::SetSelectedTabInIndex, {5, 1});
    file.ints(ChromiumSession::TabClosed, {51, 0, 0, 0});
    // Window 6 shows the new tab page only.
    file.tab(6, 60, 0).navigation(60, 0, "chrome://newtab/", u"New Tab"_s);

    const auto result = ChromiumSession::pages(file.data(), u"Chromium"_s);
    ASSERT_EQ(result.outcome, ChromiumSession::Outcome::Read);
    EXPECT_EQ(addresses(result.pages),
              QStringList({u"http://moved.test/"_s, u"https://b1.test/"_s, u"http://kept.test/"_s}));
    EXPECT_EQ(result.pages[1], (SessionPage{u"Chromium"_s, u"B1 日本"_s, u"https://b1.test/"_s}));
}

TEST(ChromiumSession, PrunedNavigationsMoveTheSelection)
{
    const auto shown = [](const std::function<void(SnssWriter &)> &more) {
        SnssWriter file;
        file.tab(1, 10, 0, 3);
        for (int i = 0; i < 5; ++i)
            file.navigation(10, i, "http://n" + QByteArray::number(i) + ".test/", {});
        more(file);
        const auto pages = ChromiumSession::pages(file.data(), u"Chromium"_s).pages;
        return pages.empty() ? QString() : pages.front().address;
    };
    EXPECT_EQ(shown([](SnssWriter &) {}), u"http://n3.test/"_s);
    // Two dropped from the front: the selection (3) moves down to what was index 3.
    EXPECT_EQ(shown([](SnssWriter &f) {
                  f.ints(ChromiumSession::TabNavigationPathPrunedFromFront, {10, 2});
              }),
              u"http://n3.test/"_s);
    // Only the first two kept: the selection falls back to the last kept.
    EXPECT_EQ(shown([](SnssWriter &f) {
                  f.ints(ChromiumSession::TabNavigationPathPrunedFromBack, {10, 2});
              }),
              u"http://n1.test/"_s);
    // One dropped at index 1: the selected entry moves down with the rest.
    EXPECT_EQ(shown([](SnssWriter &f) {
                  f.ints(ChromiumSession::TabNavigationPathPruned, {10, 1, 1});
              }),
              u"http://n3.test/"_s);
    // A selection past the entries shows the last before it.
    EXPECT_EQ(shown([](SnssWriter &f) {
                  f.ints(ChromiumSession::SetSelectedNavigationIndex, {10, 40});
              }),
              u"http://n4.test/"_s);
}

TEST(ChromiumSession, CutOffUnknownAndShortRecordsDoNotStopTheRest)
{
    SnssWriter file;
    file.tab(1, 10, 0).navigation(10, 0, "http://first.test/", u"First"_s);
    file.record(99, "unknown command payload");
    file.record(255, {}); // the marker after the initial state
    file.record(ChromiumSession::SetSelectedTabInIndex, "\x01"); // too short: skipped
    file.record(ChromiumSession::UpdateTabNavigation, QByteArray("\x40\0\0\0\x0a\0\0\0", 8));
    file.tab(2, 20, 0).navigation(20, 0, "http://second.test/", u"Second"_s);
    const QByteArray whole = file.data();
    EXPECT_EQ(addresses(ChromiumSession::pages(whole, u"Chromium"_s).pages),
              QStringList({u"http://first.test/"_s, u"http://second.test/"_s}));

    // Every cut of the file reads what came before the cut.
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const auto result = ChromiumSession::pages(whole.left(cut), u"Chromium"_s);
        EXPECT_EQ(result.outcome,
                  cut < 8 ? ChromiumSession::Outcome::NotSession : ChromiumSession::Outcome::Read);
        EXPECT_LE(result.pages.size(), 2u);
    }
    // Damaged bytes anywhere give some reading, never a crash.
    QRandomGenerator random(29);
    for (int round = 0; round < 2000; ++round) {
        QByteArray damaged = whole;
        for (int i = 0; i < 4; ++i)
            damaged[8 + random.bounded(int(damaged.size() - 8))] = char(random.bounded(256));
        ChromiumSession::pages(damaged, u"Chromium"_s);
    }
}

TEST(ChromiumSession, TellsEncryptedAndForeignFilesApart)
{
    EXPECT_EQ(ChromiumSession::pages(SnssWriter(5).data(), u"Chromium"_s).outcome,
              ChromiumSession::Outcome::Encrypted);
    EXPECT_EQ(ChromiumSession::pages(SnssWriter(2).data(), u"Chromium"_s).outcome,
              ChromiumSession::Outcome::Encrypted);
    EXPECT_EQ(ChromiumSession::pages(SnssWriter(1).data(), u"Chromium"_s).outcome,
              ChromiumSession::Outcome::Read);
    EXPECT_EQ(ChromiumSession::pages(SnssWriter(77).data(), u"Chromium"_s).outcome,
              ChromiumSession::Outcome::NotSession);
    EXPECT_EQ(ChromiumSession::pages("SNSX\3\0\0\0", u"Chromium"_s).outcome,
              ChromiumSession::Outcome::NotSession);
}

TEST(ChromiumSession, ReadsTheSessionFileChromium156Wrote)
{
    // Two tabs, the second opened later by a second start of the browser and selected. The
    // browser writes the page's address before its title.
    const auto result = ChromiumSession::pages(dataFile("chromium156-session"), u"Chromium"_s);
    ASSERT_EQ(result.outcome, ChromiumSession::Outcome::Read);
    ASSERT_EQ(result.pages.size(), 1u);
    EXPECT_EQ(result.pages.front().address, u"http://127.0.0.1:8791/other.html"_s);
    EXPECT_EQ(ChromiumSession::pages(dataFile("chromium156-session-encrypted"), u"Chromium"_s)
                  .outcome,
              ChromiumSession::Outcome::Encrypted);
}
