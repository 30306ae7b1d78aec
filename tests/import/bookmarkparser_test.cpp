#include "import/bookmarkparser.h"
#include "import/characterreferences.h"
#include "import/htmlcutter.h"
#include "import/htmllinkpass.h"
#include "printers.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>
#include <QTimeZone>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

using Kind = BookmarkItem::Kind;

std::vector<BookmarkItem> linksOf(const std::vector<BookmarkItem> &items)
{
    std::vector<BookmarkItem> links;
    for (const BookmarkItem &item : items) {
        if (item.kind == Kind::Link)
            links.push_back(item);
    }
    return links;
}

/// The items as one line each: "F name[ | note | more]", "L address | title | site info | note |
/// more", "(", ")".
QStringList outline(const std::vector<BookmarkItem> &items)
{
    QStringList out;
    for (const BookmarkItem &item : items) {
        switch (item.kind) {
        case Kind::Folder:
            out << u"F "_s + item.text
                       + (item.hasNote ? u" | "_s + item.note + u" | "_s + item.noteMore
                                       : QString());
            break;
        case Kind::Link: {
            QString line = u"L "_s + item.address + u" | "_s + item.text;
            if (!item.siteInfo.isEmpty() || item.hasNote)
                line += u" | "_s + item.siteInfo;
            if (item.hasNote)
                line += u" | "_s + item.note + u" | "_s + item.noteMore;
            out << line;
            break;
        }
        case Kind::ListOpen:
            out << u"("_s;
            break;
        case Kind::ListClose:
            out << u")"_s;
            break;
        }
    }
    return out;
}

struct Case
{
    const char *name;
    QString file;
    QStringList expected;
};

void checkCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(outline(BookmarkParser::parse(c.file)), c.expected);
    }
}

} // namespace

TEST(BookmarkParser, FoldersAndListsWhereverTheLineBreaksFall)
{
    checkCases({
        {"a folder after a separator on the same line",
         u"<DL><p>\n    <HR>    <DT><H3 ADD_DATE=\"1\">After</H3>\n    <DL><p>\n"
         "        <DT><A HREF=\"http://in.test/\">In</A>\n    </DL><p>\n</DL>"_s,
         {u"("_s, u"F After"_s, u"("_s, u"L http://in.test/ | In"_s, u")"_s, u")"_s}},
        {"a heading without attributes, and one over two lines",
         u"<DT><h3>Plain</h3>\n<DT><H3\n  ADD_DATE=\"1\">Two\n   lines</H3>"_s,
         {u"F Plain"_s, u"F Two lines"_s}},
        {"a heading outside a DT is no folder", u"<H3>Not in a DT</H3><H1>Bookmarks</H1>"_s, {}},
        {"the list marks of one line, in order", u"<DL><p></DL><p>"_s, {u"("_s, u")"_s}},
        {"names are read, line breaks in them become spaces",
         u"<DT><H3 ADD_DATE=\"1\">News &amp; Weather</H3>"_s,
         {u"F News & Weather"_s}},
    });
}

TEST(BookmarkParser, AnchorsWithAttributesAnyWayBrowsersWriteThem)
{
    checkCases({
        {"double, single and no quotes",
         u"<DT><A HREF=\"http://d.test/\">D</A>\n<DT><A HREF='http://s.test/?q=\"x\"'>S</A>\n"
         "<DT><A HREF=http://u.test/a ADD_DATE=1>U</A>"_s,
         {u"L http://d.test/ | D"_s, u"L http://s.test/?q=\"x\" | S"_s, u"L http://u.test/a | U"_s}},
        {"a tag over several lines keeps its title",
         u"<DT><A HREF=\"http://m.test/\"\n      ADD_DATE=\"1\"\n      TAGS=\"a,b\">Many\n"
         "lines</A>"_s,
         {u"L http://m.test/ | Many lines"_s}},
        {"the favicon's address is no link; a '>' inside a quoted value ends nothing",
         u"<DT><A ICON_URI=\"http://icon.test/f.ico\" HREF=\"http://real.test/\" "
         "ICON=\"data:x\" TITLE=\"a > b\">Real</A>"_s,
         {u"L http://real.test/ | Real"_s}},
        {"an anchor without HREF is none; an empty or relative one is reported as written",
         u"<A NAME=\"top\">Top</A><DT><A HREF=\"\">E</A><DT><A HREF=\" page.html \">P</A>"_s,
         {u"L  | E"_s, u"L page.html | P"_s}},
        {"text after the anchor on its line, markup left out",
         u"<a href=\"x.com\">X</a> more <b>text</b> <a href=\"www.y\">Y</a><br>"_s,
         {u"L x.com | X | more"_s, u"L www.y | Y"_s}},
        {"a missing </A> ends at the next item",
         u"<DT><A HREF=\"http://a.test/\">Open title\n<DT><A HREF=\"http://b.test/\">B</A>"_s,
         {u"L http://a.test/ | Open title"_s, u"L http://b.test/ | B"_s}},
        {"markup inside a title is left out, references are read",
         u"<DT><A HREF=\"http://t.test/?a=1&amp;b=2\"><b>Tom</b> &amp; Jerry &lt;3&gt;</A>"_s,
         {u"L http://t.test/?a=1&b=2 | Tom & Jerry <3>"_s}},
    });
    const std::vector<BookmarkItem> items = BookmarkParser::parse(
        u"<DT><A HREF=\"http://a.test/\" ADD_DATE=\"1700000000\" LAST_VISIT=\"1700000001\"\n"
        "   LAST_MODIFIED=\"1700000002\" TAGS=\"work, my tag,,x&amp;y\" SHORTCUTURL=\"k&amp;w\">"
        "A</A>"_s);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].addDate, u"1700000000"_s);
    EXPECT_EQ(items[0].lastVisit, u"1700000001"_s);
    EXPECT_EQ(items[0].lastModified, u"1700000002"_s);
    EXPECT_EQ(items[0].shortcut, u"k&w"_s);
    EXPECT_EQ(BookmarkParser::tagsOf(items[0].tags),
              QStringList({u"work"_s, u"my tag"_s, u"x&y"_s}));
}

