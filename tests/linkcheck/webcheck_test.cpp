#include "linkcheckfixture.h"

#include "linkcheck/runningtests.h"
#include "linkcheck/testlinksprocess.h"
#include "linkcheck/webchecksettings.h"
#include "net/netlibrary.h"
#include "platform/inifile.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/picture.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTest>

#include <SQLiteCpp/Database.h>

using namespace pk;
using namespace pk::test;

namespace {

/// Answers HEAD with `head` and GET with `get` (whole responses), then closes; a GET answer
/// that promises more than it sends is held open until the client leaves.
LoopbackServer::Handler byMethod(std::string head, std::string get, bool holdAfterGet = false)
{
    return [head, get, holdAfterGet](LoopbackServer::Connection &c) {
        const std::string request = c.readRequest();
        const bool isHead = request.rfind("HEAD ", 0) == 0;
        c.send(isHead ? head : get);
        if (!isHead && holdAfterGet)
            c.hold();
    };
}

/// Sends the path in its request line to `route` and answers with what it returns.
LoopbackServer::Handler routed(std::function<std::string(const std::string &path)> route)
{
    return [route](LoopbackServer::Connection &c) {
        // A TLS hello (a client trying "https://" on this plain port) is closed at once.
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
            const std::string more = c.receive();
            if (more.empty() || (request.empty() && more[0] == '\x16'))
                return;
            request += more;
        }
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        c.send(route(path));
    };
}

class WebCheckTest : public LinkCheckTest
{
protected:
    LinkTestEnvironment batchEnvironment(int timeLimitMs = 5000)
    {
        LinkTestEnvironment env = environment(timeLimitMs);
        env.batch = true;
        return env;
    }

    /// Runs one test in `env` to its end.
    LinkTest &run(const LinkTestEnvironment &env, const QString &url, int waitMs = 10000)
    {
        tests.push_back(std::make_unique<LinkTest>(env, url, true));
        LinkTest &test = *tests.back();
        test.start();
        EXPECT_TRUE(QTest::qWaitFor([&test] { return test.isFinished(); }, waitMs));
        return test;
    }

    QString detailText(const QString &url)
    {
        QString text;
        for (const DetailRecord &row : details(url))
            text += row.DataValue + QLatin1Char('|');
        return text;
    }

    TestLinksEnvironment processEnvironment(const WebCheckSettings &web)
    {
        TestLinksEnvironment env;
        env.test = environment(20000);
        env.traceFile = temp.root() + QStringLiteral("/DEBUG.INI");
        env.web = web;
        return env;
    }

    /// Proceed: Yes, query wizard: No; then runs to the end.
    void runProcess(TestLinksProcess &process, int timeoutMs = 30000)
    {
        ui.push(true);
        ui.push(false);
        ASSERT_TRUE(process.confirm());
        process.run();
        EXPECT_TRUE(QTest::qWaitFor([&process] { return process.isFinished(); }, timeoutMs));
    }

    /// Every message box shown (questions excluded).
    QStringList messages() const
    {
        QStringList out;
        for (const auto &interaction : ui.interactions()) {
            if (interaction.title != QStringLiteral("Test Links")
                && interaction.title != QStringLiteral("Query Wizard"))
                out << interaction.title + QStringLiteral(": ") + interaction.text;
        }
        return out;
    }
};

} // namespace

