#include "framework/scripteduserinterface.h"
#include "linkcheck/analysis/pagedownload.h"
#include "pageserver.h"
#include "platform/inifile.h"
#include "support/tempcollection.h"

#include <QDir>

#include <atomic>
#include <QFile>

#include <gtest/gtest.h>

using namespace pk;

namespace {

class Download : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    QString folder() const { return temp.root() + QStringLiteral("/out"); }
    QString url(const std::string &path) const { return QString::fromStdString(server.url(path)); }
    QString fetch(const std::string &path)
    {
        return PageDownload::fetch(folder() + QLatin1Char('*'), url(path), temp.root());
    }
    QString logEntry(const QString &key)
    {
        IniFile log(temp.root() + QStringLiteral("/DOWNLOAD.LOG"));
        log.load();
        return log.value(QStringLiteral("Download"), key);
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    test::NoProxy noProxy;
    test::TempCollection temp;
    test::PageServer server;
};

} // namespace

TEST(DownloadFileName, DerivedFromTheLastPartOfTheAddress)
{
    EXPECT_EQ(PageDownload::deriveFileName(QStringLiteral("http://site/dir/page[1].html"), {}),
              QStringLiteral("page.html"));
    EXPECT_EQ(PageDownload::deriveFileName(QStringLiteral("http://site/a/b?x=1*2"), {}),
              QStringLiteral("b_x=1_2"));
    EXPECT_EQ(PageDownload::deriveFileName(QStringLiteral("http://site/dir/"),
                                           QStringLiteral("keep")),
              QStringLiteral("keep"));
    EXPECT_EQ(PageDownload::deriveFileName(QStringLiteral("C:\\cache\\doc[2][3].htm"), {}),
              QStringLiteral("doc.htm"));
}

TEST_F(Download, PageSavedUnderItsNameAndLogged)
{
    server.page(R"(/dir/page\[1\]\.html)", "<html>one</html>");
    server.start();
    const QString written = fetch("/dir/page[1].html");
    const QString expected = folder() + QStringLiteral("/page.html");
    EXPECT_EQ(written, expected);
    EXPECT_EQ(contents(expected), QByteArray("<html>one</html>"));
    EXPECT_TRUE(logEntry(url("/dir/page[1].html")).startsWith(expected + QStringLiteral(" on ")));
}

TEST_F(Download, AddressEndingInSlashTakesTheServersNameOrTempHtml)
{
    server.http.Get("/named/", [](const httplib::Request &, httplib::Response &res) {
        res.set_header("Content-Disposition", "attachment; filename=\"report.txt\"");
        res.set_content("report", "text/plain");
    });
    server.page("/", "<html>root</html>");
    server.start();
    EXPECT_EQ(fetch("/named/"), folder() + QStringLiteral("/report.txt"));
    EXPECT_EQ(fetch("/"), folder() + QStringLiteral("/temp.html"));
    EXPECT_EQ(contents(folder() + QStringLiteral("/temp.html")), QByteArray("<html>root</html>"));
}

TEST_F(Download, SameAddressTwiceOverwritesFileAndLogEntry)
{
    int calls = 0;
    server.http.Get("/a.html", [&calls](const httplib::Request &, httplib::Response &res) {
        res.set_content(++calls == 1 ? "first, longer text" : "second", "text/html");
    });
    server.start();
    fetch("/a.html");
    fetch("/a.html");
    EXPECT_EQ(contents(folder() + QStringLiteral("/a.html")), QByteArray("second"));
    const QString text = QString::fromUtf8(contents(temp.root() + QStringLiteral("/DOWNLOAD.LOG")));
    EXPECT_EQ(text.count(url("/a.html")), 1);
}

TEST_F(Download, FileTargetIsUsedAsGiven)
{
    server.page("/x", "data");
    server.start();
    const QString target = folder() + QStringLiteral("/chosen.bin");
    EXPECT_EQ(PageDownload::fetch(target, url("/x"), temp.root()), target);
    EXPECT_EQ(contents(target), QByteArray("data"));
}

TEST_F(Download, FailuresLeaveNoFileAndNoLogEntry)
{
    server.http.Get("/drop.html", [](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(100000,
                                 "text/html",
                                 [](size_t offset, size_t, httplib::DataSink &sink) {
                                     if (offset > 0)
                                         return false;
                                     sink.write("partial", 7);
                                     return true;
                                 });
    });
    server.start();
    EXPECT_TRUE(fetch("/drop.html").isEmpty());
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("/drop.html")));
    EXPECT_TRUE(logEntry(url("/drop.html")).isEmpty());

    EXPECT_TRUE(PageDownload::fetch(folder() + QLatin1Char('*'),
                                    QStringLiteral("http://127.0.0.1:1/gone.html"),
                                    temp.root())
                    .isEmpty());
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("/gone.html")));
    EXPECT_TRUE(PageDownload::fetch(folder() + QLatin1Char('*'), QString(), temp.root()).isEmpty());
}

