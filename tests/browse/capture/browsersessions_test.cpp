#include "browse/capture/browsersessions.h"
#include "browse/capture/mozlz4.h"
#include "snsswriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using namespace pk;
using pk::test::SnssWriter;

namespace {

/// A home folder with browser profiles in it, running or not.
class BrowserSessionsTest : public ::testing::Test
{
protected:
    QString path(const QString &relative) const { return QDir(m_home.path()).filePath(relative); }

    void write(const QString &relative, const QByteArray &data) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    /// The lock a running browser holds: a link naming this process, or one that has ended.
    void lock(const QString &relative, const QString &target) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        ASSERT_TRUE(QFile::link(target, path(relative)));
    }

    static QString live()
    {
        return u"127.0.0.1:+"_s + QString::number(QCoreApplication::applicationPid());
    }
    static QString gone() { return u"host-2147483646"_s; }

    static QByteArray firefoxSession(const QString &address, const QString &title)
    {
        return MozLz4::compress(
            u"{\"windows\":[{\"selected\":1,\"tabs\":[{\"index\":1,"
            "\"entries\":[{\"url\":\"%1\",\"title\":\"%2\"}]}]}]}"_s.arg(address, title)
                .toUtf8());
    }

    static QByteArray chromiumSession(const QByteArray &address, const QString &title)
    {
        SnssWriter file;
        file.tab(1, 1, 0).navigation(1, 0, address, title);
        return file.data();
    }

    QStringList addresses(const SessionCapture &capture) const
    {
        QStringList out;
        for (const SessionPage &p : capture.pages)
            out << p.browser + u": "_s + p.address;
        return out;
    }

    QTemporaryDir m_home;
};

} // namespace

TEST_F(BrowserSessionsTest, ReadsTheRunningProfilesOfBothFamilies)
{
    // Firefox in its new folder and in the old one, with a profile listed twice through a
    // link; one profile running, one not.
    write(u".config/mozilla/firefox/profiles.ini"_s,
          "[Profile0]\nName=default-esr\nIsRelative=1\nPath=abc.default-esr\n"
          "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\n");
    write(u".config/mozilla/firefox/abc.default-esr/sessionstore-backups/recovery.jsonlz4"_s,
          firefoxSession(u"http://fox.test/"_s, u"Fox"_s));
    lock(u".config/mozilla/firefox/abc.default-esr/lock"_s, live());
    write(u".config/mozilla/firefox/old.default/sessionstore-backups/recovery.jsonlz4"_s,
          firefoxSession(u"http://old.test/"_s, u"Old"_s));
    lock(u".config/mozilla/firefox/old.default/lock"_s, gone());
    write(u".mozilla/firefox/profiles.ini"_s,
          QByteArray("[Profile0]\nIsRelative=0\nPath=")
              + path(u".config/mozilla/firefox/abc.default-esr"_s).toUtf8() + '\n');

    // Chromium: the newest session file of each profile the running browser has open.
    write(u".config/chromium/Default/Sessions/Session_13300000000000000"_s,
          chromiumSession("http://older.test/", u"Older"_s));
    write(u".config/chromium/Default/Sessions/Session_13400000000000000"_s,
          chromiumSession("http://chrome.test/", u"Chrome"_s));
    write(u".config/chromium/Default/Sessions/Tabs_13500000000000000"_s, "not a session");
    write(u".config/chromium/Profile 1/Sessions/Session_13400000000000000"_s,
          chromiumSession("http://notopen.test/", u"Not open"_s));
    write(u".config/chromium/Local State"_s, "{}");
    lock(u".config/chromium/SingletonLock"_s,
         u"vm-"_s + QString::number(QCoreApplication::applicationPid()));
    // Profile 1 was last written before the browser started.
    QFile old(path(u".config/chromium/Profile 1/Sessions/Session_13400000000000000"_s));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addDays(-2),
                                QFileDevice::FileModificationTime));
    old.close();
    // Brave is not running.
    write(u".config/BraveSoftware/Brave-Browser/Default/Sessions/Session_1"_s,
          chromiumSession("http://brave.test/", u"Brave"_s));

    const SessionCapture capture = BrowserSessions::read(m_home.path(), {});
    EXPECT_EQ(addresses(capture),
              QStringList({u"Firefox: http://fox.test/"_s, u"Chromium: http://chrome.test/"_s}));
    EXPECT_TRUE(capture.notes.isEmpty()) << capture.notes.join(u'\n').toStdString();
}