TEST_F(WebCheckTest, BatchRecordsNetworkErrorsWithoutAMessageAndAtOnce)
{
    const QString refused
        = QStringLiteral("http://127.0.0.1:%1/x").arg(LoopbackServer::closedPort());
    const QString unknown = QStringLiteral("http://no-such-host.invalid/x");
    LoopbackServer reset(LoopbackServer::closeAtOnce());
    const QString dropped = urlOf(reset, "/reset");
    LoopbackServer untrusted(answer("HTTP/1.1 200 OK"), true);
    const QString secure = QStringLiteral("https://127.0.0.1:%1/").arg(untrusted.port());
    for (const QString &url : {refused, unknown, dropped, secure}) {
        addLocation(url);
        QElapsedTimer clock;
        clock.start();
        const LinkTest &test = run(batchEnvironment(60000), url);
        EXPECT_LT(clock.elapsed(), 10000) << url.toStdString();
        EXPECT_LT(test.result(), 0) << url.toStdString();
        EXPECT_NE(test.result(), LinkTest::TimedOut) << url.toStdString();
        EXPECT_TRUE(test.networkFailed());
        EXPECT_EQ(location(url).Validated, 2) << url.toStdString();
        EXPECT_EQ(details(url).size(), 1u) << url.toStdString();
    }
    EXPECT_TRUE(ui.interactions().isEmpty());
    EXPECT_TRUE(detailText(secure).contains(QStringLiteral("certificate was refused")))
        << detailText(secure).toStdString();

    // A single test still shows the message, naming the error.
    const QString single = QStringLiteral("http://127.0.0.1:%1/y").arg(LoopbackServer::closedPort());
    addLocation(single);
    run(environment(400), single);
    ASSERT_FALSE(ui.interactions().isEmpty());
    EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Network Object Error"));
}

TEST_F(WebCheckTest, RefusedCertificateSaysWhy)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK"), true);
    const QString url = QStringLiteral("https://127.0.0.1:%1/").arg(server.port());
    addLocation(url);
    run(environment(400), url);
    ASSERT_FALSE(ui.interactions().isEmpty());
    EXPECT_TRUE(ui.interactions()[0].text.contains(
        QStringLiteral("The server's certificate was refused: self-signed certificate")))
        << ui.interactions()[0].text.toStdString();
    EXPECT_FALSE(ui.interactions()[0].text.contains(QStringLiteral("Open Timeout")));

    // Trusted, it passes: named by the option, or by SSL_CERT_FILE as for page analysis.
    std::string caFile = server.certificateFile();
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, caFile), 0);
    EXPECT_EQ(run(batchEnvironment(), url).result(), LinkTest::Evaluated);
    EXPECT_EQ(location(url).Validated, 1);
    std::string none;
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, none), 0);
    setenv("SSL_CERT_FILE", caFile.c_str(), 1);
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, none), 0); // a fresh context reads the variable
    EXPECT_EQ(run(batchEnvironment(), url).result(), LinkTest::Evaluated);
    unsetenv("SSL_CERT_FILE");
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, none), 0);
}

