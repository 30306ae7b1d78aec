#include "linkcheck/analysis/locationanalysis.h"
#include "linkcheck/analysis/pagedecoder.h"
#include "linkcheck/analysis/urlanalyzer.h"
#include "loopbackserver.h"
#include "pageserver.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationrows.h"
#include "store/picture.h"
#include "support/tempcollection.h"

#include <QDir>

#include <cstring>

#include <gtest/gtest.h>

using namespace pk;

namespace {

class Analysis : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(temp.folder()));
        collection = std::make_unique<Collection>(temp.folder());
        ASSERT_TRUE(collection->openAll(true));
    }

    LocationRecord location(const std::string &path)
    {
        LocationRecord record;
        record.Location = QString::fromStdString(server.url(path));
        return record;
    }

    int analyze(LocationRecord &record)
    {
        LocationAnalysis analysis(*collection, &UrlAnalyzer::fetch, today);
        StoreStatus status;
        const int result = analysis.analyze(record, status);
        EXPECT_TRUE(status) << status.describe().toStdString();
        return result;
    }

    QStringList keywords(const LocationRecord &record)
    {
        std::vector<KeywordRecord> rows;
        EXPECT_TRUE(collection->keywords().list(record.Location, rows));
        QStringList out;
        for (const auto &row : rows)
            out.append(row.Keyword);
        return out;
    }

    QStringList details(const LocationRecord &record)
    {
        std::vector<DetailRecord> rows;
        EXPECT_TRUE(collection->details().list(record.Location, rows));
        QStringList out;
        for (const auto &row : rows)
            out.append(row.DataLabel + QLatin1Char('=') + row.DataValue);
        return out;
    }

    test::NoProxy noProxy;
    test::TempCollection temp;
    std::unique_ptr<Collection> collection;
    test::PageServer server;
    const qint32 today = DayNumber::today();
};

} // namespace

TEST_F(Analysis, AnalyzerStepsThroughToTheByteCount)
{
    const std::string page = "<html><head><title>Home</title></head><body>Hello</body></html>";
    server.page("/dir/index.html", page);
    server.start();
    UrlAnalyzer analyzer(QString::fromStdString(server.url("/dir/index.html")));
    EXPECT_EQ(analyzer.fileSuggestion(), QStringLiteral("index.html"));
    while (analyzer.tick(20)) {
    }
    EXPECT_EQ(analyzer.result(), int(page.size()));
    EXPECT_EQ(analyzer.progress(), 90);
    EXPECT_TRUE(analyzer.statusLines().contains(QStringLiteral("Parsing")));
    EXPECT_TRUE(analyzer.statusLines().contains(QStringLiteral("Analyzing HTML document")));
    EXPECT_TRUE(analyzer.statusLines().filter(QStringLiteral("HTTP/1.1 200")).size() > 0);
    // Only what the analysis reads is kept: the title and the text after the body tag.
    const std::vector<QString> kept = {QStringLiteral("<title>"),
                                       QStringLiteral("Home"),
                                       QStringLiteral("<body>"),
                                       QStringLiteral("Hello")};
    EXPECT_EQ(analyzer.tokens(), kept);
}

TEST_F(Analysis, CancelGivesMinusOne)
{
    server.start();
    UrlAnalyzer analyzer(QString::fromStdString(server.url("/")));
    analyzer.tick();
    analyzer.cancel();
    EXPECT_EQ(analyzer.result(), UrlAnalyzer::Cancelled);
    EXPECT_FALSE(analyzer.tick());
}

TEST_F(Analysis, UnreachableServerFailsTheLocation)
{
    LocationRecord record;
    record.Location = QStringLiteral("http://127.0.0.1:1/");
    record.Description = QStringLiteral("kept");
    EXPECT_EQ(analyze(record), 2);
    EXPECT_EQ(record.Validated, 2);
    EXPECT_EQ(record.LastValidated, today);
    EXPECT_EQ(record.LastVisit, today);
    EXPECT_EQ(record.Description, QStringLiteral("kept"));
}

