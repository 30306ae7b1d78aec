#include "importfixture.h"

#include "import/webpageimport.h"
#include "pageserver.h"

#include <QDeadlineTimer>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class WebPageImportTest : public ImportTest
{
protected:
    /// Steps the import to its end (the server answers from a thread of its own).
    static void run(WebPageImport &import)
    {
        QDeadlineTimer deadline(30000);
        while (import.step())
            ASSERT_FALSE(deadline.hasExpired()) << "the import did not end";
    }

    NoProxy noProxy;
    PageServer server;
};

TEST_F(WebPageImportTest, FetchesThePageAndImportsItsLinks)
{
    server.page("/links.html",
                "<html><head><title>Links</title></head><body><ul>\n"
                "<li><a href=\"http://one.example/\">First site</a></li>\n"
                "<li><a href=\"https://two.example/deep/page?x=1\">Second site</a></li>\n"
                "<li><a href=\"http://one.example/\">First again</a></li>\n"
                "</ul></body></html>\n");
    server.start();
    addCategory(u"Web"_s);
    const QString url = QString::fromStdString(server.url("/links.html"));
    WebPageImport import(c(), errors, url, CategoryMode::Selected, u"Web"_s);
    ASSERT_TRUE(import.start());
    run(import);
    import.reportResult();

    EXPECT_EQ(count(), 2);
    const LocationRecord first = stored(u"http://one.example/"_s);
    EXPECT_EQ(first.Description, u"First site"_s);
    EXPECT_EQ(first.Category, u"Web"_s);
    EXPECT_EQ(first.OriginalFilename, url) << "the page, not the file it was read from";
    EXPECT_EQ(stored(u"https://two.example/deep/page?x=1"_s).Description, u"Second site"_s);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, u"Complete"_s);
    EXPECT_TRUE(ui.interactions()[0].text.startsWith(u"2 URL(s) imported.\nAdded: 2\n"
                                                     "Already stored (left as they were): 1"_s))
        << ui.interactions()[0].text.toStdString();
}

TEST_F(WebPageImportTest, APageThatCannotBeFetchedIsReportedAndAddsNothing)
{
    server.http.Get("/gone", [](const httplib::Request &, httplib::Response &res) {
        res.status = 404;
        res.set_content("<a href=\"http://error.example/\">not the page</a>", "text/html");
    });
    server.start();
    WebPageImport import(c(),
                         errors,
                         QString::fromStdString(server.url("/gone")),
                         CategoryMode::Guess,
                         {});
    ASSERT_TRUE(import.start());
    run(import);
    import.reportResult();
    EXPECT_EQ(count(), 0);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_TRUE(ui.interactions()[0].text.contains(u"could not be fetched"_s));
    EXPECT_TRUE(ui.interactions()[0].text.contains(u"404"_s));
}

TEST_F(WebPageImportTest, AddressesThatCannotBeFetchedAreRefusedBeforeAnyRequest)
{
    for (const QString &url : {u""_s, u"ftp://files.example/"_s, u"http://a.example/x y"_s}) {
        ui.clear();
        WebPageImport import(c(), errors, url, CategoryMode::Guess, {});
        EXPECT_FALSE(import.start()) << url.toStdString();
        EXPECT_FALSE(import.step());
        EXPECT_EQ(ui.interactions().size(), 1) << url.toStdString();
    }
}

TEST_F(WebPageImportTest, CancelledWhileFetchingSaysSo)
{
    server.page("/page.html", "<a href=\"http://late.example/\">Late</a>");
    server.start();
    WebPageImport import(c(),
                         errors,
                         QString::fromStdString(server.url("/page.html")),
                         CategoryMode::Guess,
                         {});
    ASSERT_TRUE(import.start());
    import.cancel();
    EXPECT_FALSE(import.step());
    import.reportResult();
    EXPECT_EQ(count(), 0);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, u"Import Cancelled"_s);
}

} // namespace
