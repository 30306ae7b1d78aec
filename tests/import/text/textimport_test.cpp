#include "framework/errormanager.h"
#include "framework/scripteduserinterface.h"
#include "import/csv/locationcsvline.h"
#include "import/importinsert.h"
#include "import/text/addressscanner.h"
#include "import/text/textimport.h"
#include "import/text/textimportrun.h"
#include "store/storefixture.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace pk {
namespace {

TEST(AddressScanner, FindsEveryAddressOfALine)
{
    const QList<ScannedAddress> two = AddressScanner::scan(
        u"see http://a.example/p?q=1&r=(2), then ftp://f.example/x.zip now"_s);
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0].location, u"http://a.example/p?q=1&r=(2)"_s) << "the comma ends it";
    EXPECT_EQ(two[0].rest, u"then ftp://f.example/x.zip now"_s);
    EXPECT_EQ(two[1].location, u"ftp://f.example/x.zip"_s);
    EXPECT_EQ(two[1].rest, u"now"_s);

    const QList<ScannedAddress> anchor = AddressScanner::scan(
        u"<li><A HREF=\"https://s.example/a b\">Secure</A><a href=x.html>"_s);
    ASSERT_EQ(anchor.size(), 2);
    EXPECT_EQ(anchor[0].location, u"https://s.example/a b"_s) << "the quoted value, whole";
    EXPECT_EQ(anchor[1].location, u"x.html"_s);

    EXPECT_EQ(AddressScanner::scan(u"<http://lt.example/>x"_s).constFirst().location,
              u"http://lt.example/"_s);
    EXPECT_TRUE(AddressScanner::scan(u"no address here"_s).isEmpty());
    EXPECT_TRUE(AddressScanner::scan(u"a href without a value"_s).isEmpty());
}

TEST(AddressScanner, FuzzedLinesEndAndGiveSaneAddresses)
{
    QRandomGenerator rng(5303);
    const QStringList pieces{u"http://"_s,
                             u"ftp://"_s,
                             u"a href"_s,
                             u"="_s,
                             u"\""_s,
                             u"'"_s,
                             u" "_s,
                             u","_s,
                             u"<"_s,
                             u"x"_s,
                             u"é"_s,
                             u"%20"_s,
                             u"news://"_s};
    for (int i = 0; i < 5000; ++i) {
        QString line;
        for (int n = rng.bounded(30); n > 0; --n)
            line += pieces[rng.bounded(pieces.size())];
        for (const ScannedAddress &a : AddressScanner::scan(line)) {
            ASSERT_FALSE(a.location.isEmpty()) << qPrintable(line);
            ASSERT_LE(a.location.size(), AddressScanner::LocationWidth);
        }
    }
}

class TextImportTest : public test::StoreTest
{
protected:
    ImportInsert &insert(CategoryMode mode)
    {
        m_insert = std::make_unique<ImportInsert>(c(), m_errors, mode, u"General"_s);
        return *m_insert;
    }

    ScriptedUserInterface m_ui;
    ErrorManager m_errors{m_ui};
    std::unique_ptr<ImportInsert> m_insert;
};

TEST_F(TextImportTest, CsvExportComesBackUnderItsCategories)
{
    TextImport text(TextImport::Kind::Csv, insert(CategoryMode::Guess), u"/tmp/list.csv"_s);
    LocationRecord a = test::location(u"http://a.example/"_s, u"Garden tools"_s, u"Garden"_s, 4);
    a.SiteInfo = u"info"_s;
    LocationRecord b = test::location(u"http://b.example/"_s, u"Blank category"_s, QString());
    text.importLine(LocationCsvLine::write(a, LocationCsvLine::Layout::Full) + u"\r\n"_s);
    text.importLine(LocationCsvLine::write(b, LocationCsvLine::Layout::Short));
    text.importLine(u"just text"_s);
    text.importLine(u"\"General\",\"#anchor\",\"skipped\""_s);
    EXPECT_EQ(text.count(), 2);

    LocationRecord back;
    ASSERT_TRUE(c().locations().get(a.Location, back));
    EXPECT_EQ(back.Category, u"Garden"_s);
    EXPECT_EQ(back.Rating, 4);
    EXPECT_EQ(back.SiteInfo, u"info"_s);
    EXPECT_EQ(back.Keyword, u"Garden"_s);
    EXPECT_EQ(back.OriginalFilename, u"/tmp/list.csv"_s);
    EXPECT_TRUE(c().categories().exists(u"Garden"_s));
    ASSERT_TRUE(c().locations().get(b.Location, back));
    EXPECT_EQ(back.Category, u"New"_s);
    EXPECT_FALSE(c().locations().exists(u"#anchor"_s));
}

TEST_F(TextImportTest, RowsOfAnotherLayoutAreRefusedCountedAndAddNoCategory)
{
    // Address, title, category: the columns of another program.
    TextImport text(TextImport::Kind::Csv, insert(CategoryMode::Guess), u"other.csv"_s);
    text.importLine(u"\"http://one.example/\",\"CSV one\",\"Reading\""_s);
    text.importLine(u"\"http://two.example/\",\"Two words\",\"Reading\""_s);
    text.importLine(u"\"News\",\"\",\"no address at all\""_s);
    text.importLine(u"\"News\",\"#top\",\"an anchor\""_s);
    text.importLine(u"\"News\",\"http://ok.example/\",\"the right layout\""_s);
    EXPECT_EQ(text.count(), 1);
    EXPECT_EQ(m_insert->refused(ImportInsert::Refusal::NotAnAddress), 3);
    EXPECT_EQ(m_insert->skipped(ImportInsert::Skip::Anchor), 1);
    EXPECT_FALSE(c().locations().exists(u"CSV one"_s));
    for (const QString &junk : {u"http://one.example/"_s, u"http://two.example/"_s})
        EXPECT_FALSE(c().categories().exists(junk)) << "no category named after an address";
    EXPECT_TRUE(c().categories().exists(u"News"_s));
    EXPECT_EQ(c().locations().count(), 1);
}

