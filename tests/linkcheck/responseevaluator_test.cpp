#include "linkcheck/responseevaluator.h"
#include "store/picture.h"

#include <gtest/gtest.h>

#include <QDate>

using pk::LocationRecord;
using pk::ResponseEvaluator;
using pk::ResponseOutcome;

namespace {

const QString Url = QStringLiteral("http://example.test/page.html");
constexpr qint32 Today = 80000;

ResponseOutcome evaluate(const char *header, const LocationRecord &record = {}, bool details = true)
{
    return ResponseEvaluator::evaluate(QByteArray(header), Url, record, Today, details);
}

} // namespace

TEST(ResponseEvaluator, StatusDecidesPassedOrFailed)
{
    struct Case
    {
        const char *header;
        int validated;
        int code;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\n\r\n", 1, 200},
        {"HTTP/1.1 204 No Content\r\n\r\n", 1, 204},
        {"HTTP/1.1 299 Odd\r\n\r\n", 1, 299},
        {"HTTP/1.1 300 Multiple Choices\r\n\r\n", 2, 300},
        {"HTTP/1.1 404 Not Found\r\n\r\n", 2, 404},
        {"HTTP/1.0 500 Internal Server Error\r\n\r\n", 2, 500},
        {"HTTP/1.1 200\r\n\r\n", 1, 200}, // no reason phrase
    };
    for (const Case &c : cases) {
        const ResponseOutcome out = evaluate(c.header);
        EXPECT_EQ(out.Validated, c.validated) << c.header;
        EXPECT_EQ(out.statusCode, c.code) << c.header;
        EXPECT_EQ(out.LastValidated, Today);
    }
}

TEST(ResponseEvaluator, AnAnswerThatIsNotHttpFailsWithADetailRow)
{
    LocationRecord before;
    before.Validated = 1;
    for (const char *header : {"HTTP/1.1\r\n\r\n",
                               "HTTP/1.1 abc def\r\n",
                               "HTTP/1.1 -200 OK\r\n\r\n",
                               "HTTP/1.1 2000 OK\r\n\r\n",
                               "FOO 200 OK\r\n\r\n",
                               "garbage",
                               "Unable to retrieve "}) {
        const ResponseOutcome out = evaluate(header, before);
        EXPECT_EQ(out.Validated, 2) << header;
        EXPECT_TRUE(out.notHttp) << header;
        EXPECT_FALSE(out.sawStatusLine) << header;
        ASSERT_EQ(out.details.size(), 1u) << header;
        EXPECT_EQ(out.details[0],
                  QString(QStringLiteral("The answer is not HTTP: ")
                          + QString::fromLatin1(header).section(QLatin1Char('\r'), 0, 0).trimmed()))
            << header;
    }
}

TEST(ResponseEvaluator, StatusLineCodes)
{
    EXPECT_EQ(ResponseEvaluator::statusLineCode(u"HTTP/1.1 200 OK"), 200);
    EXPECT_EQ(ResponseEvaluator::statusLineCode(u"http/1.0 404"), 404);
    for (const char16_t *line : {u"HTTP/1.1 -200 OK",
                                 u"HTTP/1.1 20 OK",
                                 u"HTTP/1.1 099 x",
                                 u"HTTP/1.1 600 x",
                                 u"HTTP/1.1  200 OK",
                                 u"HTTP/2 200 OK",
                                 u"HTTP/1.1 200OK",
                                 u"FOO 200 OK"})
        EXPECT_EQ(ResponseEvaluator::statusLineCode(line), 0)
            << QString::fromUtf16(line).toStdString();
}

