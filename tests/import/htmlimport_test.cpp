#include "importfixture.h"

#include "import/htmlimport.h"
#include "store/categorymanager.h"
#include "store/detaillabels.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/textindex.h"

#include <csignal>
#include <cstdlib>
#include <limits>

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class HtmlImportTest : public ImportTest
{
protected:
    /// Runs an import of `bytes` to its end; returns the number added.
    int run(const QByteArray &bytes,
            const QString &kind = u"Netscape"_s,
            CategoryMode mode = CategoryMode::Guess,
            const QString &category = {})
    {
        const QString file = writeFile(u"in/bookmark.htm"_s, bytes);
        return runFile(file, kind, mode, category);
    }
    int runFile(const QString &file,
                const QString &kind,
                CategoryMode mode = CategoryMode::Guess,
                const QString &category = {})
    {
        HtmlImport import(c(), errors, {kind, file, mode, category});
        if (import.open()) {
            while (import.step()) {
            }
        }
        import.reportResult();
        return import.added();
    }
};

const QByteArray kBrowserFile = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file. -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>

<DL><p>
    <DT><A HREF="http://top.test/" ADD_DATE="1" ICON="data:image/png;base64,AAAA">Top link</A>
    <DT><H3 ADD_DATE="1" LAST_MODIFIED="2">Outer</H3>
    <DD>Folder notes
    <DL><p>
        <DT><A HREF="http://outer1.test/" ADD_DATE="1">Outer one</A>
        <DD>About outer one
        <DT><H3 ADD_DATE="1">Inner</H3>
        <DL><p>
            <DT><A HREF="http://inner.test/" ADD_DATE="1">Inner link</A>
        </DL><p>
        <DT><A HREF="http://outer2.test/" ADD_DATE="1">Outer two</A>
        <HR>
    </DL><p>
    <DT><A HREF="http://after.test/" ADD_DATE="1">After folders</A>
    <DT><A HREF="#local">Local</A>
</DL>
)";

} // namespace

TEST_F(HtmlImportTest, BrowserFileNestsFoldersAndKeepsEveryLink)
{
    EXPECT_EQ(run(kBrowserFile), 5);
    EXPECT_EQ(stored(u"http://top.test/"_s).Category, u"New"_s);
    EXPECT_EQ(stored(u"http://outer1.test/"_s).Category, u"Outer"_s);
    EXPECT_EQ(stored(u"http://outer1.test/"_s).SiteInfo, u"About outer one"_s);
    EXPECT_EQ(stored(u"http://inner.test/"_s).Category, u"Inner"_s);
    // Back in the enclosing folder once the inner list ends.
    EXPECT_EQ(stored(u"http://outer2.test/"_s).Category, u"Outer"_s);
    EXPECT_EQ(stored(u"http://after.test/"_s).Category, u"New"_s);
    // The folder's own description does not land on a link.
    EXPECT_EQ(stored(u"http://top.test/"_s).SiteInfo, QString());
    const LocationRecord r = stored(u"http://inner.test/"_s);
    EXPECT_EQ(r.Description, u"Inner link"_s);
    EXPECT_EQ(r.Keyword, u"Inner"_s);
    EXPECT_TRUE(r.OriginalFilename.endsWith(u"in/bookmark.htm"_s));
    EXPECT_FALSE(c().locations().exists(u"#local"_s));
    ASSERT_NE(ui.last(), nullptr);
    EXPECT_EQ(ui.last()->title, u"Complete"_s);
    EXPECT_EQ(ui.last()->text.section(u'\n', 0, 0), u"5 URL(s) imported."_s);
}

TEST_F(HtmlImportTest, CrLfFileParsesLikeLfFile)
{
    QByteArray crlf = kBrowserFile;
    crlf.replace("\n", "\r\n");
    EXPECT_EQ(run(crlf), 5);
    EXPECT_EQ(stored(u"http://outer2.test/"_s).Category, u"Outer"_s);
    EXPECT_EQ(stored(u"http://outer1.test/"_s).SiteInfo, u"About outer one"_s);
}

