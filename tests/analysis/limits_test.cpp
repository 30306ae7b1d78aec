// Page download and analysis against hostile servers: compression bombs, endless bodies,
// servers that drip or stall. Every limit is set small, so each case ends in moments; the
// servers themselves give up after a while, so a broken limit fails the test instead of
// hanging it.
#include "framework/scripteduserinterface.h"
#include "linkcheck/analysis/analysistokens.h"
#include "linkcheck/analysis/pagedownload.h"
#include "linkcheck/analysis/urlanalyzer.h"
#include "linkcheck/fetchlimits.h"
#include "loopbackserver.h"
#include "pageserver.h"
#include "platform/inifile.h"
#include "support/tempcollection.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <zlib.h>

using namespace pk;
using namespace pk::test;

namespace {

/// `size` zero bytes packed with gzip: a few kilobytes that unpack to anything asked.
std::string gzipBomb(std::size_t size)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY), Z_OK);
    const std::string zeros(1 << 20, '\0');
    std::string out;
    char buffer[1 << 16];
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(zeros.size(), size - done);
        done += n;
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.data()));
        stream.avail_in = uInt(n);
        const int flush = done == size ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

constexpr const char *PageHead = "<html><head><title>Hostile</title></head><body>";

/// A page packed with gzip that unpacks to 256 MB.
LoopbackServer::Handler bomb()
{
    static const std::string packed = gzipBomb(std::size_t(256) << 20);
    return [](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Encoding: gzip\r\n"
               "Content-Length: "
               + std::to_string(packed.size()) + "\r\n\r\n");
        c.send(packed);
        c.hold();
    };
}

/// A page without a length that goes on (up to 1 GB, as fast as it is read).
LoopbackServer::Handler endless()
{
    return [](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send(std::string("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n") + PageHead);
        const std::string chunk(64 * 1024, 'x');
        for (int i = 0; i < 16 * 1024 && c.send(chunk); ++i) {
        }
    };
}

/// A page announcing 2 GB.
LoopbackServer::Handler announcedHuge()
{
    return [](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2147483648\r\n\r\n");
        c.send(PageHead);
        c.hold();
    };
}

/// A page sent one byte every 50 ms (for up to a minute).
LoopbackServer::Handler drip()
{
    return [](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send(std::string("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n") + PageHead);
        for (int i = 0; i < 1200 && c.send("x"); ++i)
            c.pause(50);
    };
}

/// A page whose header comes and then nothing more.
LoopbackServer::Handler stall()
{
    return [](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send(std::string("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n") + PageHead);
        c.hold();
    };
}

QString urlOf(const LoopbackServer &server, const char *path)
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(QLatin1String(path));
}

FetchLimits small()
{
    FetchLimits limits = FetchLimits::none();
    limits.requestSeconds = 60; // a safety net: no case below should come near it
    return limits;
}

class HostileServers : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    QString folder() const { return temp.root() + QStringLiteral("/out"); }
    QStringList filesLeft() const
    {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    NoProxy noProxy;
    TempCollection temp;
};

} // namespace

TEST_F(HostileServers, DownloadEndsAtEachLimitWithItsMessageAndLeavesNoFile)
{
    struct Case
    {
        const char *name;
        LoopbackServer::Handler handler;
        FetchLimits limits;
        QString expected;
    };
    std::vector<Case> cases;
    FetchLimits unpacked = small();
    unpacked.unpackedBytes = 1 << 20;
    cases.push_back({"bomb, unpacked size", bomb(), unpacked, unpacked.unpackedText()});
    FetchLimits ratio = small();
    ratio.unpackRatio = 50;
    cases.push_back({"bomb, ratio", bomb(), ratio, ratio.ratioText()});
    FetchLimits page = small();
    page.pageBytes = 512 * 1024;
    cases.push_back({"endless body", endless(), page, page.pageText()});
    cases.push_back({"announced 2 GB", announcedHuge(), page, page.pageText()});
    FetchLimits whole = small();
    whole.requestSeconds = 1;
    cases.push_back({"byte drip", drip(), whole, whole.requestTimeText()});
    FetchLimits silence = small();
    silence.silenceSeconds = 1;
    cases.push_back({"stalled body", stall(), silence, silence.silenceText()});

    for (Case &c : cases) {
        LoopbackServer server(c.handler);
        const QString url = urlOf(server, "/page.html");
        QString why;
        const QString written = PageDownload::fetch(folder() + QLatin1Char('*'),
                                                    url,
                                                    temp.root(),
                                                    c.limits,
                                                    nullptr,
                                                    &why);
        EXPECT_TRUE(written.isEmpty()) << c.name;
        EXPECT_EQ(why, c.expected) << c.name;
        EXPECT_TRUE(filesLeft().isEmpty())
            << c.name << ": " << filesLeft().join(u' ').toStdString();
        EXPECT_TRUE(IniFile::read(temp.root() + QStringLiteral("/DOWNLOAD.LOG"),
                                  QStringLiteral("Download"),
                                  url)
                        .isEmpty())
            << c.name;
        // Asked once: a limit gives the same answer however often it is asked.
        EXPECT_EQ(server.connections(), 1) << c.name;
        server.stop();
    }
}