TEST(BookmarkParser, NotesBelongToTheLinkBeforeThemWholly)
{
    checkCases({
        {"a one-line note; its text after <BR> is more",
         u"<DT><A HREF=\"http://a.test/\">A</A>\n<DD>Fine site<BR>more"_s,
         {u"L http://a.test/ | A |  | Fine site | more"_s}},
        {"a note over several lines, and several <BR>",
         u"<DT><A HREF=\"http://a.test/\">A</A>\n<DD>First line\nsecond line<BR>c1<br>\nc2\n"
         "<DT><A HREF=\"http://b.test/\">B</A>"_s,
         {u"L http://a.test/ | A |  | First line\nsecond line | c1\nc2"_s,
          u"L http://b.test/ | B"_s}},
        {"an anchor inside a note is part of the note, not a link",
         u"<DT><A HREF=\"http://a.test/\">A</A>\n<DD>See <a href=\"http://thumb.test/\">"
         "<img src=\"http://thumb.test/t.png\"></a> this &amp; that\n</DL><p>"_s,
         {u"L http://a.test/ | A |  | See  this & that | "_s, u")"_s}},
        {"a folder's note is the folder's, not a link's",
         u"<DT><A HREF=\"http://a.test/\">A</A>\n<DT><H3>F</H3>\n<DD>Folder notes\n<DL><p>"_s,
         {u"L http://a.test/ | A"_s, u"F F | Folder notes | "_s, u"("_s}},
        {"a folder's note over lines and breaks; a note after its list is nobody's",
         u"<DT><H3>F</H3><DD>One &amp; two&#10;three<BR>four\n<DL><p></DL><p>\n<DD>stray"_s,
         {u"F F | One & two\nthree | four"_s, u"("_s, u")"_s}},
        {"a second note is no note of the link",
         u"<DT><A HREF=\"http://a.test/\">A</A>\n<DD>one\n<DD>two"_s,
         {u"L http://a.test/ | A |  | one | "_s}},
        {"a line break written as a reference stays",
         u"<DT><A HREF=\"http://a.test/\">A</A><DD>Two&#10;lines<BR>My note &amp; more"_s,
         {u"L http://a.test/ | A |  | Two\nlines | My note & more"_s}},
    });
}

TEST(BookmarkParser, FeedingInAnyPiecesGivesTheSameItems)
{
    const QString file
        = u"<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<!-- a comment with <A HREF=\"x.com\"> -->\n"
          "<DL><p>\n    <DT><H3 ADD_DATE=\"1\">Outer &amp; co</H3>\n    <DL><p>\n"
          "        <DT><A HREF=\"http://one.test/?a=1&amp;b=2\" ICON=\"data:image/png;base64,"
          "QUJDRA==\" TAGS=\"x,y\">One &eacute;</A>\n        <DD>Note\n line<BR>more\n"
          "        <HR>        <DT><H3>Inner</H3>\n        <DL><p>\n"
          "            <DT><A HREF='http://two.test/'>Two</A>\n        </DL><p>\n"
          "    </DL><p>\n</DL><p>\n"_s;
    const std::vector<BookmarkItem> whole = BookmarkParser::parse(file);
    ASSERT_EQ(outline(whole),
              QStringList({u"("_s,
                           u"F Outer & co"_s,
                           u"("_s,
                           u"L http://one.test/?a=1&b=2 | One \u00e9 |  | Note\n line | more"_s,
                           u"F Inner"_s,
                           u"("_s,
                           u"L http://two.test/ | Two"_s,
                           u")"_s,
                           u")"_s,
                           u")"_s}));
    // Lines as a reader hands them, then every line cut at every place (a long line comes in
    // pieces): the same items, nothing cut.
    const QStringList lines = file.split(u'\n');
    for (qsizetype cut = 1; cut < 120; ++cut) {
        BookmarkParser parser;
        std::vector<BookmarkItem> items;
        for (const QString &line : lines) {
            for (qsizetype at = 0; at < line.size() || at == 0; at += cut) {
                parser.addLine(QStringView(line).mid(at, cut), at > 0);
                for (BookmarkItem &item : parser.take())
                    items.push_back(std::move(item));
            }
        }
        parser.finish();
        for (BookmarkItem &item : parser.take())
            items.push_back(std::move(item));
        ASSERT_EQ(items, whole) << "pieces of " << cut;
    }
}