TEST_F(HtmlImportTest, DescriptionBeforeAnyLinkAndAfterADuplicateChangesNothing)
{
    addCategory(u"New"_s);
    LocationRecord existing;
    existing.Location = u"http://a.test/"_s;
    existing.Description = u"Mine"_s;
    existing.Category = u"New"_s;
    existing.SiteInfo = u"kept"_s;
    ASSERT_TRUE(c().locations().insert(existing));
    run("<DD>Orphan\n<DT><A HREF=\"http://a.test/\">A</A>\n<DD>Overwrite?\n");
    EXPECT_EQ(stored(u"http://a.test/"_s).SiteInfo, u"kept"_s);
    EXPECT_EQ(stored(u"http://a.test/"_s).Description, u"Mine"_s);
    EXPECT_EQ(count(), 1);
    // Nothing added: the summary says the one link was there already.
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_TRUE(ui.last()->text.startsWith(u"0 URL(s) imported.\nAdded: 0\n"
                                           "Already stored (left as they were): 1"_s));
}

TEST_F(HtmlImportTest, NoneKeepsFolderNamesWithoutCreatingThem)
{
    addCategory(u"Known"_s);
    const QByteArray file
        = "<DT><H3 X=\"1\">Known</H3>\n<DL><p>\n<DT><A HREF=\"http://k.test/\">K</A>\n"
          "</DL><p>\n<DT><H3 X=\"1\">Unknown</H3>\n<DL><p>\n"
          "<DT><A HREF=\"http://u1.test/\">U</A>\n<DT><A HREF=\"http://u2.test/\">U</A>\n";
    EXPECT_EQ(run(file, u"Netscape"_s, CategoryMode::None), 1);
    EXPECT_FALSE(c().categories().exists(u"Unknown"_s));
    // One category message, then the summary counting both refusals.
    const QStringList titles = ui.titles();
    EXPECT_EQ(titles, QStringList({u"Field contents error"_s, u"Complete"_s}));
    EXPECT_TRUE(ui.last()->text.contains(u"Refused: 2 (category not in Categories 2)"_s));
}

TEST_F(HtmlImportTest, SelectedPutsEveryLinkInTheChosenCategory)
{
    addCategory(u"Chosen"_s);
    EXPECT_EQ(run(kBrowserFile, u"Netscape"_s, CategoryMode::Selected, u"Chosen"_s), 5);
    EXPECT_EQ(stored(u"http://inner.test/"_s).Category, u"Chosen"_s);
    EXPECT_FALSE(c().categories().exists(u"Inner"_s));
}

TEST_F(HtmlImportTest, DocumentLinksWithDescriptionsAndLetterCategories)
{
    const QByteArray page = R"(<html><head><link rel="stylesheet" href="style.css"></head><body>
<ol><li><a href="http://one.test/">3. Example site</a> first site
notes</li>
<li><a href="#top">Top</a></li>
<li><a href="http://two.test/">Zebra pictures</a></li></ol>
<table><tr><td><a href="http://three.test/"></a></td></tr></table><p>Outside</p>
</body></html>)";
    EXPECT_EQ(run(page, u"HTML"_s), 4);
    const LocationRecord one = stored(u"http://one.test/"_s);
    EXPECT_EQ(one.Description, u"Example site"_s);
    EXPECT_EQ(one.SiteInfo, u"3. Example site first site notes"_s);
    EXPECT_EQ(one.Category, u"New - E"_s);
    EXPECT_EQ(stored(u"http://two.test/"_s).Category, u"New - P"_s); // "Pictures"
    // The table ends before any text: the address stands in for the description.
    const LocationRecord three = stored(u"http://three.test/"_s);
    EXPECT_EQ(three.Description, u"http://three.test/"_s);
    EXPECT_EQ(three.Category, u"New -"_s);
    EXPECT_TRUE(c().locations().exists(u"style.css"_s));
    EXPECT_FALSE(c().locations().exists(u"#top"_s));
    EXPECT_EQ(ui.last()->text.section(u'\n', 0, 0), u"4 URL(s) imported."_s);
}

TEST_F(HtmlImportTest, DocumentWithoutAddressesAddsNothingAndSaysSo)
{
    EXPECT_EQ(run("<html><body><p>No links here</p></body></html>", u"HTML"_s), 0);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_TRUE(ui.last()->text.startsWith(u"0 URL(s) imported.\nAdded: 0\n"_s));
    EXPECT_EQ(count(), 0);
}

