#include "loopbackserver.h"
#include "webclientharness.h"

#include "net/netlibrary.h"
#include "support/tempcollection.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;
using pk::test::LoopbackServer;
using pk::test::NetEventLoop;
using pk::test::RecordingWebClient;

namespace {

std::string ok(std::string_view body, bool withLength = true)
{
    std::string r = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n";
    if (withLength)
        r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return r + "\r\n" + std::string(body);
}

QString url(const LoopbackServer &server, const char *path = "/")
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(QLatin1String(path));
}

/// A client on this thread, with the user's proxy variables out of the way and a private
/// configuration folder (and so no registry file unless the test writes one).
class WebClientTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY"}) {
            if (const char *v = std::getenv(name))
                m_savedEnv.emplace_back(name, v);
            unsetenv(name);
        }
        client.Init();
    }
    void TearDown() override
    {
        client.Kill();
        for (const auto &[name, value] : m_savedEnv)
            setenv(name.c_str(), value.c_str(), 1);
    }

    bool fetch(const QString &address, std::chrono::milliseconds timeout = 10s)
    {
        client.Fetch(address);
        return loop.runUntil(
            client, [this] { return client.finished(); }, timeout);
    }

    void writeRegistry(const QByteArray &text)
    {
        const QString dir = config.configHome() + QStringLiteral("/pathkeep");
        QDir().mkpath(dir);
        QFile f(dir + QStringLiteral("/registry.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    pk::test::TempCollection config;
    NetEventLoop loop;
    RecordingWebClient client;
    std::vector<std::pair<std::string, std::string>> m_savedEnv;
};

TEST_F(WebClientTest, RequestCarriesTheHeaderLinesInOrder)
{
    LoopbackServer server(LoopbackServer::reply(ok("hello")));
    client.Referer = QStringLiteral("http://from/   ");
    client.Cookie = QStringLiteral("a=1");
    client.IfNoneMatch = QStringLiteral("\"tag\"");
    ASSERT_TRUE(fetch(url(server, "/a?b=1")));
    ASSERT_EQ(client.pages, 1);

    const std::string expected
        = "GET /a?b=1 HTTP/1.0\r\n"
          "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
          "Referer: http://from/\r\n"
          "Accept-Language: en\r\n"
          "If-None-Match: \"tag\"\r\n"
          "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
          "1.1.4322)\r\n"
          "Host: 127.0.0.1:"
          + std::to_string(server.port())
          + "\r\n"
            "Cookie: a=1\r\n"
            "Connection: Keep-Alive\r\n\r\n";
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests().front(), expected);
    EXPECT_EQ(client.ServerResponse, 200);
    EXPECT_EQ(client.body().toByteArray(), "hello");
    EXPECT_EQ(client.Busy, 0);
}

TEST_F(WebClientTest, HeaderBlockThroughAProxyAndWithEveryField)
{
    client.Host = QStringLiteral("site");
    client.Authorization = QStringLiteral("Basic eDp5");
    client.ContentType = QStringLiteral("text/plain");
    client.AcceptEncoding = QStringLiteral("identity");
    client.IfModifiedSince = QStringLiteral("Sat, 01 Jan 2000 00:00:00 GMT");
    client.ContentLength = 12;
    client.Pragma_ = QStringLiteral("no-cache");
    client.CacheControl = QStringLiteral("max-age=0");
    client._ProxyUsed = 1;
    const QByteArray block = client._CreateRequestHeader(80);
    EXPECT_EQ(block,
              "\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*"
              "\r\nAccept-Language: en\r\nAuthorization: Basic eDp5\r\nContent-Type: text/plain"
              "\r\nAccept-Encoding: identity\r\nIf-Modified-Since: Sat, 01 Jan 2000 00:00:00 GMT"
              "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
              "1.1.4322)\r\nHost: site\r\nContent-Length: 12\r\nPragma: no-cache"
              "\r\nCache-Control: max-age=0\r\nProxy-Connection: Keep-Alive\r\n\r\n");

    client._CommandURL = QStringLiteral("http://site:8080/a");
    EXPECT_EQ(client._RequestLine("GET "), "GET http://site:8080/a HTTP/1.0");
    client._ProxyUsed = 0;
    EXPECT_EQ(client._RequestLine("HEAD "), "HEAD /a HTTP/1.0");
    EXPECT_TRUE(client._CreateRequestHeader(8080).contains("\r\nHost: site:8080\r\n"));
}

TEST_F(WebClientTest, HeadCompletesAtTheHeaderEndDespiteAContentLength)
{
    // The server announces a body but never sends it and keeps the connection open.
    LoopbackServer server(LoopbackServer::reply(
        "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nLast-Modified: today\r\n\r\n", 0, false));
    client.HeaderOnly = 1;
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.pages, 1);
    EXPECT_EQ(client.ServerResponse, 200);
    EXPECT_EQ(client.HeaderLen, client.PageLen);
    EXPECT_EQ(client._GetHeaderField(QStringLiteral("last-modified: ")), QStringLiteral("today"));
    EXPECT_EQ(server.requests().front().rfind("HEAD / HTTP/1.0\r\n", 0), 0u);
    // The announced body is not reserved for a HEAD request.
    EXPECT_LT(client._AllocatedPageLen, 5000 + 65536 * 3);
}

