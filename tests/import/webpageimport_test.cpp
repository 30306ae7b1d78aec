#include "importfixture.h"

#include "import/htmllinkpass.h"
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

// Relative links are read against the page's address, or its first <base href>, as a browser
// reads them; links that open no page are passed over and counted.
TEST_F(WebPageImportTest, RelativeLinksAreReadAgainstThePageAndItsBase)
{
    server.page("/dir/page.html",
                "<html><head><title>Links</title></head><body>\n"
                "<a href=\"/a\">From the root</a>\n"
                "<a href=\"b.html\">Beside</a>\n"
                "<a href=\"../up.html?x=1&amp;y=2\">Up</a>\n"
                "<a href=\"//other.example/p\">Same scheme</a>\n"
                "<a href=\"?q=1\">Query</a>\n"
                "<a href=\"c d.html#part\">Blank inside</a>\n"
                "<a href=\"http://abs.example/x\">Absolute</a>\n"
                "<a href=\"#top\">Anchor</a>\n"
                "<a href=\"javascript:void(0)\">Script</a>\n"
                "<a href=\"JavaScript:alert(1)\">Script again</a>\n"
                "<a href=\"mailto:someone@mail.example\">Mail</a>\n"
                "</body></html>\n");
    server.page("/based.html",
                "<html><head><base href=\"/base/deeper/\"><base href=\"http://second.example/\">"
                "</head><body><a href=\"x.html\">Under the base</a>\n"
                "<a href=\"../y.html\">Above the base</a></body></html>\n");
    server.start();
    const QString root = QString::fromStdString(server.url("/"));
    const QString page = QString::fromStdString(server.url("/dir/page.html"));
    {
        WebPageImport import(c(), errors, page, CategoryMode::Guess, {});
        ASSERT_TRUE(import.start());
        run(import);
        EXPECT_EQ(import.inserter().skipped(ImportInsert::Skip::Anchor), 1);
        EXPECT_EQ(import.inserter().skipped(ImportInsert::Skip::NotAPage), 3);
        EXPECT_EQ(import.inserter().skipped(ImportInsert::Skip::Relative), 0);
        import.reportResult();
    }
    EXPECT_EQ(stored(root + u"a"_s).Description, u"From the root"_s);
    EXPECT_EQ(stored(root + u"dir/b.html"_s).Description, u"Beside"_s);
    EXPECT_EQ(stored(root + u"up.html?x=1&y=2"_s).Description, u"Up"_s);
    EXPECT_EQ(stored(u"http://other.example/p"_s).Description, u"Same scheme"_s);
    EXPECT_EQ(stored(page + u"?q=1"_s).Description, u"Query"_s);
    EXPECT_EQ(stored(root + u"dir/c%20d.html#part"_s).Description, u"Blank inside"_s);
    EXPECT_EQ(stored(u"http://abs.example/x"_s).Description, u"Absolute"_s);
    EXPECT_EQ(count(), 7);
    ASSERT_FALSE(ui.interactions().isEmpty());
    EXPECT_TRUE(ui.interactions().back().text.contains(u"script or mail link"_s))
        << ui.interactions().back().text.toStdString();

    WebPageImport based(c(),
                        errors,
                        QString::fromStdString(server.url("/based.html")),
                        CategoryMode::Guess,
                        {});
    ASSERT_TRUE(based.start());
    run(based);
    EXPECT_EQ(based.inserter().added(), 2) << "the base itself is no link";
    EXPECT_EQ(stored(root + u"base/deeper/x.html"_s).Description, u"Under the base"_s);
    EXPECT_EQ(stored(root + u"base/y.html"_s).Description, u"Above the base"_s);
}

TEST(HtmlLinkPassTest, ResolvesAsABrowserDoes)
{
    const QString page = u"http://host.example/d/p.html?old#f"_s;
    const std::vector<std::pair<QString, QString>> cases{
        {u"http://Other.example/A"_s, u"http://Other.example/A"_s}, // absolute: as written
        {u"q.html"_s, u"http://host.example/d/q.html"_s},
        {u"./q.html"_s, u"http://host.example/d/q.html"_s},
        {u"../../../q"_s, u"http://host.example/q"_s},
        {u"/r?a=1"_s, u"http://host.example/r?a=1"_s},
        {u"?new"_s, u"http://host.example/d/p.html?new"_s},
        {u"//cdn.example/s"_s, u"http://cdn.example/s"_s},
        {u"caf\u00e9.html"_s, u"http://host.example/d/caf%C3%A9.html"_s},
        {u"a\tb\nc.html"_s, u"http://host.example/d/abc.html"_s},
    };
    for (const auto &[reference, expected] : cases)
        EXPECT_EQ(HtmlLinkPass::resolved(page, reference), expected) << reference.toStdString();
    EXPECT_TRUE(HtmlLinkPass::resolved(u"not a page"_s, u"x.html"_s).isEmpty());
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