TEST_F(TextImportTest, AQuotedLineBreakKeepsTheRecordWhole)
{
    ASSERT_TRUE(m_temp.writeFile(
        u"multi.csv"_s,
        "\"News\",\"http://a.example/\",\"First line\r\nsecond, \"\"quoted\"\"\r\n\r\nlast\","
        "\"info\nmore\",5\r\n"
        "\"News\",\"http://c.example/\",\"after\"\n"
        "\"News\",\"http://b.example/\",\"never closed\n"));
    TextImportRun run(c(),
                      m_errors,
                      TextImport::Kind::Csv,
                      CategoryMode::Guess,
                      QString(),
                      m_temp.path(u"multi.csv"_s));
    ASSERT_TRUE(run.open());
    while (run.step(1)) {
    }
    run.finish();
    EXPECT_EQ(run.count(), 3);
    EXPECT_EQ(run.insert().refused(), 0) << "no junk rows from the lines of a value";
    LocationRecord a;
    ASSERT_TRUE(c().locations().get(u"http://a.example/"_s, a));
    EXPECT_EQ(a.Description, u"First line\nsecond, \"quoted\"\n\nlast"_s);
    EXPECT_EQ(a.SiteInfo, u"info\nmore"_s);
    EXPECT_EQ(a.Rating, 5);
    LocationRecord b;
    ASSERT_TRUE(c().locations().get(u"http://b.example/"_s, b));
    EXPECT_EQ(b.Description, u"never closed"_s)
        << "a quote never closed up to the end of the file ends with its own line";
    EXPECT_TRUE(c().locations().exists(u"http://c.example/"_s));
}

TEST_F(TextImportTest, FreeTextGoesToNewWithGuessAndIsRefusedWithNone)
{
    TextImport guess(TextImport::Kind::Ascii, insert(CategoryMode::Guess), u"notes.txt"_s);
    guess.importLine(u"Two: http://one.example/, and ftp://two.example/ here"_s);
    guess.importLine(u"nothing on this line"_s);
    EXPECT_EQ(guess.count(), 2);
    LocationRecord one;
    ASSERT_TRUE(c().locations().get(u"http://one.example/"_s, one));
    EXPECT_EQ(one.Category, u"New"_s);
    EXPECT_EQ(one.Description, u"and ftp://two.example/ here"_s);

    TextImport none(TextImport::Kind::Ascii, insert(CategoryMode::None), u"notes.txt"_s);
    none.importLine(u"http://three.example/ http://four.example/"_s);
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(m_insert->refused(), 2);
    EXPECT_EQ(m_ui.titles(), QStringList{u"Field contents error"_s}) << "the first refusal only";

    TextImport selected(TextImport::Kind::Ascii, insert(CategoryMode::Selected), u"n.txt"_s);
    selected.importLine(u"http://five.example/"_s);
    ASSERT_TRUE(c().locations().get(u"http://five.example/"_s, one));
    EXPECT_EQ(one.Category, u"General"_s);
}

TEST_F(TextImportTest, RunsOverFilesOfEveryLineEndAndReportsTheCount)
{
    const QByteArray lines[] = {
        "\"Garden\",\"http://g1.example/\",\"One\"\r\n\"Garden\",\"http://g2.example/"
        "\",\"Two\"\r\n",
        "\"Garden\",\"http://g3.example/\",\"Three\"\r\"Garden\",\"http://g4.example/\",\"Four\"",
        "\xEF\xBB\xBF\"Caf\xC3\xA9\",\"http://g5.example/\",\"Five\"\n\"Th\xE9\",\"http://"
        "g6.example/\",\"Six\"\n"};
    int file = 0;
    for (const QByteArray &bytes : lines) {
        const QString name = u"in%1.csv"_s.arg(++file);
        ASSERT_TRUE(m_temp.writeFile(name, bytes));
        m_ui.clear();
        TextImportRun run(c(),
                          m_errors,
                          TextImport::Kind::Csv,
                          CategoryMode::Guess,
                          QString(),
                          m_temp.path(name));
        ASSERT_TRUE(run.open());
        while (run.step(1)) {
        }
        EXPECT_EQ(run.percent(), 100);
        run.finish();
        EXPECT_EQ(run.count(), 2) << file;
        EXPECT_EQ(m_ui.titles(), QStringList{u"Complete"_s});
        ASSERT_EQ(m_ui.messages().size(), 1);
        EXPECT_EQ(m_ui.messages()[0].section(u'\n', 0, 0), u"2 URL(s) imported."_s);
    }
    EXPECT_TRUE(c().categories().exists(u"Café"_s));
    EXPECT_TRUE(c().categories().exists(u"Thé"_s)) << "a Windows-1252 line";

    m_ui.clear();
    TextImportRun missing(c(),
                          m_errors,
                          TextImport::Kind::Ascii,
                          CategoryMode::Guess,
                          QString(),
                          m_temp.path(u"none.txt"_s));
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(m_ui.titles(), QStringList{u"Cannot OPEN "_s + m_temp.path(u"none.txt"_s)});
}

} // namespace
} // namespace pk