TEST_F(WebCheckTest, ErrorPagesAndRedirectLoopsFail)
{
    auto base = std::make_shared<std::string>();
    LoopbackServer server(routed([base](const std::string &path) -> std::string {
        if (path == "/error-with-location")
            return "HTTP/1.1 404 Not Found\r\nLocation: " + *base + "/elsewhere\r\n\r\n";
        if (path == "/a")
            return "HTTP/1.1 301 Moved\r\nLocation: " + *base + "/b\r\n\r\n";
        if (path == "/b")
            return "HTTP/1.1 302 Found\r\nLocation: /a\r\n\r\n";
        if (path == "/to-missing")
            return "HTTP/1.1 301 Moved\r\nLocation: " + *base + "/missing\r\n\r\n";
        if (path == "/to-fine")
            return "HTTP/1.1 301 Moved\r\nLocation: " + *base + "/fine\r\n\r\n";
        if (path == "/fine")
            return "HTTP/1.1 200 OK\r\n\r\n";
        return "HTTP/1.1 404 Not Found\r\n\r\n";
    }));
    *base = urlOf(server, "").toStdString();
    const auto check = [&](const char *path, quint8 validated, const char *detail) {
        const QString url = urlOf(server, path);
        addLocation(url);
        EXPECT_EQ(run(environment(), url).result(), LinkTest::Evaluated) << path;
        EXPECT_EQ(location(url).Validated, validated) << path;
        EXPECT_TRUE(detailText(url).contains(QLatin1String(detail)))
            << path << ": " << detailText(url).toStdString();
    };
    check("/error-with-location", 2, "404");
    check("/a", 2, "Redirect loop");
    check("/to-missing", 2, "/missing HTTP/1.1 404");
    check("/to-fine", 1, "301"); // a redirect that arrives stays passed and moved
    EXPECT_EQ(location(urlOf(server, "/to-fine")).MovedTo, urlOf(server, "/fine"));
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(WebCheckTest, HeadRefusedIsAskedAgainWithGet)
{
    for (const char *status :
         {"405 Method Not Allowed", "501 Not Implemented", "403 Forbidden", "404 Not Found"}) {
        // The GET promises a large page; only its header is read.
        LoopbackServer server(byMethod("HTTP/1.1 " + std::string(status) + "\r\n\r\n",
                                       "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\nstart",
                                       true));
        const QString url = urlOf(server, "/page");
        addLocation(url);
        LinkTestEnvironment env = batchEnvironment();
        env.getFallback = true;
        const LinkTest &test = run(env, url, 5000);
        EXPECT_EQ(test.result(), LinkTest::Evaluated) << status;
        EXPECT_EQ(location(url).Validated, 1) << status;
        EXPECT_EQ(test.requestsSent(), 2);
        ASSERT_EQ(server.requests().size(), 2u);
        EXPECT_EQ(server.requests()[1].rfind("GET /page ", 0), 0u) << server.requests()[1];
    }

    // Switched off, a refused HEAD fails the location after one request.
    LoopbackServer server(
        byMethod("HTTP/1.1 405 Method Not Allowed\r\n\r\n", "HTTP/1.1 200 OK\r\n\r\n"));
    const QString url = urlOf(server, "/off");
    addLocation(url);
    EXPECT_EQ(run(batchEnvironment(), url).result(), LinkTest::Evaluated);
    EXPECT_EQ(location(url).Validated, 2);
    EXPECT_EQ(server.requests().size(), 1u);

    // A page really missing stays failed with the fallback on.
    LoopbackServer gone(answer("HTTP/1.1 404 Not Found"));
    const QString goneUrl = urlOf(gone, "/gone");
    addLocation(goneUrl);
    LinkTestEnvironment env = batchEnvironment();
    env.getFallback = true;
    run(env, goneUrl);
    EXPECT_EQ(location(goneUrl).Validated, 2);
    EXPECT_EQ(gone.requests().size(), 2u);
}

TEST_F(WebCheckTest, RateLimitedServersAreAskedOnceMoreAfterTheirWait)
{
    LinkTestEnvironment env = batchEnvironment();
    env.retryRateLimited = true;

    LoopbackServer recovering([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send(c.index() == 0 ? "HTTP/1.1 429 Too Many Requests\r\nRetry-After: 1\r\n\r\n"
                              : "HTTP/1.1 200 OK\r\n\r\n");
    });
    const QString fine = urlOf(recovering, "/fine");
    addLocation(fine);
    QElapsedTimer clock;
    clock.start();
    run(env, fine);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(location(fine).Validated, 1);
    EXPECT_EQ(recovering.connections(), 2);

    LoopbackServer busy(answer("HTTP/1.1 503 Service Unavailable", {"Retry-After: 0"}));
    const QString limited = urlOf(busy, "/busy");
    addLocation(limited);
    run(env, limited);
    EXPECT_EQ(location(limited).Validated, LinkTest::RateLimited); // not failed
    EXPECT_TRUE(detailText(limited).contains(QStringLiteral("Rate limited")));
    EXPECT_EQ(busy.connections(), 2);

    // Too long a wait is not waited for; switched off, nothing is waited for.
    LoopbackServer patient(answer("HTTP/1.1 429 Too Many Requests", {"Retry-After: 3600"}));
    const QString longWait = urlOf(patient, "/long");
    addLocation(longWait);
    run(env, longWait);
    EXPECT_EQ(location(longWait).Validated, 2);
    const QString off = urlOf(busy, "/off");
    addLocation(off);
    run(batchEnvironment(), off);
    EXPECT_EQ(location(off).Validated, 2);
    EXPECT_EQ(busy.connections(), 3);
}

TEST(RetryAfter, SecondsOrDate)
{
    EXPECT_EQ(LinkTest::retryAfterSeconds("HTTP/1.1 429 x\r\nRetry-After: 7\r\n\r\n"), 7);
    EXPECT_EQ(LinkTest::retryAfterSeconds("HTTP/1.1 429 x\r\nretry-after:0\r\n"), 0);
    EXPECT_EQ(LinkTest::retryAfterSeconds("HTTP/1.1 429 x\r\n\r\n"), -1);
    EXPECT_EQ(LinkTest::retryAfterSeconds("HTTP/1.1 429 x\r\nRetry-After: soon\r\n"), -1);
    const QByteArray date
        = QDateTime::currentDateTimeUtc().addSecs(30).toString(Qt::RFC2822Date).toLatin1();
    const int seconds = LinkTest::retryAfterSeconds(QByteArray("Retry-After: " + date + "\r\n"));
    EXPECT_GE(seconds, 28);
    EXPECT_LE(seconds, 31);
    EXPECT_EQ(LinkTest::secureForm(QStringLiteral("http://a.test/x")),
              QStringLiteral("https://a.test/x"));
    EXPECT_TRUE(LinkTest::secureForm(QStringLiteral("https://a.test/x")).isEmpty());
}

TEST_F(WebCheckTest, RequestTimeLimitFailsASilentServer)
{
    LoopbackServer silent(LoopbackServer::holdOpen());
    const QString url = urlOf(silent, "/silent");
    addLocation(url);
    LinkTestEnvironment env = batchEnvironment(60000);
    env.requestLimit = std::chrono::milliseconds(300);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run(env, url).result(), LinkTest::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(location(url).Validated, 2);
    EXPECT_TRUE(detailText(url).startsWith(QStringLiteral("No answer within 0.3 s")))
        << detailText(url).toStdString();
}

TEST_F(WebCheckTest, StateAndDetailRowsAreOneChange)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK"));
    const QString url = urlOf(server, "/one");
    addLocation(url);
    // The state cannot be written: the detail rows must not stay either.
    collection->db().exec("CREATE TEMP TRIGGER refuse BEFORE UPDATE ON main.Locations "
                          "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    run(environment(), url);
    EXPECT_EQ(location(url).Validated, 0);
    EXPECT_TRUE(details(url).empty());

    const QString dead = QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackServer::closedPort());
    addLocation(dead);
    run(batchEnvironment(), dead);
    EXPECT_EQ(location(dead).Validated, 0);
    EXPECT_TRUE(details(dead).empty());
    collection->db().exec("DROP TRIGGER refuse");

    run(environment(), url);
    EXPECT_EQ(location(url).Validated, 1);
    EXPECT_EQ(details(url).size(), 1u);
}