TEST(BookmarkParser, DatesByMagnitudeAndTags)
{
    const QDateTime when = QDateTime(QDate(2024, 3, 1), QTime(12, 0), QTimeZone::utc());
    EXPECT_EQ(BookmarkParser::timeOf(u"1709294400"), when);       // seconds
    EXPECT_EQ(BookmarkParser::timeOf(u"1709294400000"), when);    // milliseconds
    EXPECT_EQ(BookmarkParser::timeOf(u"1709294400000000"), when); // microseconds (Google)
    EXPECT_EQ(BookmarkParser::timeOf(u" 86400 "),
              QDateTime::fromSecsSinceEpoch(86400, QTimeZone::utc()));
    // Before 1970 (the first day Pathkeep's dates know, 1 January 1801).
    EXPECT_EQ(BookmarkParser::timeOf(u"-5333126400"),
              QDateTime(QDate(1801, 1, 1), QTime(0, 0), QTimeZone::utc()));
    for (const auto *bad : {u"", u"0", u"x", u"1e9", u"99999999999999999999", u"-999999999999999"})
        EXPECT_FALSE(BookmarkParser::timeOf(QStringView(bad)).isValid());
    EXPECT_EQ(BookmarkParser::tagsOf(u"a b, c ,, d"), QStringList({u"a b"_s, u"c"_s, u"d"_s}));
    EXPECT_TRUE(BookmarkParser::tagsOf(u" , ").isEmpty());
}

TEST(CharacterReferences, EveryReferenceAsABrowserReadsIt)
{
    const struct
    {
        const char16_t *written;
        const char16_t *text;      // as text
        const char16_t *attribute; // in an attribute value
    } cases[] = {
        {u"a?x=1&amp;y=2", u"a?x=1&y=2", u"a?x=1&y=2"},
        {u"&lt;b&gt; &quot;q&quot; &apos;", u"<b> \"q\" '", u"<b> \"q\" '"},
        {u"&#233; &#xE9; &#X2019; &#128512;", u"é é ’ 😀", u"é é ’ 😀"},
        {u"&eacute;&Eacute;&hellip;&rarr;&NotEqualTilde;", u"éÉ…→≂̸", u"éÉ…→≂̸"},
        {u"&CounterClockwiseContourIntegral;", u"∳", u"∳"},
        // Numbers a browser reads otherwise: Windows-1252 for 128 to 159, U+FFFD for none.
        {u"&#150;&#x80;&#0;&#xD800;&#1114112;", u"–€\uFFFD\uFFFD\uFFFD", u"–€\uFFFD\uFFFD\uFFFD"},
        {u"&#233x", u"éx", u"éx"},
        // Legacy names need no semicolon, the longest that matches; in an attribute value not
        // before "=" or a letter or digit.
        {u"&amp &copy2 &notit; &not;", u"& ©2 ¬it; ¬", u"& &copy2 &notit; ¬"},
        {u"?a=1&copy=2&lang=en", u"?a=1©=2&lang=en", u"?a=1&copy=2&lang=en"},
        // Not references: stays as written.
        {u"AT&T & co; &unknown; &; &#; &#x; &",
         u"AT&T & co; &unknown; &; &#; &#x; &",
         u"AT&T & co; &unknown; &; &#; &#x; &"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.written).toStdString());
        EXPECT_EQ(CharacterReferences::decode(QStringView(c.written)), QString::fromUtf16(c.text));
        EXPECT_EQ(CharacterReferences::decodeAttribute(QStringView(c.written)),
                  QString::fromUtf16(c.attribute));
    }
}