TEST_F(Analysis, TitleFillsOnlyABlankDescription)
{
    server.page("/", "<html><title>Home</title><body>x</body></html>");
    server.start();
    LocationRecord blank = location("/");
    analyze(blank);
    EXPECT_EQ(blank.Description, QStringLiteral("Home"));
    EXPECT_EQ(blank.Validated, 1);
    EXPECT_GT(blank.PageSize, 3);

    LocationRecord named = location("/");
    named.Description = QStringLiteral("Mine");
    analyze(named);
    EXPECT_EQ(named.Description, QStringLiteral("Mine"));
}

TEST_F(Analysis, KeywordsReplaceTheOldOnesWithoutRepeats)
{
    server.page("/",
                "<html><head><meta name=\"keywords\" content=\"alpha, beta,,alpha, gamma\">"
                "</head></html>");
    server.start();
    LocationRecord record = location("/");
    KeywordRecord old;
    old.Location = record.Location;
    old.Keyword = QStringLiteral("old");
    ASSERT_TRUE(collection->keywords().insert(old));
    analyze(record);
    EXPECT_EQ(keywords(record),
              QStringList(
                  {QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")}));
}

TEST_F(Analysis, DescriptionAlwaysFillsSiteInfoBodyTextOnlyWhenItWasBlank)
{
    server.page("/",
                "<html><head><META NAME=\"Description\" CONTENT=\"About Us\"></head>"
                "<body><p>  Welcome here</p><p>more</p></body></html>");
    server.page("/plain", "<html><body>First line of text<br>second</body></html>");
    server.start();

    LocationRecord filled = location("/");
    filled.SiteInfo = QStringLiteral("old notes");
    analyze(filled);
    EXPECT_EQ(filled.SiteInfo, QStringLiteral("About Us"));

    LocationRecord blank = location("/");
    analyze(blank);
    EXPECT_EQ(blank.SiteInfo, QStringLiteral("About Us\r\nWelcome here more"));

    LocationRecord plain = location("/plain");
    analyze(plain);
    EXPECT_EQ(plain.SiteInfo, QStringLiteral("First line of text second"));
}

TEST_F(Analysis, BodyTextKeepsToTheFieldSize)
{
    QString site;
    std::vector<QString> tokens{QStringLiteral("<body>")};
    for (int i = 0; i < 400; ++i)
        tokens.push_back(QStringLiteral("short words"));
    LocationAnalysis::appendBodyText(tokens, site);
    EXPECT_GT(site.size(), LocationAnalysis::SiteInfoStop);
    EXPECT_LE(site.size(), LocationAnalysis::SiteInfoWidth);
    // Past 50 characters short pieces go on lines of their own.
    EXPECT_TRUE(site.contains(QStringLiteral("short words\r\nshort words")));
}

TEST_F(Analysis, OtherMetaNamesBecomeDetailsOnlyWithoutEarlierDetails)
{
    server.page("/",
                "<html><meta name=\"author\" content=\"x\"><meta name=\"generator\" content=\" \">"
                "<meta http-equiv=\"Refresh\" content=\"5; URL=http://new/\">"
                "<meta http-equiv=\"expires\" content=\"Wed, 21 Oct 2026 07:28:00 GMT\"></html>");
    server.start();
    LocationRecord fresh = location("/");
    analyze(fresh);
    EXPECT_EQ(details(fresh), QStringList{QStringLiteral("AUTHOR=x")});
    EXPECT_EQ(fresh.MovedTo, QStringLiteral("5; URL=http://new/"));
    EXPECT_EQ(fresh.Expires, DayNumber::fromDate(QDate(2026, 10, 21)));

    // Analysed again: the location has details now, so none are added.
    analyze(fresh);
    EXPECT_EQ(details(fresh), QStringList{QStringLiteral("AUTHOR=x")});
}

TEST_F(Analysis, AFormsRowsTakeTheKeywordsAndDetailsInsteadOfTheCollection)
{
    server.page("/",
                "<html><meta name=\"keywords\" content=\"alpha, beta\">"
                "<meta name=\"author\" content=\"x\"></html>");
    server.start();
    LocationRecord record = location("/");
    KeywordRecord old;
    old.Location = record.Location;
    old.Keyword = QStringLiteral("old");
    ASSERT_TRUE(collection->keywords().insert(old));
    LocationRows rows;
    ASSERT_TRUE(rows.load(*collection, record.Location));

    LocationAnalysis analysis(*collection, &UrlAnalyzer::fetch, today);
    analysis.setRows(&rows);
    StoreStatus status;
    EXPECT_GT(analysis.analyze(record, status), 3);
    EXPECT_TRUE(status);
    // Nothing reaches the collection until the form stores its rows.
    EXPECT_EQ(keywords(record), QStringList{QStringLiteral("old")});
    EXPECT_TRUE(details(record).isEmpty());
    ASSERT_EQ(rows.keywords().size(), 2u);
    EXPECT_EQ(rows.keywords()[0].Keyword, QStringLiteral("alpha"));
    ASSERT_EQ(rows.details().size(), 1u);
    EXPECT_EQ(rows.details()[0].DataLabel, QStringLiteral("AUTHOR"));

    ASSERT_TRUE(collection->transaction(
        [&] { return rows.store(*collection, record.Location, record.Location); }));
    EXPECT_EQ(keywords(record), QStringList({QStringLiteral("alpha"), QStringLiteral("beta")}));
    EXPECT_EQ(details(record), QStringList{QStringLiteral("AUTHOR=x")});
}

TEST_F(Analysis, OldExpiryDatesAreIgnored)
{
    EXPECT_EQ(LocationAnalysis::expiresDay(QStringLiteral("Thu, 01 Jan 1970 00:00:00 GMT")),
              DayNumber::fromDate(QDate(1970, 1, 1)));
    server.page("/", "<meta http-equiv=\"expires\" content=\"Thu, 01 Jan 1970 00:00:00 GMT\">");
    server.start();
    LocationRecord record = location("/");
    analyze(record);
    EXPECT_EQ(record.Expires, 0);
}

TEST_F(Analysis, ARefreshBecomesMovedToOnlyWhenItLeadsToAWebPage)
{
    server.page("/web", "<meta http-equiv=\"refresh\" content=\"5; URL='https://new.test/'\">");
    server.page("/file", "<meta http-equiv=\"refresh\" content=\"0; url=file:///etc/passwd\">");
    server.page("/script", "<meta http-equiv=\"refresh\" content=\"0;url=javascript:go()\">");
    server.page("/relative", "<meta http-equiv=\"refresh\" content=\"0; url=/next.html\">");
    server.start();
    const std::pair<const char *, const char *> cases[] = {
        {"/web", "5; URL='https://new.test/'"},
        {"/file", ""},
        {"/script", ""},
        {"/relative", "0; url=/next.html"},
    };
    for (const auto &[path, movedTo] : cases) {
        LocationRecord record = location(path);
        analyze(record);
        EXPECT_EQ(record.MovedTo, QString::fromLatin1(movedTo)) << path;
    }
}

TEST_F(Analysis, MailtoAndRevGiveTheAddress)
{
    server.page("/", "<html><a href=\"mailto:me@example.org\" class=\"mail\">me</a></html>");
    server.page("/rev", "<html><meta name=\"rev\" content=\"owner@example.org\"></html>");
    server.start();
    LocationRecord record = location("/");
    analyze(record);
    EXPECT_EQ(record.EmailAddress, QStringLiteral("me@example.org"));

    LocationRecord rev = location("/rev");
    analyze(rev);
    EXPECT_EQ(rev.EmailAddress, QStringLiteral("owner@example.org"));
}

TEST_F(Analysis, A404NearTheStartFailsThePage)
{
    server.page("/", "<html><title>Error 404 - not here</title></html>");
    server.http.Get("/late", [](const httplib::Request &, httplib::Response &res) {
        res.set_content("<html><title>Fine</title>" + std::string(600, ' ') + "404</html>",
                        "text/html");
    });
    server.start();
    LocationRecord record = location("/");
    EXPECT_EQ(analyze(record), 2);
    EXPECT_EQ(record.Validated, 2);
    EXPECT_TRUE(record.Description.isEmpty());

    LocationRecord late = location("/late");
    EXPECT_GT(analyze(late), 3);
    EXPECT_EQ(late.Description, QStringLiteral("Fine"));
}

TEST_F(Analysis, DroppedConnectionKeepsWhatArrived)
{
    server.http.Get("/", [](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(100000,
                                 "text/html",
                                 [](size_t offset, size_t, httplib::DataSink &sink) {
                                     if (offset > 0)
                                         return false; // the server breaks off after the first part
                                     const std::string part = "<html><title>Partial</title>"
                                                              + std::string(2000, 'x');
                                     sink.write(part.data(), part.size());
                                     return true;
                                 });
    });
    server.start();
    LocationRecord record = location("/");
    const int result = analyze(record);
    EXPECT_EQ(result, 2028);
    EXPECT_EQ(record.Description, QStringLiteral("Partial"));
}

TEST_F(Analysis, LargePageIsReadToTheEnd)
{
    std::string big = "<html><title>Big</title><body>";
    const std::string text = test::letters(50u * 1024 * 1024);
    for (std::size_t at = 0; big.size() < 50u * 1024 * 1024; at += 4000)
        big += "<p>" + text.substr(at, 4000) + "</p>";
    big += "</body></html>";
    // Served as it is: the server would pack a text page first, which takes long.
    server.http.Get("/", [&big](const httplib::Request &, httplib::Response &res) {
        res.set_content(big, "application/octet-stream");
    });
    server.start();
    std::vector<QString> tokens;
    QString why;
    // The test server packs the whole page before its first byte, which on a busy machine
    // can take longer than the default time without a byte.
    FetchLimits limits;
    limits.silenceSeconds = 0;
    EXPECT_EQ(UrlAnalyzer::fetchWith(QString::fromStdString(server.url("/")), tokens, limits, &why),
              int(big.size()))
        << why.toStdString();
    // Of 13,000 paragraphs only the title and the text the site information takes are kept.
    ASSERT_GE(tokens.size(), 2u);
    EXPECT_EQ(tokens[1], QStringLiteral("Big"));
    EXPECT_LT(tokens.size(), 10u);
}

TEST_F(Analysis, ErrorStatusesFailAndFillNothing)
{
    // Error pages that do not say "404" anywhere, with titles and descriptions of their own.
    const std::string errorPage = "<html><head><title>Sorry</title><meta name=\"description\" "
                                  "content=\"Nothing here\"></head><body>Gone</body></html>";
    for (const int status : {400, 403, 404, 410, 429, 500, 503}) {
        const std::string path = "/e" + std::to_string(status);
        server.http.Get(path, [errorPage, status](const httplib::Request &, httplib::Response &res) {
            res.status = status;
            res.set_content(errorPage, "text/html");
        });
    }
    server.page("/fine", "<html><head><title>Fine</title></head></html>");
    server.start();
    for (const int status : {400, 403, 404, 410, 429, 500, 503}) {
        LocationRecord record = location("/e" + std::to_string(status));
        EXPECT_EQ(analyze(record), 2) << status;
        EXPECT_EQ(record.Validated, 2) << status;
        EXPECT_TRUE(record.Description.isEmpty()) << status;
        EXPECT_TRUE(record.SiteInfo.isEmpty()) << status;
    }
    LocationRecord fine = location("/fine");
    EXPECT_GT(analyze(fine), 3);
    EXPECT_EQ(fine.Validated, 1);
    EXPECT_EQ(fine.Description, QStringLiteral("Fine"));
}

TEST_F(Analysis, PagesAreReadInTheirOwnCharacterSet)
{
    const std::string latin1Title = "Caf\xE9 M\xFCller \xF6";
    // Declared in the header only, in a META tag only (either form), and not at all.
    server.http.Get("/header", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content("<html><head><title>" + latin1Title + "</title></head></html>",
                        "text/html; charset=ISO-8859-1");
    });
    server.page("/meta",
                "<html><head><meta charset=\"iso-8859-1\"><title>" + latin1Title
                    + "</title></head></html>");
    server.page("/equiv",
                "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                "charset=windows-1252\"><title>"
                    + latin1Title + " \x80</title></head></html>");
    server.page("/undeclared", "<html><head><title>" + latin1Title + "</title></head></html>");
    server.page("/utf8", "<html><head><title>Caf\xC3\xA9 M\xC3\xBCller \xC3\xB6</title></head>");
    server.start();
    const QString expected = QStringLiteral("Café Müller ö");
    for (const char *path : {"/header", "/meta", "/undeclared", "/utf8"}) {
        LocationRecord record = location(path);
        EXPECT_GT(analyze(record), 3) << path;
        EXPECT_EQ(record.Description, expected) << path;
    }
    LocationRecord equiv = location("/equiv");
    EXPECT_GT(analyze(equiv), 3);
    EXPECT_EQ(equiv.Description, expected + QStringLiteral(" €"));
}

TEST(PageDecoder, CharsetChoiceAndSequencesCutBetweenBlocks)
{
    EXPECT_EQ(PageDecoder::charsetOfContentType("text/html; Charset=\"ISO-8859-1\""),
              QByteArray("iso-8859-1"));
    EXPECT_TRUE(PageDecoder::charsetOfContentType("text/html").isEmpty());
    EXPECT_EQ(PageDecoder::charsetOfMeta("<META NAME=x><meta charset='UTF-8' />"),
              QByteArray("utf-8"));
    EXPECT_TRUE(PageDecoder::charsetOfMeta("<p>charset=koi8-r</p>").isEmpty());

    PageDecoder bom;
    bom.choose({}, "\xFF\xFEh\0i\0");
    EXPECT_EQ(bom.charset(), QByteArray("utf-16le"));

    // "é" (C3 A9) and "€" (E2 82 AC) cut at every point, then a stray byte of 1252 text.
    PageDecoder utf8;
    utf8.choose("text/html", "<html>");
    QString text;
    for (const char *piece : {"a\xC3", "\xA9 \xE2", "\x82", "\xAC b\xE9", "c"})
        text += utf8.decode(QByteArrayView(piece, qsizetype(std::strlen(piece))));
    EXPECT_EQ(text, QStringLiteral("aé € béc"));
}

TEST_F(Analysis, SecurePagesTrustWhatTheNetworkLibraryTrusts)
{
    const std::string page = "<html><head><title>Secure</title></head></html>";
    test::LoopbackServer tls(test::LoopbackServer::reply("HTTP/1.1 200 OK\r\nContent-Type: "
                                                         "text/html\r\nContent-Length: "
                                                         + std::to_string(page.size()) + "\r\n\r\n"
                                                         + page),
                             true);
    LocationRecord record;
    record.Location = QStringLiteral("https://127.0.0.1:%1/").arg(tls.port());
    const char *saved = std::getenv("SSL_CERT_FILE");
    const std::string savedValue = saved ? saved : "";
    unsetenv("SSL_CERT_FILE");
    EXPECT_EQ(analyze(record), 2); // a certificate nobody vouches for
    setenv("SSL_CERT_FILE", tls.certificateFile().c_str(), 1);
    record.Validated = 0;
    EXPECT_GT(analyze(record), 3);
    EXPECT_EQ(record.Description, QStringLiteral("Secure"));
    if (saved)
        setenv("SSL_CERT_FILE", savedValue.c_str(), 1);
    else
        unsetenv("SSL_CERT_FILE");
}