TEST_F(HtmlImportTest, NoneOnADocumentRefusesEveryLinkWithOneMessage)
{
    QByteArray page;
    for (int i = 0; i < 300; ++i)
        page += "<a href=\"http://n" + QByteArray::number(i) + ".test/\">Site</a>\n";
    EXPECT_EQ(run(page, u"HTML"_s, CategoryMode::None), 0);
    EXPECT_EQ(ui.titles(), QStringList({u"Field contents error"_s, u"Complete"_s}));
    EXPECT_TRUE(
        ui.interactions()[1].text.contains(u"Refused: 300 (category not in Categories 300)"_s));
}

TEST_F(HtmlImportTest, FileThatCannotBeOpenedSaysSoAndAddsNothing)
{
    EXPECT_EQ(runFile(temp.root() + u"/missing.htm"_s, u"Netscape"_s), 0);
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_TRUE(ui.interactions()[0].text.contains(u"missing.htm"_s));
    EXPECT_EQ(count(), 0);
}

TEST_F(HtmlImportTest, FirefoxFileArrivesWholeInBothModes)
{
    // As Firefox writes it: a separator and the next folder on one line, the favicon's address
    // before the link's, references everywhere; and what other programs write: tags with
    // blanks, microsecond dates, a tag over several lines, notes over several lines.
    const QByteArray file = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<DL><p>
    <DT><H3 ADD_DATE="1709294400" LAST_MODIFIED="1709294400">Tom &amp; Jerry</H3>
    <DD>Cartoons &amp; more&#10;and more
    <DL><p>
        <DT><A HREF="https://a.test/?x=1&amp;y=2" ADD_DATE="1709294400" LAST_MODIFIED="1709294460" ICON_URI="http://icon.test/a.ico" TAGS="my tag,work" SHORTCUTURL="fish">Fish &amp; Chips &lt;3</A>
        <DD>First line
second line<BR>a comment
    </DL><p>
    <HR>    <DT><H3 ADD_DATE="1">After the separator</H3>
    <DD>Not the description the category has
    <DL><p>
        <DT><A ICON_URI="http://icon.test/b.ico" HREF='https://b.test/'
               ADD_DATE="1709294400000000"
               LAST_VISIT="1709294400">Spread over lines</A>
        <DD>See <A HREF="https://thumb.test/"><IMG SRC="https://thumb.test/t.png"></A> this
        <DT><A HREF=https://c.test/>Unquoted</A>
        <DT><A HREF="page.html">Relative</A>
        <DT><A HREF="#top">Anchor</A>
        <DT><A HREF="">Empty</A>
    </DL><p>
</DL><p>
)";
    for (const bool nested : {true, false}) {
        SCOPED_TRACE(nested);
        TempCollection otherTemp;
        Collection other(otherTemp.folder());
        ASSERT_TRUE(other.openAll(true));
        ASSERT_TRUE(other.categories().insert({u"After the separator"_s, 0, u"Mine"_s}));
        HtmlImport
            import(other,
                   errors,
                   {u"Netscape"_s, writeFile(u"ff.html"_s, file), CategoryMode::Guess, {}, nested});
        ASSERT_TRUE(import.open());
        while (import.step()) {
        }
        EXPECT_EQ(import.added(), 3);
        EXPECT_EQ(import.inserter().skipped(ImportInsert::Skip::Relative), 1);
        EXPECT_EQ(import.inserter().skipped(ImportInsert::Skip::Anchor), 1);
        EXPECT_EQ(import.inserter().skipped(ImportInsert::Skip::Empty), 1);
        EXPECT_FALSE(other.locations().exists(u"http://icon.test/a.ico"_s));
        EXPECT_FALSE(other.locations().exists(u"https://thumb.test/"_s));
        LocationRecord a;
        ASSERT_TRUE(other.locations().get(u"https://a.test/?x=1&y=2"_s, a));
        EXPECT_EQ(a.Description, u"Fish & Chips <3"_s);
        EXPECT_EQ(a.Category, u"Tom & Jerry"_s);
        EXPECT_EQ(a.SiteInfo, u"First line\nsecond line"_s);
        EXPECT_EQ(a.Comments, u"a comment"_s);
        LocationRecord b;
        ASSERT_TRUE(other.locations().get(u"https://b.test/"_s, b));
        EXPECT_EQ(b.Description, u"Spread over lines"_s);
        EXPECT_EQ(b.Category, u"After the separator"_s);
        EXPECT_EQ(b.SiteInfo, u"See  this"_s);
        LocationRecord unquoted;
        ASSERT_TRUE(other.locations().get(u"https://c.test/"_s, unquoted));
        EXPECT_EQ(unquoted.Category, u"After the separator"_s);
        // A folder's note describes the category made for it; one that exists keeps its own.
        CategoryRecord category;
        ASSERT_TRUE(other.categories().get(u"Tom & Jerry"_s, category));
        EXPECT_EQ(category.Description, u"Cartoons & more\nand more"_s);
        ASSERT_TRUE(other.categories().get(u"After the separator"_s, category));
        EXPECT_EQ(category.Description, u"Mine"_s);

        std::vector<KeywordRecord> keywords;
        ASSERT_TRUE(other.keywords().list(a.Location, keywords));
        std::vector<DetailRecord> details;
        ASSERT_TRUE(other.details().list(b.Location, details));
        if (nested) {
            ASSERT_EQ(keywords.size(), 2u);
            EXPECT_EQ(keywords[0].Keyword, u"my tag"_s);
            EXPECT_EQ(keywords[1].Keyword, u"work"_s);
            ASSERT_EQ(details.size(), 1u);
            EXPECT_EQ(details[0].DataLabel, QLatin1String(DetailLabel::DateAdded));
            EXPECT_EQ(details[0].DataValue, u"2024-03-01T12:00:00Z"_s);
            EXPECT_NE(b.LastVisit, 0);
            ASSERT_TRUE(other.details().list(a.Location, details));
            QStringList kept;
            for (const DetailRecord &d : details)
                kept << d.DataLabel + u'=' + d.DataValue;
            EXPECT_EQ(kept,
                      QStringList({u"Date Added=2024-03-01T12:00:00Z"_s,
                                   u"Last Modified=2024-03-01T12:01:00Z"_s,
                                   u"Browser Keyword=fish"_s}));
        } else {
            EXPECT_TRUE(keywords.empty());
            EXPECT_TRUE(details.empty());
        }
    }
}