TEST_F(WebClientTest, ResponseWithoutLengthEndsOnlyWhenTheServerCloses)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.0 200 OK\r\n\r\n<html>first part</html>");
        c.pause(400);
        c.send(" and the rest");
    });
    client.Fetch(url(server));
    loop.runFor(client, 250ms);
    EXPECT_EQ(client.pages, 0) << "delivered before the close";
    EXPECT_EQ(client.Busy, 1);
    ASSERT_TRUE(loop.runUntil(client, [this] { return client.finished(); }));
    EXPECT_EQ(client.pages, 1);
    EXPECT_EQ(client.body().toByteArray(), "<html>first part</html> and the rest");
}

TEST_F(WebClientTest, FinishOnEndTagAndZeroLengthDoNotWaitForTheClose)
{
    LoopbackServer tagged(LoopbackServer::reply("HTTP/1.0 200 OK\r\n\r\n<HTML>x</HTML>", 0, false));
    client.OptionFinishOnEndHTMLTag = 1;
    ASSERT_TRUE(fetch(url(tagged), 3s));
    EXPECT_EQ(client.pages, 1);

    LoopbackServer empty(
        LoopbackServer::reply("HTTP/1.0 204 No Content\r\nContent-Length: 0\r\n\r\n", 0, false));
    client.pages = 0;
    ASSERT_TRUE(fetch(url(empty), 3s)) << "an announced length of 0 is a complete page";
    EXPECT_EQ(client.ServerResponse, 204);
    EXPECT_EQ(client.body().size(), 0);
}

TEST_F(WebClientTest, HeaderEndSplitOverTwoPackets)
{
    const std::string first = "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r";
    const std::string second = "\nbody";
    LoopbackServer server([&](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send(first);
        c.pause(100);
        c.send(second);
        c.hold();
    });
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.pages, 1);
    EXPECT_EQ(client.HeaderLen, std::int64_t(first.size() + 1));
    EXPECT_EQ(client.body().toByteArray(), "body");

    // A content length line cut between two packets is still read.
    LoopbackServer cut(LoopbackServer::reply(ok("0123456789"), 20, false));
    client.pages = 0;
    ASSERT_TRUE(fetch(url(cut)));
    EXPECT_EQ(client._PageContentLen, 10);
    EXPECT_EQ(client.body().toByteArray(), "0123456789");
}

TEST_F(WebClientTest, BodyTextLookingLikeAHeaderIsNotTakenForIt)
{
    LoopbackServer server(LoopbackServer::reply(
        "HTTP/1.0 200 OK\r\n\r\nline\r\nContent-Length: 2\r\n\r\nmore text after"));
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.body().toByteArray(), "line\r\nContent-Length: 2\r\n\r\nmore text after");
}

TEST_F(WebClientTest, HeaderlessResponse)
{
    LoopbackServer server(LoopbackServer::reply("<html>no header</html>"));
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.HeaderLen, 0);
    EXPECT_EQ(client.ServerResponse, 0);
    EXPECT_EQ(client.page().toByteArray(), "<html>no header</html>");
}

/// Answers connection n with responses[n] (the last one repeats).
LoopbackServer::Handler sequence(std::vector<std::string> responses)
{
    return [responses = std::move(responses)](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send(responses[std::min<std::size_t>(std::size_t(c.index()), responses.size() - 1)]);
        c.hold();
    };
}