TEST_F(BrowserSessionsTest, SaysOnceWhyARunningBrowsersPagesAreMissing)
{
    // LibreWolf runs two profiles without session files (session restore off).
    write(u".librewolf/profiles.ini"_s,
          "[Profile0]\nIsRelative=1\nPath=one\n[Profile1]\nIsRelative=1\nPath=two\n");
    QDir().mkpath(path(u".librewolf/one"_s));
    QDir().mkpath(path(u".librewolf/two"_s));
    lock(u".librewolf/one/lock"_s, live());
    lock(u".librewolf/two/lock"_s, live());
    // Firefox's file is damaged.
    write(u".mozilla/firefox/profiles.ini"_s, "[Profile0]\nIsRelative=1\nPath=p\n");
    write(u".mozilla/firefox/p/sessionstore-backups/recovery.jsonlz4"_s,
          firefoxSession(u"http://cut.test/"_s, u"Cut"_s).chopped(3));
    lock(u".mozilla/firefox/p/lock"_s, live());
    // Chromium keeps only an encrypted session; Google Chrome writes a plain file of the
    // encrypted kind; Vivaldi's file is of a version not known.
    write(u".config/chromium/Default/Sessions_Encrypted/Session_13400000000000000"_s,
          SnssWriter(5).data());
    lock(u".config/chromium/SingletonLock"_s, live());
    write(u".config/google-chrome/Default/Sessions/Session_13400000000000000"_s,
          SnssWriter(4).data());
    lock(u".config/google-chrome/SingletonLock"_s, live());
    write(u".config/vivaldi/Default/Sessions/Session_13400000000000000"_s, SnssWriter(9).data());
    lock(u".config/vivaldi/SingletonLock"_s, live());

    const SessionCapture capture = BrowserSessions::read(m_home.path(), {});
    EXPECT_TRUE(capture.pages.empty());
    EXPECT_EQ(capture.notes,
              QStringList(
                  {u"The session file of Firefox could not be read (damaged compressed "
                   "data): its pages are not listed."_s,
                   u"LibreWolf has no session file (it writes one within seconds of a change, "
                   "unless session restore is turned off): its pages are not listed."_s,
                   u"Chromium keeps its open pages only in an encrypted session file, which "
                   "cannot be read: its pages are not listed."_s,
                   u"Google Chrome keeps its open pages only in an encrypted session file, which "
                   "cannot be read: its pages are not listed."_s,
                   u"The session file of Vivaldi could not be read (not a session file of a "
                   "known version): its pages are not listed."_s}));
}

TEST_F(BrowserSessionsTest, FoldersUnderConfigAreLookedForInTheConfigurationFolder)
{
    // $XDG_CONFIG_HOME elsewhere: the browsers keep their profiles there.
    write(u"xdg/chromium/Default/Sessions/Session_13400000000000000"_s,
          chromiumSession("http://xdg.test/", u"XDG"_s));
    lock(u"xdg/chromium/SingletonLock"_s, live());
    write(u".config/chromium/Default/Sessions/Session_13400000000000000"_s,
          chromiumSession("http://dotconfig.test/", u"Dot config"_s));
    lock(u".config/chromium/SingletonLock"_s, live());
    EXPECT_EQ(addresses(BrowserSessions::read(m_home.path(), path(u"xdg"_s))),
              QStringList({u"Chromium: http://xdg.test/"_s, u"Chromium: http://dotconfig.test/"_s}));
    // The same folder by both names is read once.
    EXPECT_EQ(addresses(BrowserSessions::read(m_home.path(), path(u".config"_s))),
              QStringList({u"Chromium: http://dotconfig.test/"_s}));
}

TEST_F(BrowserSessionsTest, ChromiumsUntitledPagesTakeTheirTitlesFromItsHistory)
{
    // The browser records a page's title in its history, not in the session.
    write(u".config/chromium/Profile 1/Sessions/Session_13400000000000000"_s,
          SnssWriter()
              .tab(1, 1, 0)
              .navigation(1, 0, "http://127.0.0.1:8791/page.html", {})
              .tab(2, 2, 0)
              .navigation(2, 0, "http://unvisited.test/", {})
              .data());
    lock(u".config/chromium/SingletonLock"_s, live());
    sqlite3 *db = nullptr;
    const QByteArray history = QFile::encodeName(path(u".config/chromium/Profile 1/History"_s));
    ASSERT_EQ(sqlite3_open(history.constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title "
                           "LONGVARCHAR, last_visit_time INTEGER);"
                           "INSERT INTO urls(url, title, last_visit_time) VALUES"
                           " ('http://127.0.0.1:8791/page.html', 'Old Title', 1),"
                           " ('http://127.0.0.1:8791/page.html', 'Grab Me Page', 2),"
                           " ('http://127.0.0.1:8791/page.html', '', 3);",
                           nullptr,
                           nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    const SessionCapture capture = BrowserSessions::read(m_home.path(), {});
    ASSERT_EQ(capture.pages.size(), 2u);
    EXPECT_EQ(capture.pages[0].title, u"Grab Me Page"_s);
    EXPECT_EQ(capture.pages[1].title, QString());

    // A damaged history gives no titles and no failure.
    write(u".config/chromium/Profile 1/History"_s, "not a database");
    EXPECT_EQ(BrowserSessions::read(m_home.path(), {}).pages.size(), 2u);
}

TEST_F(BrowserSessionsTest, ALockIsHeldWhileItsProcessLives)
{
    lock(u"firefox"_s, live());
    lock(u"chromium"_s, u"some-host-"_s + QString::number(QCoreApplication::applicationPid()));
    lock(u"ended"_s, gone());
    lock(u"foreign"_s, u"held somehow"_s);
    EXPECT_TRUE(BrowserSessions::isHeld(path(u"firefox"_s)));
    EXPECT_TRUE(BrowserSessions::isHeld(path(u"chromium"_s)));
    EXPECT_FALSE(BrowserSessions::isHeld(path(u"ended"_s)));
    EXPECT_TRUE(BrowserSessions::isHeld(path(u"foreign"_s)));
    EXPECT_FALSE(BrowserSessions::isHeld(path(u"missing"_s)));
    write(u"plain"_s, "not a link");
    EXPECT_FALSE(BrowserSessions::isHeld(path(u"plain"_s)));
}