TEST_F(HtmlImportTest, DocumentTakesTheHrefAndReadsReferences)
{
    // A long line without breaks: links across every internal cut arrive whole.
    QByteArray page
        = "<p><a icon_uri=\"http://icon.test/x.ico\" href=\"https://h.test/?a=1&amp;b=2\">"
          "Tom &amp; Jerry</a> <a href='https://s.test/'>S</a> <a href=\"\">E</a>"
          " <a href=\"#top\">T</a>";
    for (int i = 0; i < 400; ++i)
        page += " filler <a href=\"https://long" + QByteArray::number(i)
                + ".test/some/path\">L</a>";
    EXPECT_EQ(run(page, u"HTML"_s), 402);
    EXPECT_EQ(stored(u"https://h.test/?a=1&b=2"_s).Description, u"Tom & Jerry"_s);
    EXPECT_TRUE(c().locations().exists(u"https://s.test/"_s));
    EXPECT_FALSE(c().locations().exists(u"http://icon.test/x.ico"_s));
    for (int i = 0; i < 400; ++i)
        ASSERT_TRUE(
            c().locations().exists(u"https://long"_s + QString::number(i) + u".test/some/path"_s))
            << i;
}

TEST_F(HtmlImportTest, BinaryAndHugeLineFilesStayBounded)
{
    QByteArray binary(300 * 1024, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((unsigned(i) * 7919u) % 256u);
    run(binary);
    run(binary, u"HTML"_s);
    EXPECT_LT(count(), 50); // whatever a binary holds, the import ends
    // 50 MB without a line end: one link at the very end still arrives.
    QByteArray huge(50 * 1024 * 1024, 'x');
    huge += "<a href=\"http://end.test/\">End</a>";
    const QString file = writeFile(u"huge.htm"_s, huge);
    huge.clear();
    huge.squeeze();
    EXPECT_EQ(runFile(file, u"HTML"_s), 1);
    EXPECT_TRUE(c().locations().exists(u"http://end.test/"_s));
    EXPECT_EQ(runFile(file, u"Netscape"_s), 0); // already there
}

TEST_F(HtmlImportTest, CharacterSetsDecodeToValidText)
{
    // Windows-1252 bytes in a file without a declaration; UTF-8 elsewhere; a declared Latin-1.
    EXPECT_EQ(run("<DT><H3 A=\"1\">Caf\xe9</H3>\n<DT><A HREF=\"http://c.test/\">Cr\xe8me "
                  "\x93q\x94</A>\n"),
              1);
    EXPECT_EQ(stored(u"http://c.test/"_s).Description, u"Cr\u00e8me \u201cq\u201d"_s);
    EXPECT_EQ(stored(u"http://c.test/"_s).Category, u"Caf\u00e9"_s);
    EXPECT_EQ(run("<DT><A HREF=\"http://u.test/\">Gr\xc3\xbc\xc3\x9f &amp; co</A>\n"), 1);
    EXPECT_EQ(stored(u"http://u.test/"_s).Description, u"Gr\u00fc\u00df & co"_s);
    EXPECT_EQ(run("<meta charset=\"iso-8859-1\">\n<DT><A HREF=\"http://l.test/\">\xc3\xa9</A>\n"),
              1);
    EXPECT_EQ(stored(u"http://l.test/"_s).Description, u"\u00c3\u00a9"_s);
    QByteArray utf16("\xff\xfe");
    const QString text = u"<DT><A HREF=\"http://w.test/\">Wide \u00e9</A>\r\n"_s;
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    EXPECT_EQ(run(utf16), 1);
    EXPECT_EQ(stored(u"http://w.test/"_s).Description, u"Wide \u00e9"_s);
    // The same without its byte-order mark, in both byte orders.
    for (const bool littleEndian : {true, false}) {
        const QString page = u"<DT><A HREF=\"http://w"_s + QString::number(littleEndian)
                             + u".test/\">Wide \u00e9</A>\r\n"_s;
        QByteArray bytes;
        for (const QChar c : page) {
            const char low = char(c.unicode() & 0xFF);
            const char high = char(c.unicode() >> 8);
            bytes += littleEndian ? QByteArray(1, low) + high : QByteArray(1, high) + low;
        }
        EXPECT_EQ(run(bytes), 1);
        EXPECT_EQ(stored(u"http://w"_s + QString::number(littleEndian) + u".test/"_s).Description,
                  u"Wide \u00e9"_s);
    }
    // One invalid byte spoils only itself: the rest of its line is still UTF-8.
    EXPECT_EQ(run("<DT><A HREF=\"http://m.test/\">Caf\xc3\xa9 \x96 na\xc3\xafve</A>\n"), 1);
    EXPECT_EQ(stored(u"http://m.test/"_s).Description, u"Caf\u00e9 \u2013 na\u00efve"_s);
}

TEST_F(HtmlImportTest, FileThatIsNotTextIsRefusedNamingIt)
{
    QByteArray program("\x7f"
                       "ELF\x02\x01\x01");
    program += QByteArray(64, '\0');
    program += "<form action=\"x\"> <a href=\"http://in.binary.test/\">x</a>";
    for (const QString &kind : {u"Netscape"_s, u"HTML"_s}) {
        ui.clear();
        const QString file = writeFile(u"prog"_s, program);
        HtmlImport import(c(), errors, {kind, file, CategoryMode::Guess, {}});
        EXPECT_FALSE(import.open());
        EXPECT_FALSE(import.step());
        ASSERT_EQ(ui.interactions().size(), 1);
        EXPECT_TRUE(ui.interactions()[0].text.contains(file));
        EXPECT_TRUE(ui.interactions()[0].text.contains(u"not a text file"_s));
    }
    EXPECT_EQ(count(), 0);
    std::vector<CategoryRecord> categories;
    ASSERT_TRUE(c().categories().list(categories));
    EXPECT_TRUE(categories.empty());
}

TEST_F(HtmlImportTest, CancelledImportKeepsWhatWasAdded)
{
    QByteArray file;
    for (int i = 0; i < 20000; ++i)
        file += "<DT><A HREF=\"http://c" + QByteArray::number(i) + ".test/\">Site</A>\n";
    HtmlImport import(c(),
                      errors,
                      {u"Netscape"_s, writeFile(u"big.htm"_s, file), CategoryMode::Guess, {}});
    ASSERT_TRUE(import.open());
    import.step();
    const int afterOne = import.added();
    import.cancel();
    EXPECT_FALSE(import.step());
    EXPECT_GT(afterOne, 0);
    EXPECT_EQ(count(), afterOne);
    EXPECT_FALSE(c().inTransaction());
    EXPECT_TRUE(c().checkFile(CollectionFile::Data));
}

TEST_F(HtmlImportTest, BatchesEndWhenTheirTimeIsUpAndTheSubstringIndexFollowsTheImport)
{
    QByteArray file;
    for (int i = 0; i < 1000; ++i)
        file += "<DT><A HREF=\"http://t" + QByteArray::number(i) + ".test/\">Findable "
                + QByteArray::number(i) + "</A>\n";
    const QString path = writeFile(u"timed.htm"_s, file);
    int steps = 0;
    {
        // No time at all: every batch ends at the first point where it may.
        HtmlImport import(c(), errors, {u"Netscape"_s, path, CategoryMode::Guess, {}});
        import.inserter().setStepMilliseconds(0);
        ASSERT_TRUE(import.open());
        while (import.step()) {
            ++steps;
            EXPECT_FALSE(c().inTransaction());
        }
        EXPECT_EQ(import.added(), 1000);
        // Until the import ends its rows are not in the index, which is then not used.
        EXPECT_FALSE(c().textIndexComplete());
    }
    EXPECT_GT(steps, 3);
    EXPECT_TRUE(c().textIndexComplete());
    EXPECT_EQ(TextIndex::candidates(c().db(), "main", u"Description"_s, u"Findable"_s, 5000), 1000);
    EXPECT_TRUE(c().checkFile(CollectionFile::Data));

    // All the time it needs: one batch.
    const QString more = writeFile(u"timed2.htm"_s,
                                   "<DT><A HREF=\"http://u1.test/\">U</A>\n"
                                   "<DT><A HREF=\"http://u2.test/\">U</A>\n");
    HtmlImport import(c(), errors, {u"Netscape"_s, more, CategoryMode::Guess, {}});
    import.inserter().setStepMilliseconds(std::numeric_limits<int>::max());
    ASSERT_TRUE(import.open());
    EXPECT_FALSE(import.step());
    EXPECT_EQ(import.added(), 2);
}

TEST_F(HtmlImportTest, KillInTheMiddleLosesNothingCommitted)
{
    QByteArray file;
    for (int i = 0; i < 30000; ++i)
        file += "<DT><A HREF=\"http://k" + QByteArray::number(i) + ".test/\">Site</A>\n";
    const QString path = writeFile(u"kill.htm"_s, file);
    const QString marker = temp.root() + u"/committed"_s;
    collection.reset();
    // The child imports a few steps, notes what they committed, and dies inside the next one.
    EXPECT_EXIT(
        {
            Collection child(temp.folder());
            if (!child.openAll(false))
                std::abort(); // not the signal the test waits for
            HtmlImport import(child, errors, {u"Netscape"_s, path, CategoryMode::Guess, {}});
            import.open();
            for (int i = 0; i < 3; ++i)
                import.step();
            QFile note(marker);
            note.open(QIODevice::WriteOnly);
            note.write(QByteArray::number(import.added()));
            note.close();
            static_cast<void>(import.inserter().runBatch([&] {
                LocationRecord r;
                r.Location = u"http://half.test/"_s;
                r.Category = u"New"_s;
                import.inserter().insert(r);
                std::raise(SIGKILL);
            }));
        },
        ::testing::KilledBySignal(SIGKILL),
        "");
    QFile note(marker);
    ASSERT_TRUE(note.open(QIODevice::ReadOnly));
    const qint64 committed = note.readAll().toLongLong();
    EXPECT_GT(committed, 0);
    collection = std::make_unique<Collection>(temp.folder());
    ASSERT_TRUE(collection->openAll(false));
    EXPECT_EQ(count(), committed);
    EXPECT_FALSE(c().locations().exists(u"http://half.test/"_s));
    EXPECT_TRUE(c().checkFile(CollectionFile::Data));
}