TEST_F(WebClientTest, RedirectRules)
{
    LoopbackServer server(sequence({"HTTP/1.0 301 Moved\r\nLocation: /b\r\nSet-Cookie: id=7; "
                                    "path=/\r\nContent-Length: 0\r\n\r\n",
                                    ok("at b")}));
    ASSERT_TRUE(fetch(url(server, "/a")));
    ASSERT_EQ(client.pages, 1);
    EXPECT_EQ(client.ServerResponse, 200);
    EXPECT_EQ(client.body().toByteArray(), "at b");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[1].rfind("GET /b HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(server.requests()[1].find("\r\nCookie: id=7;\r\n"), std::string::npos);
    EXPECT_EQ(client.Cookie, QStringLiteral("id=7; "));
    EXPECT_EQ(client._LastURLRequested, url(server, "/b"));

    // 300 is not followed, nor is anything for a HEAD request.
    for (const char *status : {"300 Multiple Choices", "302 Found"}) {
        LoopbackServer other(LoopbackServer::reply(std::string("HTTP/1.0 ") + status
                                                   + "\r\nLocation: /elsewhere\r\n\r\n"));
        client.pages = 0;
        client.HeaderOnly = std::string_view(status).starts_with("302") ? 1 : 0;
        ASSERT_TRUE(fetch(url(other, "/x")));
        EXPECT_EQ(client.pages, 1) << status;
        EXPECT_EQ(other.connections(), 1) << status;
    }
    client.HeaderOnly = 0;
}

TEST_F(WebClientTest, LocationEqualToTheRequestIsNotFollowed)
{
    std::string address;
    LoopbackServer server([&address](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.0 302 Found\r\nLocation: " + address + "\r\n\r\n");
    });
    address = url(server, "/same").toStdString();
    ASSERT_TRUE(fetch(QString::fromStdString(address)));
    EXPECT_EQ(client.pages, 1);
    EXPECT_EQ(client.ServerResponse, 302);
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(WebClientTest, RedirectLoopIsStopped)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        const std::string request = c.readRequest();
        const bool atA = request.rfind("GET /a ", 0) == 0;
        c.send(std::string("HTTP/1.0 301 Moved\r\nLocation: ") + (atA ? "/b" : "/a") + "\r\n\r\n");
    });
    ASSERT_TRUE(fetch(url(server, "/a")));
    EXPECT_EQ(client.pages, 0);
    ASSERT_EQ(client.errors, 1);
    EXPECT_EQ(client.lastError, pk::NetErrCouldNotOpen);
    EXPECT_TRUE(client.errorText.startsWith(QStringLiteral("Too many redirects")));
    EXPECT_EQ(server.connections(), pk::NetWebClient::DefaultMaxRedirects + 1);

    // The count starts again with the caller's next request.
    LoopbackServer plain(
        sequence({"HTTP/1.0 301 Moved\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n", ok("fine")}));
    client.errors = 0;
    ASSERT_TRUE(fetch(url(plain, "/a")));
    EXPECT_EQ(client.pages, 1);
}

TEST_F(WebClientTest, EmptyResponseIsAnError)
{
    LoopbackServer server([](LoopbackServer::Connection &c) { c.readRequest(); });
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.pages, 0);
    EXPECT_EQ(client.lastError, -59);
    EXPECT_EQ(client.errorText, QStringLiteral("Connection closed before any data was received"));
    EXPECT_EQ(client.errorFunction, QStringLiteral("NetWebClient.ConnectionClosed"));
    EXPECT_EQ(client.Busy, 0);
}

TEST_F(WebClientTest, PageCutShortOfItsLengthIsAnError)
{
    LoopbackServer server(
        LoopbackServer::reply("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly this"));
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.pages, 0);
    EXPECT_EQ(client.lastError, -7);
}

TEST_F(WebClientTest, IdleServerTimesOut)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.hold();
    });
    client.InActiveTimeout = 30;
    ASSERT_TRUE(fetch(url(server), 5s));
    EXPECT_EQ(client.lastError, -57);
    EXPECT_EQ(client.errorText, QStringLiteral("Connection Timed Out"));
    EXPECT_EQ(client.errorFunction, QStringLiteral("NetWebClient.Process"));

    // A finished page on a connection the server keeps open idles out without an error.
    LoopbackServer keep(LoopbackServer::reply(ok("done"), 0, false));
    client.errors = 0;
    ASSERT_TRUE(fetch(url(keep), 5s));
    loop.runUntil(
        client, [this] { return client.OpenFlag == 0; }, 5s);
    EXPECT_EQ(client.pages, 1);
    EXPECT_EQ(client.errors, 0);
    EXPECT_EQ(client.OpenFlag, 0);
}