TEST_F(WebCheckTest, SlowHostNeverHoldsMoreThanItsShare)
{
    ConnectionGauge slowGauge;
    LoopbackServer slow(answer("HTTP/1.1 200 OK", {}, 400, &slowGauge));
    LoopbackServer fast(answer("HTTP/1.1 200 OK", {}, 20));
    QStringList slowUrls;
    QStringList fastUrls;
    for (int i = 0; i < 6; ++i) {
        slowUrls << urlOf(slow, "/s") + QString::number(i);
        fastUrls << urlOf(fast, "/f") + QString::number(i);
        addLocation(slowUrls.last());
        addLocation(fastUrls.last());
    }
    WebCheckSettings web = WebCheckSettings::off();
    web.perHost = 2;
    TestLinksProcess process(processEnvironment(web));
    QStringList finished;
    QObject::connect(&process, &TestLinksProcess::testStarted, [&finished](LinkTest *test) {
        QObject::connect(test, &LinkTest::finished, [&finished, test](int) {
            finished << test->url();
        });
    });
    runProcess(process);
    EXPECT_EQ(process.testsStarted(), 12);
    EXPECT_LE(slowGauge.most.load(), 2);
    EXPECT_EQ(process.mostPerHost(), 2);
    ASSERT_EQ(finished.size(), 12);
    // Every fast location is done before the slow host's first answer arrives.
    for (const QString &url : fastUrls)
        EXPECT_LT(finished.indexOf(url), 6) << url.toStdString();
    EXPECT_EQ(process.summary().passed, 12);
}