TEST_F(Download, ProgressTextsAndLargePage)
{
    const std::string big = test::letters(50 * 1024 * 1024 + 17);
    // Served as it is: the server would pack a text page first, which takes long.
    server.http.Get("/big.html", [&big](const httplib::Request &, httplib::Response &res) {
        res.set_content(big, "application/octet-stream");
    });
    server.start();
    // The test server packs the whole page before its first byte, which on a busy machine
    // can take longer than the default time without a byte.
    FetchLimits limits;
    limits.silenceSeconds = 0;
    PageDownload download(folder() + QLatin1Char('*'),
                          url("/big.html"),
                          temp.root(),
                          nullptr,
                          limits);
    ASSERT_TRUE(download.start());
    EXPECT_EQ(download.statusText(), QStringLiteral("Downloading..."));
    bool sawUnknown = false;
    bool sawPercent = false;
    while (download.tick(20)) {
        sawUnknown = sawUnknown || download.countText().endsWith(QStringLiteral("/Unknown"));
        sawPercent = sawPercent || download.percentText().endsWith(QLatin1Char('%'));
    }
    EXPECT_TRUE(download.succeeded());
    EXPECT_TRUE(sawUnknown);
    EXPECT_TRUE(sawPercent);
    EXPECT_TRUE(download.speedText().endsWith(QStringLiteral("k/s")));
    EXPECT_EQ(download.bytes(), qint64(big.size()));
    EXPECT_EQ(QFileInfo(download.filePath()).size(), qint64(big.size()));
}

TEST_F(Download, CancelRemovesThePartialFile)
{
    server.page("/c.html", test::letters(4 * 1024 * 1024));
    server.start();
    PageDownload download(folder() + QLatin1Char('*'), url("/c.html"), temp.root());
    ASSERT_TRUE(download.start());
    while (download.tick(20) && download.bytes() == 0) {
    }
    download.cancel();
    EXPECT_FALSE(download.succeeded());
    EXPECT_TRUE(download.writtenFile().isEmpty());
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("/c.html")));
}

TEST_F(Download, ProxyOfTheDesktopSettingsIsUsedWithoutProxyVariables)
{
    // The loopback server stands in for the proxy: it is asked for the whole address.
    std::string asked;
    server.http.Get(".*", [&asked](const httplib::Request &req, httplib::Response &res) {
        asked = req.target;
        res.set_content("via proxy", "text/html");
    });
    server.start();
    const QString port = url("/").section(QLatin1Char(':'), 2).section(QLatin1Char('/'), 0, 0);
    ASSERT_TRUE(QDir().mkpath(temp.configHome() + QStringLiteral("/pathkeep")));
    QFile registry(temp.configHome() + QStringLiteral("/pathkeep/registry.ini"));
    ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
    registry.write(
        "[Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\nProxyEnable=1\n"
        "ProxyServer=127.0.0.1:"
        + port.toLatin1() + "\n");
    registry.close();
    const QString written = PageDownload::fetch(folder() + QLatin1Char('*'),
                                                QStringLiteral("http://pages.invalid/doc.html"),
                                                temp.root());
    EXPECT_EQ(asked, "http://pages.invalid/doc.html");
    EXPECT_EQ(contents(written), QByteArray("via proxy"));
}

TEST_F(Download, ErrorStatusIsAFailedDownloadAskedOnceWithAValidRequest)
{
    std::atomic<int> asked{0};
    std::atomic<bool> oddHeader{false};
    for (const int status : {403, 404, 500}) {
        server.http.Get("/e" + std::to_string(status) + ".html",
                        [&, status](const httplib::Request &request, httplib::Response &res) {
                            ++asked;
                            for (const auto &[name, value] : request.headers) {
                                if (name.find('=') != std::string::npos
                                    || value.find("action=") != std::string::npos)
                                    oddHeader = true;
                            }
                            res.status = status;
                            res.set_content("<html><title>Error</title></html>", "text/html");
                        });
    }
    server.start();
    for (const int status : {403, 404, 500}) {
        const std::string path = "/e" + std::to_string(status) + ".html";
        PageDownload download(folder() + QLatin1Char('*'), url(path), temp.root());
        ASSERT_TRUE(download.start());
        while (download.tick(20)) {
        }
        EXPECT_FALSE(download.succeeded()) << status;
        EXPECT_TRUE(download.writtenFile().isEmpty()) << status;
        EXPECT_TRUE(download.statusText().contains(QString::number(status))) << status;
        EXPECT_FALSE(QFile::exists(folder() + QLatin1Char('/') + QString::fromStdString(path)));
        EXPECT_TRUE(logEntry(url(path)).isEmpty()) << status;
    }
    EXPECT_EQ(asked.load(), 3); // an error status is not asked again
    EXPECT_FALSE(oddHeader.load());
}