TEST_F(WebClientTest, ProxyFromTheRegistryFileGetsTheWholeUrl)
{
    LoopbackServer proxy(LoopbackServer::reply(ok("via proxy")));
    writeRegistry("[Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
                  "ProxyEnable=1\nProxyServer=ftp=127.0.0.1:1;http=127.0.0.1:"
                  + QByteArray::number(proxy.port()) + "\n");
    ASSERT_TRUE(fetch(QStringLiteral("http://far.example:8080/page")));
    ASSERT_EQ(client.pages, 1);
    ASSERT_EQ(proxy.requests().size(), 1u);
    const std::string request = proxy.requests().front();
    EXPECT_EQ(request.rfind("GET http://far.example:8080/page HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(request.find("\r\nHost: far.example:8080\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nProxy-Connection: Keep-Alive\r\n"), std::string::npos);
    // The proxy found is kept for the object's later requests.
    EXPECT_EQ(client.ProxyServer, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(client.ProxyPort, proxy.port());
}

TEST_F(WebClientTest, RefusingProxyFallsBackToTheServer)
{
    LoopbackServer server(LoopbackServer::reply(ok("direct")));
    client.ProxyServer = QStringLiteral("127.0.0.1");
    client.ProxyPort = LoopbackServer::closedPort();
    ASSERT_TRUE(fetch(url(server, "/d")));
    ASSERT_EQ(client.pages, 1) << client.errorText.toStdString();
    EXPECT_EQ(client.errors, 0);
    EXPECT_EQ(client._ProxyUsed, 0);
    const std::string request = server.requests().front();
    EXPECT_EQ(request.rfind("GET /d HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(request.find("\r\nConnection: Keep-Alive\r\n"), std::string::npos);
}

TEST_F(WebClientTest, NothingListeningIsReportedOnce)
{
    client.ProxyServer = QStringLiteral("127.0.0.1");
    client.ProxyPort = LoopbackServer::closedPort();
    ASSERT_TRUE(fetch(QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackServer::closedPort())));
    loop.runFor(client, 200ms);
    EXPECT_EQ(client.pages, 0);
    EXPECT_EQ(client.errors, 1);
    EXPECT_EQ(client.lastError, -53);
    EXPECT_EQ(client.errorText, QStringLiteral("The requested connection could not be opened."));
}

TEST_F(WebClientTest, HttpsToALocalServer)
{
    LoopbackServer server(LoopbackServer::reply(ok("secret page")), true);
    std::string caFile = server.certificateFile();
    ASSERT_EQ(pk::NetOptions(pk::NetOptionSSLCAFile, caFile), 0);
    ASSERT_TRUE(fetch(QStringLiteral("https://127.0.0.1:%1/s").arg(server.port())));
    std::string none;
    pk::NetOptions(pk::NetOptionSSLCAFile, none);
    ASSERT_EQ(client.pages, 1) << client.errorText.toStdString();
    EXPECT_EQ(client.SSL, 1);
    EXPECT_EQ(client.body().toByteArray(), "secret page");
    EXPECT_EQ(server.requests().front().rfind("GET /s HTTP/1.0\r\n", 0), 0u);

    // The same object then fetches a plain page: an explicit http:// means no TLS.
    LoopbackServer plain(LoopbackServer::reply(ok("plain page")));
    client.pages = 0;
    ASSERT_TRUE(fetch(url(plain)));
    EXPECT_EQ(client.SSL, 0);
    EXPECT_EQ(client.body().toByteArray(), "plain page");
}

TEST_F(WebClientTest, HugeAnnouncedLengthIsNotAllocatedUpFront)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 900000000\r\n\r\n");
        c.send(std::string(1000, 'x'));
        c.pause(300);
    });
    client.Fetch(url(server));
    loop.runUntil(client, [this] { return client.PageLen > 1000; });
    EXPECT_LE(client._AllocatedPageLen,
              pk::NetWebClient::DefaultMaxTrustedContentLen + 2 * client._MinPageLen);
    ASSERT_TRUE(loop.runUntil(client, [this] { return client.finished(); }));
    EXPECT_EQ(client.lastError, -7) << "the server closed after 1000 of 900000000 bytes";

    // Beyond the largest page allowed the response is refused at once.
    LoopbackServer huge(
        LoopbackServer::reply("HTTP/1.0 200 OK\r\nContent-Length: 5000000000\r\n\r\nxyz", 0, false));
    client.errors = 0;
    ASSERT_TRUE(fetch(url(huge)));
    EXPECT_EQ(client.lastError, -32);
    EXPECT_EQ(client.Busy, 0);
    EXPECT_LT(client._AllocatedPageLen, 100 * 1024 * 1024);
}

TEST_F(WebClientTest, PageWithoutLengthStopsAtTheLargestPageAllowed)
{
    LoopbackServer server(
        LoopbackServer::reply("HTTP/1.0 200 OK\r\n\r\n" + std::string(300000, 'y')));
    client.MaxPageLen = 200000;
    ASSERT_TRUE(fetch(url(server)));
    EXPECT_EQ(client.pages, 0);
    EXPECT_EQ(client.lastError, -32);
    EXPECT_LE(client._AllocatedPageLen, 200000);
}

TEST_F(WebClientTest, LongPostGoesOutInSeveralPackets)
{
    std::string data;
    for (int i = 0; data.size() < 40000; ++i)
        data += "field" + std::to_string(i) + "=value&";
    LoopbackServer server([size = data.size()](LoopbackServer::Connection &c) {
        c.readRequest(size);
        c.send(ok("thanks"));
    });
    client.ContentType = QStringLiteral("application/x-www-form-urlencoded");
    client.Post(url(server, "/form"), QByteArray::fromStdString(data));
    ASSERT_TRUE(loop.runUntil(client, [this] { return client.finished(); }));
    ASSERT_EQ(client.pages, 1) << client.errorText.toStdString();
    const std::string request = server.requests().front();
    EXPECT_EQ(request.rfind("POST /form HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(request.find("\r\nContent-Length: " + std::to_string(data.size()) + "\r\n"),
              std::string::npos);
    const auto bodyAt = request.find("\r\n\r\n") + 4;
    EXPECT_EQ(request.substr(bodyAt, data.size()), data);

    // A short one fits in one packet.
    LoopbackServer small([](LoopbackServer::Connection &c) {
        c.readRequest(3);
        c.send(ok("ok"));
    });
    client.pages = 0;
    client.Post(url(small, "/s"), "a=1");
    ASSERT_TRUE(loop.runUntil(client, [this] { return client.finished(); }));
    EXPECT_EQ(client.pages, 1);
    EXPECT_NE(small.requests().front().find("\r\n\r\na=1"), std::string::npos);
}

TEST_F(WebClientTest, BlankUrl)
{
    client.Fetch(QStringLiteral("   "));
    EXPECT_EQ(client.lastError, -15);
    EXPECT_EQ(client.errorText, QStringLiteral("The URL for the Fetch command was blank"));
    EXPECT_EQ(client.Busy, 0);

    // A URL without a host cannot even start to connect; that is reported once, not lost.
    client.errors = 0;
    client.Fetch(QStringLiteral("http://:81/x"));
    loop.runFor(client, 100ms);
    EXPECT_EQ(client.errors, 1);
    EXPECT_NE(client.lastError, 0);
    EXPECT_EQ(client.pages, 0);
}

TEST_F(WebClientTest, SavePageAndTextOnly)
{
    LoopbackServer server(
        LoopbackServer::reply(ok("<html><style>p{}</style><script>x()</script><p>One&nbsp;two</"
                                 "p>\r\n\r\n\t\t<b>three</b>  caf\xc3\xa9</html>")));
    ASSERT_TRUE(fetch(url(server)));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    client.SavePage(file);
    EXPECT_EQ(client.Error, 0);
    EXPECT_EQ(client.BytesWritten, client.PageLen - client.HeaderLen);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), client.body().toByteArray());

    client.SavePage(dir.filePath(QStringLiteral("missing/folder/page.htm")));
    EXPECT_EQ(client.lastError, -35);

    client.TextOnly();
    EXPECT_EQ(client.page().toByteArray(), "One two\r\nthree caf\xc3\xa9");
    EXPECT_EQ(client.HeaderLen, 0);

    client.AnsiToUnicode();
    EXPECT_EQ(client.page().toByteArray(),
              QByteArray(reinterpret_cast<const char *>(u"One two\r\nthree café"), 2 * 19));
    client.UnicodeToAnsi();
    EXPECT_EQ(client.page().toByteArray(), "One two\r\nthree caf\xc3\xa9");

    client.Free();
    client.SavePage(file);
    EXPECT_EQ(client.lastError, -7);
    EXPECT_EQ(client.errorText, QStringLiteral("There is no data to save"));
}

