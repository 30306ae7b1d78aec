#include "linkcheckfixture.h"

#include "linkcheck/runningtests.h"
#include "store/picture.h"

#include <QTest>

using namespace pk;
using namespace pk::test;

namespace {

QString todayLabel()
{
    return QStringLiteral("Validated ")
           + Picture::format(QStringLiteral("@d17"), DayNumber::today());
}

} // namespace

TEST_F(LinkCheckTest, PassedLocationGetsItsFieldsAndADetailRow)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK",
                                 {"Content-Type: text/html",
                                  "Content-Length: 4321",
                                  "Last-Modified: Tue, 15 Nov 1994 12:45:26 GMT",
                                  "Expires: Thu, 01 Dec 2033 16:00:00 GMT"}));
    const QString url = urlOf(server, "/page.html");
    addLocation(url);

    LinkTest *test = nullptr;
    EXPECT_EQ(runTest(url, true, 5000, &test), LinkTest::Evaluated);

    const LocationRecord r = location(url);
    EXPECT_EQ(r.Validated, 1);
    EXPECT_EQ(r.LastValidated, DayNumber::today());
    EXPECT_EQ(r.PageSize, 4321);
    EXPECT_EQ(r.Expires, DayNumber::fromDate(QDate(2033, 12, 1)));
    EXPECT_EQ(r.Custom1, QStringLiteral("Last modified: Tue, 15 Nov 1994 12:45:26 GMT"));
    EXPECT_EQ(r.Custom2, QStringLiteral("Content: text/html"));
    const auto rows = details(url);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].DataLabel, todayLabel());
    EXPECT_EQ(rows[0].DataValue, QStringLiteral("HTTP/1.1 200 OK"));
    EXPECT_TRUE(test->text().startsWith(QLatin1String("HTTP/1.1 200 OK\r\n")));
    EXPECT_TRUE(ui.interactions().isEmpty());
    EXPECT_EQ(RunningTests::instance().count(), 0);

    // The request is the HEAD of the path with the fixed header lines, in order.
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string expected
        = "HEAD /page.html HTTP/1.0\r\n"
          "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
          "Accept-Language: en\r\n"
          "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
          "1.1.4322)\r\n"
          "Host: 127.0.0.1:"
          + std::to_string(server.port())
          + "\r\n"
            "Connection: Keep-Alive\r\n\r\n";
    EXPECT_EQ(server.requests().front(), expected);
}

TEST_F(LinkCheckTest, FailedAndMovedLocations)
{
    LoopbackServer missing(answer("HTTP/1.1 404 Not Found"));
    const QString gone = urlOf(missing, "/gone");
    addLocation(gone);
    EXPECT_EQ(runTest(gone), LinkTest::Evaluated);
    EXPECT_EQ(location(gone).Validated, 2);
    ASSERT_EQ(details(gone).size(), 1u);
    EXPECT_EQ(details(gone)[0].DataValue, QStringLiteral("HTTP/1.1 404 Not Found"));

    LoopbackServer moving(
        answer("HTTP/1.1 301 Moved Permanently", {"Location: http://elsewhere.test/"}));
    const QString old = urlOf(moving, "/old");
    addLocation(old);
    EXPECT_EQ(runTest(old), LinkTest::Evaluated);
    EXPECT_EQ(location(old).Validated, 1);
    EXPECT_EQ(location(old).MovedTo, QStringLiteral("http://elsewhere.test/"));

    // A Location naming the tested address itself (in other letter case) stays failed.
    auto self = std::make_shared<std::string>();
    LoopbackServer selfish([self](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.1 302 Found\r\nLocation: " + *self + "\r\n\r\n");
    });
    const QString selfUrl = urlOf(selfish, "/Self");
    *self = selfUrl.toUpper().toStdString();
    addLocation(selfUrl);
    EXPECT_EQ(runTest(selfUrl), LinkTest::Evaluated);
    EXPECT_EQ(location(selfUrl).Validated, 2);
    EXPECT_TRUE(location(selfUrl).MovedTo.isEmpty());
}

TEST_F(LinkCheckTest, UsersCustomTextsSurviveATest)
{
    LoopbackServer server(
        answer("HTTP/1.1 200 OK",
               {"Content-Type: text/html", "Last-Modified: Tue, 15 Nov 1994 12:45:26 GMT"}));
    const QString url = urlOf(server);
    addLocation(url, QStringLiteral("bought 2019"), QStringLiteral("shared with Ann"));
    EXPECT_EQ(runTest(url), LinkTest::Evaluated);
    EXPECT_EQ(location(url).Custom1, QStringLiteral("bought 2019"));
    EXPECT_EQ(location(url).Custom2, QStringLiteral("shared with Ann"));
    EXPECT_EQ(location(url).Validated, 1);
}

