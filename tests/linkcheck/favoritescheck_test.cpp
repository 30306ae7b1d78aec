#include "linkcheckfixture.h"

#include "linkcheck/favoritescheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace pk;
using namespace pk::test;

namespace {

class FavoritesCheckTest : public LinkCheckTest
{
protected:
    void shortcut(const QString &relative, const QString &url)
    {
        const QString path = favorites() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
    }
    QString favorites() const { return temp.root() + QStringLiteral("/Favorites"); }
};

} // namespace

TEST_F(FavoritesCheckTest, ScanFindsShortcutsInSubFoldersSortedByPath)
{
    shortcut(QStringLiteral("b.url"), QStringLiteral("http://b.test/"));
    shortcut(QStringLiteral("Links/a.URL"), QStringLiteral("http://a.test/"));
    shortcut(QStringLiteral("Links/Deep/c.url"), QStringLiteral("http://c.test/"));
    shortcut(QStringLiteral("Links/desktop.ini"), QStringLiteral("not a shortcut"));
    const auto entries = FavoritesScan::scan(favorites());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path, QStringLiteral("b.url"));
    EXPECT_EQ(entries[1].path, QStringLiteral("Links/a.URL"));
    EXPECT_EQ(entries[1].url, QStringLiteral("http://a.test/"));
    EXPECT_EQ(entries[2].path, QStringLiteral("Links/Deep/c.url"));
    EXPECT_TRUE(FavoritesScan::scan(favorites() + QStringLiteral("/none")).empty());
}

TEST_F(FavoritesCheckTest, KeepsOnlyInvalidFavouritesAndLeavesTheCollectionAlone)
{
    LoopbackServer ok(answer("HTTP/1.1 200 OK"));
    LoopbackServer missing(answer("HTTP/1.1 404 Not Found"));
    LoopbackServer moved(answer("HTTP/1.1 301 Moved", {"Location: http://new.test/"}));
    shortcut(QStringLiteral("1 ok.url"), urlOf(ok));
    shortcut(QStringLiteral("2 missing.url"), urlOf(missing));
    shortcut(QStringLiteral("3 moved.url"), urlOf(moved));
    const QString dead = QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackServer::closedPort());
    shortcut(QStringLiteral("4 dead.url"), dead);
    addLocation(urlOf(missing));

    FavoritesCheck check(environment(400));
    ui.push(true);
    ASSERT_TRUE(check.confirm());
    EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Import from IE"));
    check.load(favorites());
    ASSERT_EQ(check.entries().size(), 4u);
    QStringList order;
    QObject::connect(&check, &FavoritesCheck::testStarted, [&order](LinkTest *t) {
        order << t->url();
    });
    check.run();
    ASSERT_TRUE(QTest::qWaitFor([&check] { return check.isFinished(); }, 10000));
    EXPECT_FALSE(check.wasCancelled());
    ASSERT_EQ(order.size(), 4);
    EXPECT_EQ(order.first(), dead);
    EXPECT_EQ(order.last(), urlOf(ok));

    ASSERT_EQ(check.entries().size(), 2u);
    EXPECT_EQ(check.entries()[0].path, QStringLiteral("2 missing.url"));
    EXPECT_EQ(check.entries()[1].path, QStringLiteral("4 dead.url"));
    EXPECT_EQ(location(urlOf(missing)).Validated, 0);
    EXPECT_TRUE(details(urlOf(missing)).empty());
}

TEST_F(FavoritesCheckTest, CancellingATestEndsTheCheck)
{
    LoopbackServer silent([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.hold();
    });
    shortcut(QStringLiteral("a.url"), urlOf(silent, "/a"));
    shortcut(QStringLiteral("b.url"), urlOf(silent, "/b"));
    FavoritesCheck check(environment());
    check.load(favorites());
    int started = 0;
    QObject::connect(&check, &FavoritesCheck::testStarted, [&started](LinkTest *t) {
        ++started;
        QTimer::singleShot(50, t, &LinkTest::cancel);
    });
    check.run();
    ASSERT_TRUE(QTest::qWaitFor([&check] { return check.isFinished(); }, 5000));
    EXPECT_TRUE(check.wasCancelled());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(check.entries().size(), 2u);
    silent.stop();
}