TEST(ResponseEvaluator, OnlyAnotherWebAddressBecomesMovedTo)
{
    LocationRecord record;
    record.MovedTo = QStringLiteral("http://old.test/");
    // Relative targets are resolved against the tested address.
    const ResponseOutcome relative = evaluate("HTTP/1.1 302 Found\r\nLocation: new.html\r\n\r\n");
    EXPECT_EQ(relative.Validated, 1);
    EXPECT_EQ(relative.MovedTo, QStringLiteral("http://example.test/new.html"));
    EXPECT_EQ(evaluate("HTTP/1.1 302 Found\r\nLocation: //cdn.test/x\r\n\r\n").MovedTo,
              QStringLiteral("http://cdn.test/x"));
    EXPECT_EQ(evaluate("HTTP/1.1 301 Moved\r\nLocation: https://example.test/page.html\r\n\r\n")
                  .MovedTo,
              QStringLiteral("https://example.test/page.html"));

    // The same address, however it is written, is no move.
    for (const char *same : {"/page.html",
                             "page.html",
                             "http://example.test:80/page.html",
                             "HTTP://Example.Test/page.html#top"}) {
        const ResponseOutcome out
            = evaluate((std::string("HTTP/1.1 301 Moved\r\nLocation: ") + same + "\r\n\r\n").c_str(),
                       record);
        EXPECT_EQ(out.Validated, 2) << same;
        EXPECT_EQ(out.MovedTo, QStringLiteral("http://old.test/")) << same;
        EXPECT_EQ(out.details.back(), QStringLiteral("Redirected to the same address")) << same;
    }

    // Another scheme fails the location and is never stored.
    for (const char *other : {"file:///etc/passwd", "ftp://example.test/x", "javascript:alert(1)"}) {
        const ResponseOutcome out
            = evaluate((std::string("HTTP/1.1 301 Moved\r\nLocation: ") + other + "\r\n\r\n").c_str(),
                       record);
        EXPECT_EQ(out.Validated, 2) << other;
        EXPECT_TRUE(out.notWebTarget) << other;
        EXPECT_EQ(out.MovedTo, QStringLiteral("http://old.test/")) << other;
        EXPECT_EQ(out.details.back(),
                  QString(QStringLiteral("Redirected to an address that is not http or https: ")
                          + QLatin1String(other)))
            << other;
    }
    const ResponseOutcome content
        = evaluate("HTTP/1.1 200 OK\r\nContent-Location: file:///etc/passwd\r\n\r\n", record);
    EXPECT_EQ(content.Validated, 2);
    EXPECT_EQ(content.MovedTo, QStringLiteral("http://old.test/"));
}

TEST(ResponseEvaluator, StatusLineBecomesTheDetailValueCutTo90Characters)
{
    const QByteArray longReason(200, 'x');
    const QByteArray header = "HTTP/1.1 200 " + longReason + "\r\n\r\n";
    const ResponseOutcome out = ResponseEvaluator::evaluate(header, Url, {}, Today, true);
    ASSERT_EQ(out.details.size(), 1u);
    EXPECT_EQ(out.details[0].size(), 90);
    EXPECT_TRUE(out.details[0].startsWith(QLatin1String("HTTP/1.1 200 xxx")));

    EXPECT_TRUE(evaluate("HTTP/1.1 200 OK\r\n", {}, false).details.empty());
}

TEST(ResponseEvaluator, RedirectToAnotherAddressPassesWithMovedTo)
{
    const ResponseOutcome moved = evaluate(
        "HTTP/1.1 301 Moved Permanently\r\nLocation: http://example.test/new.html\r\n\r\n");
    EXPECT_EQ(moved.Validated, 1);
    EXPECT_EQ(moved.MovedTo, QStringLiteral("http://example.test/new.html"));

    // The same address, in other letter case, is no move: the redirect stays failed.
    LocationRecord record;
    record.MovedTo = QStringLiteral("http://old.test/");
    const ResponseOutcome same = evaluate(
        "HTTP/1.1 301 Moved Permanently\r\nlocation: HTTP://EXAMPLE.TEST/PAGE.HTML\r\n\r\n", record);
    EXPECT_EQ(same.Validated, 2);
    EXPECT_EQ(same.MovedTo, QStringLiteral("http://old.test/"));
}