TEST_F(LinkCheckTest, VanishedLocationIsReportedAndNothingWritten)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK"));
    const QString url = urlOf(server, "/vanished");
    EXPECT_EQ(runTest(url), LinkTest::Evaluated);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Error"));
    EXPECT_EQ(ui.interactions()[0].text,
              QStringLiteral("Unable to retrieve ") + url + QLatin1Char('.'));
    EXPECT_TRUE(details(url).empty());
}

TEST_F(LinkCheckTest, WithoutUpdateNothingIsReadOrWritten)
{
    LoopbackServer server(answer("HTTP/1.1 404 Not Found"));
    const QString url = urlOf(server);
    addLocation(url);
    LinkTest *test = nullptr;
    EXPECT_EQ(runTest(url, false, 5000, &test), LinkTest::Evaluated);
    EXPECT_EQ(test->outcome().Validated, 2);
    EXPECT_EQ(location(url).Validated, 0);
    EXPECT_EQ(location(url).LastValidated, 0);
    EXPECT_TRUE(details(url).empty());
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(LinkCheckTest, NetworkErrorsAreReportedAndEndTheTest)
{
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackServer::closedPort());
    const QString unknown = QStringLiteral("http://%1.invalid/").arg(QString(64, QLatin1Char('a')));
    for (const QString &url : {refused, unknown}) {
        ui.clear();
        addLocation(url);
        // Once the message is answered the test is over: it does not wait for its time limit
        // (a minute here, far longer than the run may take).
        const int result = runTest(url, true, 60000);
        EXPECT_LT(result, 0) << url.toStdString();
        EXPECT_NE(result, LinkTest::TimedOut) << url.toStdString();
        EXPECT_NE(result, LinkTest::Cancelled) << url.toStdString();
        ASSERT_EQ(ui.interactions().size(), 1) << url.toStdString();
        EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Network Object Error"));
        EXPECT_EQ(RunningTests::instance().count(), 0);
        // The failure is written once, when it happens.
        const LocationRecord r = location(url);
        EXPECT_EQ(r.Validated, 2);
        EXPECT_EQ(r.LastValidated, DayNumber::today());
        const std::vector<DetailRecord> rows = details(url);
        ASSERT_EQ(rows.size(), 1u) << url.toStdString();
        EXPECT_FALSE(rows[0].DataValue.startsWith(QStringLiteral("No answer within")));
    }
}

TEST_F(LinkCheckTest, SilentServerEndsAtTheTimeLimit)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.hold();
    });
    const QString url = urlOf(server);
    addLocation(url);
    LinkTest *test = nullptr;
    EXPECT_EQ(runTest(url, true, 300, &test), LinkTest::TimedOut);
    EXPECT_GT(test->progress(), 0);
    // A location that never answered has failed, and says so.
    EXPECT_EQ(location(url).Validated, 2);
    EXPECT_EQ(location(url).LastValidated, DayNumber::today());
    const std::vector<DetailRecord> rows = details(url);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].DataValue,
              QString(QStringLiteral("No answer within 0.3 s from ") + url).left(90));
    EXPECT_EQ(RunningTests::instance().count(), 0);
    server.stop();
}

TEST_F(LinkCheckTest, CancelledTestReturnsItsOwnResult)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.hold();
    });
    const QString url = urlOf(server);
    addLocation(url);
    LinkTest test(environment(), url, true);
    int signalled = 0;
    QObject::connect(&test, &LinkTest::finished, [&](int) { ++signalled; });
    test.start();
    EXPECT_EQ(RunningTests::instance().count(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&server] { return server.requests().size() == 1; }, 5000));
    test.cancel();
    EXPECT_EQ(test.result(), LinkTest::Cancelled);
    EXPECT_EQ(signalled, 1);
    EXPECT_EQ(RunningTests::instance().count(), 0);
    EXPECT_TRUE(details(url).empty());
    server.stop();
}

TEST_F(LinkCheckTest, ImmediateFailureIsRecorded)
{
    // An address without a host cannot even be requested: the test fails at once.
    const QString url = QStringLiteral("https://");
    addLocation(url);
    const int result = runTest(url, true, 2000);
    ASSERT_LT(result, 0);
    ASSERT_NE(result, LinkTest::TimedOut);
    ASSERT_NE(result, LinkTest::Cancelled);
    const LocationRecord r = location(url);
    EXPECT_EQ(r.Validated, 0);
    EXPECT_EQ(r.LastValidated, DayNumber::today());
    const auto rows = details(url);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].DataLabel, todayLabel());
    EXPECT_TRUE(rows[0].DataValue.startsWith(QStringLiteral("Unable to make secure connection. ")
                                             + QString::number(result) + QLatin1Char(' ')))
        << rows[0].DataValue.toStdString();
}