TEST_F(HostileServers, FailedDownloadKeepsTheEarlierFileAndLeavesNoPart)
{
    QFile earlier(folder() + QStringLiteral("/page.html"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier download");
    earlier.close();
    // Half a page, then the server breaks off.
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(50000, 'p'));
    });
    QString why;
    const QString written = PageDownload::fetch(folder() + QLatin1Char('*'),
                                                urlOf(server, "/page.html"),
                                                temp.root(),
                                                small(),
                                                nullptr,
                                                &why);
    EXPECT_TRUE(written.isEmpty());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(filesLeft(), QStringList{QStringLiteral("page.html")});
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier download"));
    earlier.close();

    // Cancelled half-way, the same.
    LoopbackServer slow(stall());
    PageDownload download(folder() + QLatin1Char('*'),
                          urlOf(slow, "/page.html"),
                          temp.root(),
                          nullptr,
                          small());
    ASSERT_TRUE(download.start());
    while (download.tick(20) && download.bytes() == 0) {
    }
    download.cancel();
    EXPECT_TRUE(download.failureText().isEmpty());
    EXPECT_EQ(filesLeft(), QStringList{QStringLiteral("page.html")});
    slow.stop();
}

TEST_F(HostileServers, AnalysisReadsAtMostTheLargestPageAndFailsOnStallsAndBombs)
{
    // A page that never ends is analysed as far as the largest page goes.
    {
        LoopbackServer server(endless());
        FetchLimits limits = small();
        limits.pageBytes = 256 * 1024;
        UrlAnalyzer analyzer(urlOf(server, "/"), limits);
        while (analyzer.tick(20)) {
        }
        EXPECT_EQ(analyzer.result(), 256 * 1024);
        EXPECT_TRUE(analyzer.failureText().isEmpty());
        EXPECT_FALSE(
            analyzer.statusLines().filter(QStringLiteral("Only the first 256 KB")).isEmpty());
        const std::vector<QString> &tokens = analyzer.tokens();
        EXPECT_NE(std::find(tokens.begin(), tokens.end(), QStringLiteral("Hostile")), tokens.end());
        server.stop();
    }
    struct Case
    {
        const char *name;
        LoopbackServer::Handler handler;
        FetchLimits limits;
        QString expected;
    };
    FetchLimits ratio = small();
    ratio.unpackRatio = 50;
    FetchLimits whole = small();
    whole.requestSeconds = 1;
    FetchLimits silence = small();
    silence.silenceSeconds = 1;
    std::vector<Case> cases = {{"bomb", bomb(), ratio, ratio.ratioText()},
                               {"drip", drip(), whole, whole.requestTimeText()},
                               {"stall", stall(), silence, silence.silenceText()}};
    for (Case &c : cases) {
        LoopbackServer server(c.handler);
        std::vector<QString> tokens;
        QString why;
        EXPECT_EQ(UrlAnalyzer::fetchWith(urlOf(server, "/"), tokens, c.limits, &why), 2) << c.name;
        EXPECT_EQ(why, c.expected) << c.name;
        server.stop();
    }
}

TEST(AnalysisTokens, KeepsWhatTheAnalysisReadsAndLetsTheRestGo)
{
    std::vector<QString> cut;
    for (const char *token : {"<html>",
                              "<head>",
                              "<TITLE>",
                              "Home",
                              "</title>",
                              "<b>",
                              "<meta name=\"author\" content=\"x\">",
                              "<a href=\"/x\">",
                              "<a href=\"mailto:\">",
                              "<a href=\"mailto:me@site\">",
                              "<a href=\"mailto:you@site\">",
                              "text before the body",
                              "<body>",
                              "<i>",
                              "visible"})
        cut.emplace_back(QLatin1String(token));
    for (int i = 0; i < 10000; ++i)
        cut.emplace_back(QStringLiteral("<b>"));
    const QString block(1500, QLatin1Char('w'));
    cut.insert(cut.end(), 3, block);
    AnalysisTokens kept;
    kept.take(cut);
    EXPECT_TRUE(cut.empty());
    const std::vector<QString> expected = {QStringLiteral("<TITLE>"),
                                           QStringLiteral("Home"),
                                           QStringLiteral("<meta name=\"author\" content=\"x\">"),
                                           QStringLiteral("<a href=\"mailto:\">"),
                                           QStringLiteral("<a href=\"mailto:me@site\">"),
                                           QStringLiteral("<body>"),
                                           QStringLiteral("visible"),
                                           block,
                                           block};
    EXPECT_EQ(kept.tokens(), expected);

    // Meta tags past the most kept are counted, not kept.
    for (int i = 0; i < AnalysisTokens::MaxMetaTags + 5; ++i)
        cut.emplace_back(QStringLiteral("<meta name=\"n\" content=\"v\">"));
    kept.take(cut);
    EXPECT_EQ(kept.metaTagsLeftOut(), 6);
}

TEST(FetchLimitsSettings, DefaultsRoundTripAndRange)
{
    TempCollection temp;
    IniFile ini(temp.root() + QStringLiteral("/PATHKEEP.INI"));
    EXPECT_EQ(FetchLimits::load(ini), FetchLimits());
    FetchLimits limits;
    limits.pageBytes = 64 * 1024;
    limits.unpackedBytes = 0;
    limits.unpackRatio = 20;
    limits.requestSeconds = 5;
    limits.silenceSeconds = 2;
    limits.save(ini);
    EXPECT_EQ(ini.value(QStringLiteral("Testing"), QStringLiteral("LargestPageKB")),
              QStringLiteral("64"));
    EXPECT_EQ(FetchLimits::load(ini), limits);
    ini.setValue(QStringLiteral("Testing"), QStringLiteral("SilenceTimeLimit"), -3);
    ini.setValue(QStringLiteral("Testing"), QStringLiteral("LargestPageKB"), -1);
    EXPECT_EQ(FetchLimits::load(ini).silenceSeconds, 0);
    EXPECT_EQ(FetchLimits::load(ini).pageBytes, 0);
    EXPECT_EQ(limits.pageText(),
              QStringLiteral("The page is larger than the largest page allowed (64 KB)"));
}
