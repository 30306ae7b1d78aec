#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/clipboard/clipboardmonitor.h"
#include "import/importinsert.h"
#include "store/storefixture.h"

#include <QMimeData>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

QStringList locations(const QString &text)
{
    QStringList out;
    for (const ClipboardEntry &e : ClipboardScan::scan(text))
        out << e.location;
    return out;
}

TEST(ClipboardScan, FindsPlainAddresses)
{
    EXPECT_EQ(locations(u"see http://a.example/x?y=1 and ftp://f.example/file"_s),
              (QStringList{u"http://a.example/x?y=1"_s, u"ftp://f.example/file"_s}));
    EXPECT_EQ(locations(u"www.example.com"_s), QStringList{u"http://www.example.com"_s});
    EXPECT_EQ(locations(u"secure https://s.example/a"_s), QStringList{u"https://s.example/a"_s});
    // a space ends an address before a comma does
    EXPECT_EQ(locations(u"http://a.example/, http://b.example/"_s),
              (QStringList{u"http://a.example/,"_s, u"http://b.example/"_s}));
    EXPECT_EQ(locations(u"http://a.example/,http://b.example/"_s),
              (QStringList{u"http://a.example/"_s, u"http://b.example/"_s}));
    EXPECT_EQ(locations(u"one\nhttp://a.example/\nmailto:me@example.org\n"_s),
              (QStringList{u"http://a.example/"_s, u"mailto:me@example.org"_s}));
    EXPECT_TRUE(locations(u"no address here, only words"_s).isEmpty());
}

TEST(ClipboardScan, AnchorsTakeTheirTextAndHeading)
{
    const QString html
        = u"<h3>Tools</h3><ul><li><a href=\"http://t.example/\">Tool site</a> handy</li>"
          "<li><A HREF='http://u.example/'>Other</A></li><a href=#top>Top</a>"_s;
    const QList<ClipboardEntry> found = ClipboardScan::scan(html);
    ASSERT_EQ(found.size(), 2) << "an anchor to '#' adds nothing";
    EXPECT_EQ(found[0].location, u"http://t.example/"_s);
    EXPECT_EQ(found[0].category, u"Tools"_s);
    EXPECT_EQ(found[0].description, u"Tool site"_s);
    EXPECT_EQ(found[0].siteInfo,
              u"handy</li><li><A HREF='http://u.example/'>Other</A></li><a "
              "href=#top>Top</a>"_s);
    EXPECT_EQ(found[1].location, u"http://u.example/"_s);
    EXPECT_EQ(found[1].category, u"Clipboard"_s) << "no heading of its own";
    EXPECT_EQ(found[1].description, u"Other"_s);

    // a bookmark-file heading; <hr> and <html> are no headings
    const QList<ClipboardEntry> bookmarks = ClipboardScan::scan(
        u"<html><hr><DT><H3 ADD_DATE=\"1\">News</H3><DT><A HREF=\"http://n.example/\">N</A>"_s);
    ASSERT_EQ(bookmarks.size(), 1);
    EXPECT_EQ(bookmarks[0].category, u"News"_s);
}

TEST(ClipboardScan, LooksAtTheFirstCharactersUpToTheLimitAndNeverHangs)
{
    const QString padding(ClipboardScan::MaxText - 5, u' ');
    EXPECT_TRUE(locations(padding + u"http://late.example/"_s).isEmpty());
    EXPECT_EQ(locations(padding.left(ClipboardScan::MaxText - 100) + u"http://in.example/"_s),
              QStringList{u"http://in.example/"_s});

    QRandomGenerator rng(4242);
    const QStringList pieces{u"href"_s,
                             u"="_s,
                             u"\""_s,
                             u"'"_s,
                             u"<h3>"_s,
                             u"</a>"_s,
                             u">"_s,
                             u"<"_s,
                             u"http://"_s,
                             u"www."_s,
                             u"mailto:"_s,
                             u" "_s,
                             u","_s,
                             u"x"_s,
                             u"#"_s,
                             u"\n"_s,
                             u"<H1 ADD"_s};
    for (int i = 0; i < 3000; ++i) {
        QString text;
        for (int n = rng.bounded(40); n > 0; --n)
            text += pieces[rng.bounded(pieces.size())];
        for (const ClipboardEntry &e : ClipboardScan::scan(text)) {
            ASSERT_TRUE(e.location.contains(u':')) << qPrintable(text);
            ASSERT_LE(e.location.size(), text.size() + 7) << "taken from the text";
            ASSERT_LE(e.category.size(), 50);
        }
    }
}

TEST(ClipboardScan, HtmlFlavourGivesTargetsAndDecodedText)
{
    const QString html
        = u"<html><body><!--StartFragment--><p>Read <a href=\"https://t.example/a?x=1&amp;y=2\">"
          "the article &amp; notes</a>, and see http://plain.example/page</p><!--EndFragment-->"
          "</body></html>"_s;
    const QList<ClipboardEntry> found = ClipboardScan::scan(html, ClipboardScan::Format::Html);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].location, u"https://t.example/a?x=1&y=2"_s);
    EXPECT_EQ(found[0].description, u"the article & notes"_s);
    EXPECT_EQ(found[1].location, u"http://plain.example/page"_s) << "the tag after it ends it";
    // Plain text is taken as written.
    EXPECT_EQ(locations(u"http://a.example/?x=1&amp;y=2"_s),
              QStringList{u"http://a.example/?x=1&amp;y=2"_s});
}

