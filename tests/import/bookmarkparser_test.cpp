#include "import/bookmarkparser.h"
#include "import/htmlcutter.h"
#include "import/htmllinkpass.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>

using namespace pk;
using namespace Qt::StringLiterals;

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(BookmarkParser, LinkLineGivesAddressDescriptionAndSiteInfo)
{
    const BookmarkLine line = BookmarkParser::parseLine(
        u"    <DT><A HREF=\"http://a.test/\" ADD_DATE=\"1\">A site</A>"_s);
    ASSERT_EQ(line.links.size(), 1u);
    EXPECT_EQ(line.links[0].location, u"http://a.test/"_s);
    EXPECT_EQ(line.links[0].description, u"A site"_s);
    EXPECT_EQ(line.links[0].siteInfo, QString());

    const auto withInfo = BookmarkParser::scanLinks(
        u"<a href=\"x.com\">X</a> more text <a href=\"www.y\">Y</a><br>"_s);
    ASSERT_EQ(withInfo.size(), 2u);
    EXPECT_EQ(withInfo[0].siteInfo, u"more text <a href=\"www.y\">Y</a><br>"_s);
    EXPECT_EQ(withInfo[1].location, u"www.y"_s);
    EXPECT_EQ(withInfo[1].siteInfo, QString()); // starts with a tag
}

TEST(BookmarkParser, AddressesNeedAColonWwwNetOrCom)
{
    const auto links = BookmarkParser::scanLinks(
        u"<a href=\"#top\">T</a><a href=\"page.html\">P</a><a href=\"javascript:void(0)\">J</a>"
        u"<a href=\"  \">B</a><a href=\"x.net\">N</a>"_s);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].location, u"javascript:void(0)"_s);
    EXPECT_EQ(links[0].description, u"J"_s);
    EXPECT_EQ(links[1].location, u"x.net"_s);
    // "#a:b" carries a colon; the reader is the one that skips "#" addresses.
    EXPECT_EQ(BookmarkParser::scanLinks(u"<a href=\"#a:b\">x</a>"_s).size(), 1u);
}

TEST(BookmarkParser, FolderLinesWithAndWithoutAttributes)
{
    BookmarkLine line = BookmarkParser::parseLine(
        u"<DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\">News &amp; Weather</H3>"_s);
    EXPECT_TRUE(line.isFolder);
    EXPECT_EQ(line.text, u"News &amp; Weather"_s);
    line = BookmarkParser::parseLine(u"  <dt><h3>Plain</h3>"_s);
    EXPECT_TRUE(line.isFolder);
    EXPECT_EQ(line.text, u"Plain"_s);
    line = BookmarkParser::parseLine(QString(u"<DT><H3 FOLDED>"_s + QString(70, u'x') + u"</H3>"_s));
    EXPECT_EQ(line.text, QString(50, u'x'));
    line = BookmarkParser::parseLine(u"<H3>Not in a DT</H3>"_s);
    EXPECT_FALSE(line.isFolder);
}

TEST(BookmarkParser, DescriptionLinesAndListMarks)
{
    BookmarkLine line = BookmarkParser::parseLine(u"   <DD>Fine site<BR>more"_s);
    EXPECT_TRUE(line.isDescription);
    EXPECT_EQ(line.text, u"Fine site"_s);
    line = BookmarkParser::parseLine(u"</DL><p>"_s);
    EXPECT_EQ(line.lists, std::vector<bool>({false}));
    line = BookmarkParser::parseLine(u"<DL><p></DL><p>"_s);
    EXPECT_EQ(line.lists, std::vector<bool>({true, false}));
}

TEST(BookmarkParser, FuzzedLinesNeverBreakTheParser)
{
    // Bounded: random lines built from the pieces the parser looks for.
    const QStringList pieces = {u"<DT>"_s,
                                u"<DD>"_s,
                                u"<H3"_s,
                                u"\">"_s,
                                u"href"_s,
                                u"HREF=\""_s,
                                u"\""_s,
                                u"</a>"_s,
                                u"<"_s,
                                u">"_s,
                                u"</DL>"_s,
                                u"<DL>"_s,
                                u":"_s,
                                u"www"_s,
                                u" "_s,
                                u"x"_s,
                                u"<BR>"_s,
                                QString(QChar(0xD83D)),
                                u"\u00e9"_s};
    QRandomGenerator rng(12345);
    for (int round = 0; round < 20000; ++round) {
        QString line;
        const int n = int(rng.bounded(40));
        for (int i = 0; i < n; ++i)
            line += pieces[int(rng.bounded(pieces.size()))];
        const BookmarkLine parsed = BookmarkParser::parseLine(line);
        for (const BookmarkLink &link : parsed.links) {
            ASSERT_LE(link.location.size(), 255);
            ASSERT_LE(link.description.size(), 255);
            ASSERT_FALSE(link.location.isEmpty());
        }
        ASSERT_LE(parsed.text.size(), 2048);
    }
}

TEST(HtmlCutter, JoinsLinesAndCutsAtTheLastTag)
{
    std::vector<QString> tokens;
    HtmlCutter cutter(tokens);
    cutter.addLine(u"<p>Some"_s);
    cutter.addLine(u"text <a href=\"x\">"_s);
    cutter.addLine(u"tail"_s);
    cutter.finish();
    EXPECT_EQ(tokens,
              std::vector<QString>({u"<p>"_s, u"Some text "_s, u"<a href=\"x\">"_s, u"tail"_s}));
}

TEST(HtmlCutter, LongTextWithoutTagsIsCutInBoundedPieces)
{
    std::vector<QString> tokens;
    HtmlCutter cutter(tokens);
    for (int i = 0; i < 100; ++i) {
        cutter.addLine(QString(1024, u'a'), i > 0);
        ASSERT_LT(cutter.pendingLength(), HtmlCutter::MaxPending + 1024);
    }
    cutter.finish();
    // Cut whenever the waiting text passes the flush length; a token keeps at most 4096.
    EXPECT_GE(tokens.size(), std::size_t(100 * 1024 / HtmlCutter::MaxPending));
    for (const QString &t : tokens)
        EXPECT_LE(t.size(), 4096);
}

TEST(HtmlLinkPass, ExtractsAddressesFromTags)
{
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<a href=\"http://a.test/x\">"_s), u"http://a.test/x"_s);
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<A HREF=\"page.html\">"_s), u"page.html"_s);
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<form action=\"/cgi-bin/find\">"_s),
              u"/cgi-bin/find"_s);
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<img src=\"http://i.test/a.png\">"_s),
              u"http://i.test/a.png"_s);
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<a href=\"https://s.test/\">"_s), u"https://s.test/"_s);
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<p class=\"x\">"_s), QString());
    EXPECT_EQ(HtmlLinkPass::extractAddress(u"<a href>"_s), u"href"_s);
}

TEST(HtmlLinkPass, NumberingPrefixes)
{
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u"3. Example site"_s), u"Example site"_s);
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u"2005. Year"_s), u"Year"_s);
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u"0. Zero"_s), u"0. Zero"_s);
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u". Dot"_s), u"Dot"_s);
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u"##1. Hash"_s), u"Hash"_s);
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u"123456. Long"_s), u"123456. Long"_s);
    EXPECT_EQ(HtmlLinkPass::withoutNumbering(u"Mr. Smith"_s), u"Mr. Smith"_s);
    EXPECT_EQ(HtmlLinkPass::guessCategory(u"The art of computing"_s), u"New - C"_s);
    EXPECT_EQ(HtmlLinkPass::guessCategory(u"123"_s), u"New -"_s);
}