TEST_F(WebClientTest, FormFieldsAndCoding)
{
    const QByteArray form = "name=J%C3%BCrgen+M&city=Bonn&empty";
    EXPECT_EQ(client._FormField(1, form), QStringLiteral("name"));
    EXPECT_EQ(client._FormField(3, form), QStringLiteral("empty"));
    EXPECT_EQ(client._FormField(4, form), QString());
    EXPECT_EQ(client._FormValue(QStringLiteral("NAME"), form), QStringLiteral("Jürgen M"));
    EXPECT_EQ(client._FormValue(QStringLiteral("zip"), form), QString());
    EXPECT_EQ(client._EncodeURL(QStringLiteral("ä b")), QStringLiteral("%C3%A4%20b"));
}

TEST_F(WebClientTest, ManyClientsOnOneThread)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        const std::string request = c.readRequest();
        const std::string path = request.substr(4, request.find(' ', 4) - 4);
        c.pause(20);
        c.send(ok("page " + path));
    });
    std::vector<std::unique_ptr<RecordingWebClient>> clients;
    std::vector<pk::NetSimple *> objects;
    for (int i = 0; i < 16; ++i) {
        clients.push_back(std::make_unique<RecordingWebClient>());
        clients.back()->Init();
        clients.back()->CanUseProxy = 0;
        clients.back()->HeaderOnly = i % 4 == 0;
        objects.push_back(clients.back().get());
    }
    for (int i = 0; i < 16; ++i)
        clients[std::size_t(i)]->Fetch(url(server, ("/p" + std::to_string(i)).c_str()));
    ASSERT_TRUE(loop.runUntil(objects, [&] {
        return std::all_of(clients.begin(), clients.end(), [](auto &c) { return c->finished(); });
    }));
    for (int i = 0; i < 16; ++i) {
        auto &c = *clients[std::size_t(i)];
        EXPECT_EQ(c.pages, 1) << i;
        if (i % 4 != 0) {
            EXPECT_EQ(c.body().toByteArray(), "page /p" + QByteArray::number(i));
        }
        c.Kill();
    }
}