TEST(ClipboardScan, AnAddressRunningIntoTheScanLimitIsNotTakenCut)
{
    const QString longest = u"http://long.example/"_s + QString(2028, u'q');
    ASSERT_EQ(longest.size(), 2048);
    EXPECT_EQ(locations(u"copied "_s + longest + u" here"_s), QStringList{longest});

    const QString head = QString(ClipboardScan::MaxText - 40, u'.') + u" http://first.example/ "_s;
    const QString cutOne = u"http://cut.example/"_s + QString(100, u'c');
    EXPECT_EQ(locations(head + cutOne), (QStringList{u"http://first.example/"_s}));
    const QString anchors = QString(ClipboardScan::MaxText - 60, u'.')
                            + u"<a href=\"http://ok.example/\">ok</a><a href=\""_s;
    EXPECT_EQ(locations(anchors + cutOne + u"\">x</a>"_s), (QStringList{u"http://ok.example/"_s}));
}

TEST(ClipboardContent, HtmlWithLinksIsReadElseTheText)
{
    QMimeData both;
    both.setText(u"the article"_s);
    both.setHtml(u"<a href=\"http://target.example/\">the article</a>"_s);
    ClipboardMonitor::Content content = ClipboardMonitor::contentOf(both);
    EXPECT_EQ(content.format, ClipboardScan::Format::Html);
    EXPECT_EQ(content.text, both.html());

    QMimeData noLinks;
    noLinks.setText(u"http://typed.example/"_s);
    noLinks.setHtml(u"<p>http://typed.example/</p>"_s);
    content = ClipboardMonitor::contentOf(noLinks);
    EXPECT_EQ(content.format, ClipboardScan::Format::Text);
    EXPECT_EQ(content.text, u"http://typed.example/"_s);

    QMimeData textOnly;
    textOnly.setText(u"www.only.example"_s);
    EXPECT_EQ(ClipboardMonitor::contentOf(textOnly).text, u"www.only.example"_s);
}

class ClipboardMonitorTest : public test::StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_insert = std::make_unique<ImportInsert>(c(), m_errors, CategoryMode::None, QString());
        m_monitorPtr = std::make_unique<ClipboardMonitor>(c(), *m_insert);
        m_monitorPtr->setAddedHandler([this] { ++m_refreshes; });
        m_monitorPtr->setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(17, 18)); });
    }

    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
    std::unique_ptr<ImportInsert> m_insert;
    std::unique_ptr<ClipboardMonitor> m_monitorPtr;
    int m_refreshes = 0;
};

TEST_F(ClipboardMonitorTest, CopiedLinksArriveByTheirTargetsAndLongOnesAreCounted)
{
    QMimeData copied;
    copied.setText(u"Example page"_s);
    copied.setHtml(u"<a href=\"http://target.example/?a=1&amp;b=2\">Example page</a>"_s);
    ASSERT_TRUE(m_monitorPtr->takeIfNew(ClipboardMonitor::contentOf(copied)));
    EXPECT_EQ(m_monitorPtr->scanLastSeen(), 1);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(u"http://target.example/?a=1&b=2"_s, r));
    EXPECT_EQ(r.Description, u"Example page"_s);

    const QString tooLong = u"http://long.example/"_s + QString(2029, u'q');
    ASSERT_TRUE(m_monitorPtr->takeIfNew(tooLong + u" http://target.example/?a=1&b=2"_s));
    EXPECT_EQ(m_monitorPtr->scanLastSeen(), 0);
    const ImportCounts counts = m_insert->counts();
    EXPECT_EQ(counts.refused[int(ImportCounts::Refusal::TooLong)], 1);
    EXPECT_EQ(counts.duplicates, 1);
    EXPECT_EQ(c().locations().count(), 1);
}

TEST_F(ClipboardMonitorTest, ALoneAddressIsAddedUnderClipboard)
{
    ASSERT_TRUE(m_monitorPtr->takeIfNew(u"http://lone.example/"_s));
    EXPECT_EQ(m_monitorPtr->scan(m_monitorPtr->lastSeen()), 1);
    LocationRecord r;
    ASSERT_TRUE(c().locations().get(u"http://lone.example/"_s, r));
    EXPECT_EQ(r.Category, u"Clipboard"_s);
    EXPECT_EQ(r.Keyword, u"http"_s);
    EXPECT_EQ(r.Description, u"Added from clipboard Dec 8, 2026 5:18PM http://lone.example/"_s);
    EXPECT_TRUE(c().categories().exists(u"Clipboard"_s));
    EXPECT_EQ(m_monitorPtr->status(), u"Added 1:  http://lone.example/"_s);
    EXPECT_EQ(m_refreshes, 1);
}

TEST_F(ClipboardMonitorTest, SameTextTwiceAndKnownAddressesAreSkipped)
{
    ASSERT_TRUE(c().locations().insert(test::location(u"http://Known.example/"_s)));
    EXPECT_TRUE(m_monitorPtr->takeIfNew(u"http://a.example/ x"_s));
    m_monitorPtr->scan(m_monitorPtr->lastSeen());
    EXPECT_FALSE(m_monitorPtr->takeIfNew(u"http://a.example/ x"_s));
    EXPECT_FALSE(m_monitorPtr->takeIfNew(u"   "_s));
    EXPECT_TRUE(m_monitorPtr->takeIfNew(u"http://known.example/"_s));
    EXPECT_EQ(m_monitorPtr->scan(m_monitorPtr->lastSeen()), 0) << "letter case is ignored";
    EXPECT_TRUE(m_monitorPtr->takeIfNew(u"http://a.example/ x"_s));
    EXPECT_EQ(m_monitorPtr->scan(m_monitorPtr->lastSeen()), 0);
    EXPECT_EQ(m_monitorPtr->count(), 1);
    EXPECT_TRUE(m_ui.interactions().isEmpty());
}

} // namespace
} // namespace pk