TEST_F(WebCheckTest, RunCountsTestsSecureAddressesAndOffersTheirUpdate)
{
    auto base = std::make_shared<std::string>();
    LoopbackServer server(routed([base](const std::string &path) -> std::string {
        if (path == "/plain")
            return "HTTP/1.1 301 Moved\r\nLocation: https" + base->substr(4) + "/plain\r\n\r\n";
        if (path == "/moved")
            return "HTTP/1.1 302 Found\r\nLocation: " + *base + "/ok\r\n\r\n";
        if (path == "/ok")
            return "HTTP/1.1 200 OK\r\n\r\n";
        return "HTTP/1.1 410 Gone\r\n\r\n";
    }));
    *base = urlOf(server, "").toStdString();
    LoopbackServer tls(answer("HTTP/1.1 200 OK"), true);
    std::string caFile = tls.certificateFile();
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, caFile), 0);
    const QString secure = QStringLiteral("https://127.0.0.1:%1/s").arg(tls.port());
    const QString plain = urlOf(server, "/plain");
    const QString upgraded = QStringLiteral("https") + plain.mid(4);
    for (const QString &url : {plain,
                               urlOf(server, "/moved"),
                               urlOf(server, "/ok"),
                               urlOf(server, "/gone"),
                               secure,
                               QStringLiteral("ftp://x.test/")})
        addLocation(url);
    KeywordRecord keyword;
    keyword.Location = plain;
    keyword.Keyword = QStringLiteral("kept");
    ASSERT_TRUE(collection->keywords().insert(keyword));

    {
        TestLinksProcess process(processEnvironment(WebCheckSettings()));
        ui.push(true);
        ui.push(false);
        ui.push(true); // move to the secure address
        ASSERT_TRUE(process.confirm());
        process.run();
        EXPECT_TRUE(QTest::qWaitFor([&process] { return process.isFinished(); }, 30000));
        const TestLinksSummary &summary = process.summary();
        EXPECT_EQ(summary.passed, 2); // /ok and the secure address
        EXPECT_EQ(summary.moved, 2);
        EXPECT_EQ(summary.failed, 1);
        EXPECT_EQ(summary.skipped, 1);
        ASSERT_EQ(process.secureMoves().size(), 1u);
        EXPECT_EQ(process.secureMoves()[0].second, upgraded);
        ASSERT_FALSE(ui.interactions().isEmpty());
        EXPECT_EQ(ui.interactions().last().text, summary.text());
        EXPECT_EQ(summary.text(),
                  QStringLiteral("Passed: 2, failed: 1, moved: 2, rate limited: 0, skipped: 1"));
    }
    EXPECT_FALSE(collection->locations().exists(plain));
    const LocationRecord moved = location(upgraded);
    EXPECT_EQ(moved.Validated, 1);
    EXPECT_TRUE(detailText(upgraded).contains(plain)) << detailText(upgraded).toStdString();
    std::vector<KeywordRecord> keywords;
    ASSERT_TRUE(collection->keywords().list(upgraded, keywords));
    ASSERT_EQ(keywords.size(), 1u);
    EXPECT_EQ(keywords[0].Keyword, QStringLiteral("kept"));
    std::string none;
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, none), 0);
}