TEST(ResponseEvaluator, ContentHeadersFillSizeAndMovedTo)
{
    const ResponseOutcome out = evaluate(
        "HTTP/1.1 200 OK\r\n"
        "Content-Length: 5120\r\n"
        "Content-Location: http://example.test/page.en.html\r\n\r\n");
    EXPECT_EQ(out.PageSize, 5120);
    EXPECT_EQ(out.MovedTo, QStringLiteral("http://example.test/page.en.html"));
    EXPECT_EQ(out.Validated, 1);

    EXPECT_EQ(evaluate("HTTP/1.1 200 OK\r\nContent-Length: 99999999999\r\n").PageSize,
              std::numeric_limits<qint32>::max());
    EXPECT_TRUE(evaluate("HTTP/1.1 200 OK\r\nContent-Location: http://EXAMPLE.test/page.html\r\n")
                    .MovedTo.isEmpty());
}

TEST(ResponseEvaluator, UsersOwnCustomTextsAreNeverOverwritten)
{
    const char *header = "HTTP/1.1 200 OK\r\n"
                         "Content-Type: text/html\r\n"
                         "Last-Modified: Tue, 15 Nov 1994 12:45:26 GMT\r\n\r\n";
    const ResponseOutcome blank = evaluate(header);
    EXPECT_EQ(blank.Custom1, QStringLiteral("Last modified: Tue, 15 Nov 1994 12:45:26 GMT"));
    EXPECT_EQ(blank.Custom2, QStringLiteral("Content: text/html"));

    LocationRecord earlier;
    earlier.Custom1 = QStringLiteral("Last modified: Mon, 01 Jan 1990 00:00:00 GMT");
    earlier.Custom2 = QStringLiteral("Content: image/png");
    const ResponseOutcome refreshed = evaluate(header, earlier);
    EXPECT_EQ(refreshed.Custom1, blank.Custom1);
    EXPECT_EQ(refreshed.Custom2, blank.Custom2);

    LocationRecord own;
    own.Custom1 = QStringLiteral("my note");
    own.Custom2 = QStringLiteral("Contents are mine");
    const ResponseOutcome kept = evaluate(header, own);
    EXPECT_EQ(kept.Custom1, own.Custom1);
    EXPECT_EQ(kept.Custom2, own.Custom2);
}

TEST(ResponseEvaluator, ExpiresReadsTheDatePart)
{
    EXPECT_EQ(ResponseEvaluator::expiryDay(QStringLiteral("Sun, 06 Nov 1994 08:49:37 GMT")),
              pk::DayNumber::fromDate(QDate(1994, 11, 6)));
    EXPECT_EQ(ResponseEvaluator::expiryDay(QStringLiteral("thu, 01 dec 2033 16:00:00 GMT")),
              pk::DayNumber::fromDate(QDate(2033, 12, 1)));
    EXPECT_EQ(ResponseEvaluator::expiryDay(QStringLiteral("0")), 0);
    EXPECT_EQ(ResponseEvaluator::expiryDay(QStringLiteral("Sun, 31 Feb 1994 08:49:37 GMT")), 0);
    EXPECT_EQ(ResponseEvaluator::expiryDay(QStringLiteral("Sun, 06 Xyz 1994 08:49:37 GMT")), 0);

    const ResponseOutcome out = evaluate(
        "HTTP/1.1 200 OK\r\nExpires: Sun, 06 Nov 1994 08:49:37 GMT\r\n");
    EXPECT_EQ(out.Expires, pk::DayNumber::fromDate(QDate(1994, 11, 6)));
}

TEST(ResponseEvaluator, LinesSplitAtEveryCrAndLf)
{
    // Bare LF and bare CR line ends are read like CR LF.
    const ResponseOutcome lf = evaluate(
        "HTTP/1.1 404 Not Found\nLocation: http://example.test/x\n");
    EXPECT_EQ(lf.MovedTo, QStringLiteral("http://example.test/x"));
    EXPECT_EQ(lf.Validated, 2); // an error page stays failed, whatever it points to
    const ResponseOutcome cr = evaluate("HTTP/1.1 200 OK\rContent-Length: 12\r");
    EXPECT_EQ(cr.PageSize, 12);
}