TEST(WebClientThreads, ClientsOnSeveralThreadsAtOnce)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        const std::string request = c.readRequest();
        c.send(ok(std::string(50000, 'z') + request.substr(4, request.find(' ', 4) - 4)));
    });
    constexpr int Threads = 4;
    constexpr int PerThread = 5;
    std::atomic<int> delivered{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            NetEventLoop loop;
            std::vector<std::unique_ptr<RecordingWebClient>> clients;
            std::vector<pk::NetSimple *> objects;
            for (int i = 0; i < PerThread; ++i) {
                clients.push_back(std::make_unique<RecordingWebClient>());
                clients.back()->Init();
                clients.back()->CanUseProxy = 0;
                objects.push_back(clients.back().get());
                // Each client fetches three pages one after the other.
                clients.back()->onPage = [&server, t, i](RecordingWebClient &c) {
                    if (c.pages < 3)
                        c.Fetch(url(server,
                                    ("/t" + std::to_string(t) + "c" + std::to_string(i) + "n"
                                     + std::to_string(c.pages))
                                        .c_str()));
                };
                clients.back()->Fetch(
                    url(server,
                        ("/t" + std::to_string(t) + "c" + std::to_string(i) + "n0").c_str()));
            }
            loop.runUntil(
                objects,
                [&] {
                    return std::all_of(clients.begin(), clients.end(), [](auto &c) {
                        return c->pages == 3 || c->errors > 0;
                    });
                },
                20s);
            for (int i = 0; i < PerThread; ++i) {
                auto &c = *clients[std::size_t(i)];
                if (c.pages == 3 && c.errors == 0
                    && c.body().toByteArray().endsWith(QByteArray("/t" + QByteArray::number(t) + "c"
                                                                  + QByteArray::number(i) + "n2")))
                    ++delivered;
                c.Kill();
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(delivered.load(), Threads * PerThread);
}

} // namespace