TEST_F(WebCheckTest, EverySwitchOffKeepsThePlainRun)
{
    LoopbackServer tls(answer("HTTP/1.1 200 OK"), true);
    const QString secure = QStringLiteral("https://127.0.0.1:%1/s").arg(tls.port());
    LoopbackServer headless(
        byMethod("HTTP/1.1 405 Method Not Allowed\r\n\r\n", "HTTP/1.1 200 OK\r\n\r\n"));
    const QString refusing = urlOf(headless, "/h");
    addLocation(secure);
    addLocation(refusing);
    TestLinksProcess process(processEnvironment(WebCheckSettings::off()));
    runProcess(process);
    EXPECT_EQ(process.testsStarted(), 1); // no secure address
    EXPECT_EQ(location(secure).Validated, 0);
    EXPECT_EQ(location(refusing).Validated, 2);
    EXPECT_EQ(headless.requests().size(), 1u);
    EXPECT_EQ(ui.interactions().size(), 2); // the two questions, no summary

    // The settings file round trip, and numbers out of range brought in.
    IniFile ini(temp.root() + QStringLiteral("/PATHKEEP.INI"));
    EXPECT_EQ(WebCheckSettings::load(ini), WebCheckSettings());
    WebCheckSettings::off().save(ini);
    EXPECT_EQ(WebCheckSettings::load(ini), WebCheckSettings::off());
    ini.setValue(QStringLiteral("Testing"), QStringLiteral("PerHost"), 50);
    ini.setValue(QStringLiteral("Testing"), QStringLiteral("RequestTimeLimit"), -4);
    EXPECT_EQ(WebCheckSettings::load(ini).perHost, WebCheckSettings::MaxPerHost);
    EXPECT_EQ(WebCheckSettings::load(ini).requestSeconds, 0);
}

TEST_F(WebCheckTest, AnswersThatAreNotHttpAndOddRedirectsFailEveryLocationWithItsReason)
{
    LoopbackServer server(routed([](const std::string &path) -> std::string {
        if (path == "/minus")
            return "HTTP/1.1 -200 OK\r\n\r\n";
        if (path == "/foo")
            return "FOO 200 OK\r\n\r\n";
        if (path == "/garbage")
            return "garbage\r\n\r\n";
        if (path == "/self")
            return "HTTP/1.1 301 Moved\r\nLocation: /self\r\n\r\n";
        if (path == "/passwd")
            return "HTTP/1.1 301 Moved\r\nLocation: file:///etc/passwd\r\n\r\n";
        return "HTTP/1.1 200 OK\r\n\r\n";
    }));
    // Says nothing until the test has run out of time.
    LoopbackServer silent(answer("HTTP/1.1 200 OK", {}, 60000));
    struct Case
    {
        const char *path;
        const char *detail;
    };
    const Case cases[] = {{"/minus", "The answer is not HTTP: HTTP/1.1 -200 OK"},
                          {"/foo", "The answer is not HTTP: FOO 200 OK"},
                          {"/garbage", "The answer is not HTTP: garbage"},
                          {"/self", "Redirected to the same address"},
                          {"/passwd",
                           "Redirected to an address that is not http or https: "
                           "file:///etc/passwd"},
                          {"/slow", "No answer within 2 s"}};
    const auto urlFor = [&](const char *path) {
        return urlOf(std::string_view(path) == "/slow" ? silent : server, path);
    };
    for (const Case &c : cases)
        addLocation(urlFor(c.path));
    addLocation(urlOf(server, "/fine"));

    TestLinksEnvironment env = processEnvironment(WebCheckSettings::off());
    env.test.timeLimit = std::chrono::seconds(2);
    TestLinksProcess process(std::move(env));
    runProcess(process);
    const TestLinksSummary &summary = process.summary();
    EXPECT_EQ(summary.passed, 1);
    EXPECT_EQ(summary.moved, 0);
    EXPECT_EQ(summary.failed, int(std::size(cases)));
    for (const Case &c : cases) {
        const QString url = urlFor(c.path);
        const LocationRecord r = location(url);
        EXPECT_EQ(r.Validated, 2) << c.path;
        EXPECT_EQ(r.LastValidated, DayNumber::today()) << c.path;
        EXPECT_TRUE(r.MovedTo.isEmpty()) << c.path << ": " << r.MovedTo.toStdString();
        EXPECT_TRUE(detailText(url).contains(QLatin1String(c.detail)))
            << c.path << ": " << detailText(url).toStdString();
    }
    EXPECT_EQ(location(urlOf(server, "/fine")).Validated, 1);
    server.stop();
    silent.stop();
}