TEST(BookmarkParser, FuzzedFilesNeverBreakTheParser)
{
    // Bounded: random files built from the pieces the parser looks for, fed in random pieces.
    const QStringList pieces = {u"<DT>"_s,  u"<DD>"_s,    u"<H3"_s,    u"\">"_s,
                                u"href"_s,  u"HREF=\""_s, u"HREF='"_s, u"HREF="_s,
                                u"\""_s,    u"'"_s,       u"</a>"_s,   u"<A "_s,
                                u"<"_s,     u">"_s,       u"</DL>"_s,  u"<DL>"_s,
                                u"<!--"_s,  u"-->"_s,     u"&amp"_s,   u"&#x"_s,
                                u";"_s,     u":"_s,       u"www"_s,    u" "_s,
                                u"x"_s,     u"<BR>"_s,    u"\n"_s,     QString(QChar(0xD83D)),
                                u"\u00e9"_s};
    QRandomGenerator rng(12345);
    for (int round = 0; round < 5000; ++round) {
        QString file;
        const int n = int(rng.bounded(60));
        for (int i = 0; i < n; ++i)
            file += pieces[int(rng.bounded(pieces.size()))];
        BookmarkParser parser;
        qsizetype at = 0;
        std::vector<BookmarkItem> items;
        while (at < file.size()) {
            const qsizetype length = 1 + qsizetype(rng.bounded(20));
            parser.addLine(QStringView(file).mid(at, length), at > 0);
            at += length;
            for (BookmarkItem &item : parser.take())
                items.push_back(std::move(item));
        }
        parser.finish();
        for (BookmarkItem &item : parser.take())
            items.push_back(std::move(item));
        for (const BookmarkItem &item : items) {
            ASSERT_LE(item.text.size(), BookmarkParser::MaxText);
            if (item.kind == Kind::Link) {
                ASSERT_FALSE(item.address.startsWith(u' '));
            }
        }
        // However it was cut, the file reads as it does whole.
        ASSERT_EQ(items, BookmarkParser::parse(file));
    }
}

TEST(BookmarkParser, TagsThatNeverEndAreReadAsTextInBoundedWork)
{
    // Megabytes of "<" with no ">" (or an unclosed quote) in short lines: the parser keeps at
    // most MaxTag characters waiting and reads every character a bounded number of times
    // (this test would not end otherwise), and the link after them still arrives.
    for (const QString &piece : {u"a<b c "_s, u"<a x=\"y "_s}) {
        BookmarkParser parser;
        const QString line = piece.repeated(16);
        for (int i = 0; i < 30000; ++i)
            parser.addLine(line);
        parser.addLine(u"\"><DT><A HREF=\"http://after.test/\">After</A>"_s);
        parser.finish();
        const std::vector<BookmarkItem> links = linksOf(parser.take());
        ASSERT_FALSE(links.empty());
        EXPECT_EQ(links.back().address, u"http://after.test/"_s);
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

TEST(HtmlCutter, ATagAcrossTheFlushIsNeverCut)
{
    // A long line in 1024-character pieces with links everywhere, also across every flush.
    QString line;
    for (int i = 0; line.size() < 40000; ++i)
        line += u"text <a href=\"http://l"_s + QString::number(i) + u".test/path\">Link</a> "_s;
    std::vector<QString> tokens;
    HtmlCutter cutter(tokens);
    for (qsizetype at = 0; at < line.size(); at += 1024)
        cutter.addLine(QStringView(line).mid(at, 1024), at > 0);
    cutter.finish();
    int links = 0;
    for (const QString &t : tokens) {
        if (t.startsWith(u"<a"_s)) {
            ++links;
            EXPECT_TRUE(t.endsWith(u".test/path\">"_s)) << t.toStdString();
        }
    }
    EXPECT_EQ(links, line.count(u"<a "_s));
}

TEST(HtmlLinkPass, TheAddressIsTheHrefAttribute)
{
    const struct
    {
        const char16_t *tag;
        std::optional<QString> address;
    } cases[] = {
        {u"<a href=\"http://a.test/x\">", u"http://a.test/x"_s},
        {u"<A HREF=\"page.html\">", u"page.html"_s},
        {u"<a href='http://s.test/'>", u"http://s.test/"_s},
        {u"<a href=http://u.test/?a=1&amp;b=2 rel=x>", u"http://u.test/?a=1&b=2"_s},
        {u"<A ICON_URI=\"http://icon.test/favicon.ico\" HREF=\"https://real.test/\">",
         u"https://real.test/"_s},
        {u"<form action=\"/cgi-bin/find\">", u"/cgi-bin/find"_s},
        {u"<img src=\"http://i.test/a.png\" alt=\"see http://x\">", u"http://i.test/a.png"_s},
        {u"<a href=\"\">", QString()},
        {u"<a href>", QString()},
        {u"<p class=\"x\">", std::nullopt},
        {u"<meta content=\"see http://x.test/\">", std::nullopt},
        {u"</a>", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.tag).toStdString());
        EXPECT_EQ(HtmlLinkPass::addressOf(QStringView(c.tag)), c.address);
    }
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
