#include "exportfixture.h"

#include "export/defaulthtmlreader.h"
#include "export/preformattedexport.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QDir>
#include <QFile>

#include <random>

using namespace Qt::StringLiterals;
using namespace pk;
using namespace pk::test;

namespace {

class PreformattedTest : public ExportFixture
{
protected:
    ExportResult run(const ExportSettings &s)
    {
        PreformattedExport exporter(s, environment());
        return exporter.run();
    }
    void writeTemplate(const QString &name, const QByteArray &text)
    {
        ASSERT_TRUE(temp.writeFile(name, text));
    }
    void installShippedTemplates()
    {
        const QDir shipped(QStringLiteral(PK_TEMPLATE_DIR));
        for (const QString &name : shipped.entryList({u"Default_*.htm"_s}, QDir::Files))
            ASSERT_TRUE(QFile::copy(shipped.filePath(name), temp.path(name)));
    }
};

TEST(DefaultHtmlReader, CutsBeforeAndAfterTagsAndDropsBlankPieces)
{
    QStringList pieces;
    DefaultHtmlReader::cutLine(u"<tr><td>(URL:TOC)</td></tr>  x"_s, pieces);
    EXPECT_EQ(pieces,
              (QStringList{u"<tr>"_s, u"<td>"_s, u"(URL:TOC)"_s, u"</td>"_s, u"</tr>"_s, u"  x"_s}));
}

TEST_F(PreformattedTest, LineEndsFollowTheFirstKilobyte)
{
    QStringList lf;
    writeTemplate(u"lf.htm"_s, "<b>one\ntwo</b>\n");
    ASSERT_TRUE(DefaultHtmlReader::read(temp.path(u"lf.htm"_s), lf));
    EXPECT_EQ(lf, (QStringList{u"<b>"_s, u"one"_s, u"two"_s, u"</b>"_s}));

    QStringList cr;
    writeTemplate(u"cr.htm"_s, "<b>one\r\ntwo</b>\r\n");
    ASSERT_TRUE(DefaultHtmlReader::read(temp.path(u"cr.htm"_s), cr));
    EXPECT_EQ(cr, lf);

    QStringList missing;
    EXPECT_FALSE(DefaultHtmlReader::read(temp.path(u"none.htm"_s), missing));
}

TEST_F(PreformattedTest, TokensAreFilledOncePerPieceAndValuesAreNeverTokens)
{
    writeTemplate(u"Default_Simple.htm"_s,
                  "<html><body><ul>\n<!--URL:BEGIN-->\n"
                  "<li>(URL:Desc) and (URL:Desc)</li>\n<li>(url:rating)|(URL:Validated)</li>\n"
                  "<!--URL:END-->\n</ul>(URL:Product)</body></html>\n");
    addLocation(u"https://tok.example/"_s,
                u"Holds (URL:Category) and (url:Password) <b>"_s,
                u"Tools"_s,
                7);
    ExportSettings s = settings(u"Simple"_s, u"Location"_s);
    ASSERT_EQ(run(s), ExportResult::Written);
    const QString page = text(s.file);
    EXPECT_TRUE(page.contains(u"<li>Alpha one and (URL:Desc)</li>"_s)) << page.toStdString();
    EXPECT_TRUE(page.contains(
        u"<li>Holds &#40;URL:Category) and &#40;url:Password) &lt;b&gt; and (URL:Desc)</li>"_s));
    EXPECT_TRUE(page.contains(u"<li> 7|Unknown</li>"_s));
    EXPECT_TRUE(page.contains(u"<li>-3|Unknown</li>"_s));
    EXPECT_TRUE(page.contains(u"Pathkeep 2005"_s));
    // The detail markers stay in their sections in the flat layout.
    EXPECT_TRUE(page.contains(u"<!--URL:BEGIN-->"_s));
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(PreformattedTest, ContentsListExpandsWithPrefixAndSuffix)
{
    writeTemplate(u"Default_Table_cat.htm"_s,
                  "<html><body><table><tr><td>(URL:TOC)</td></tr></table>\n"
                  "<!--URL:BEGINCAT-->(URL:Bookmark)<h2>(URL:Category)</h2>\n"
                  "<!--URL:BEGIN--><p>(URL:Description)</p><!--URL:END-->\n"
                  "<!--URL:ENDCAT--></body></html>\n");
    ExportSettings s = settings(u"Table"_s, u"CatDesc"_s);
    s.categoryAssignment = u"Query"_s;
    ExportEnvironment env = environment();
    env.queryWizard = [] { return std::optional<QString>(u"URL:Rating <> 2"_s); };
    PreformattedExport exporter(s, env);
    ASSERT_EQ(exporter.run(), ExportResult::Written);
    const QString page = text(s.file);
    const QString toc = u"<table><tr><td><a href=\"#Alpha\">Alpha</a></td></TR>\n"
                        "<TR><td><a href=\"#News\">News</a></td></TR>\n"
                        "<TR><td><a href=\"#news\">news</a></td></TR>\n"
                        "<TR><td><a href=\"#Tools\">Tools</a></td>\n</tr>"_s;
    EXPECT_TRUE(page.contains(toc)) << page.toStdString();
    EXPECT_TRUE(page.contains(u"<a name=\"Alpha\"></a><h2>"_s));
    // A blank description reads "No description"; the group ends with its marker.
    EXPECT_TRUE(page.contains(u"<p>No description</p>"_s));
    EXPECT_EQ(page.count(u"<!--URL:EndCat-->"_s), 4);
}

TEST_F(PreformattedTest, MissingTemplatesAreReportedAndTheRunGoesOn)
{
    ExportSettings s = settings(u"Table"_s, u"Location"_s);
    ASSERT_EQ(run(s), ExportResult::Written);
    EXPECT_EQ(ui.messages(),
              (QStringList{u"No pre-formatted HTML in Default_Table.htm"_s,
                           u"No detail area defined in Default_Table.htm"_s}));
}

TEST_F(PreformattedTest, GroupedFrameWritesAPagePerCategoryAndTheFrameFiles)
{
    installShippedTemplates();
    for (const char *gone :
         {"https://n.example/x", "https://n.example/y?a=1&b=2", "https://blank.example/"})
        ASSERT_TRUE(collection->locations().remove(QLatin1String(gone)));
    addCategory(u"Zeta"_s);
    addLocation(u"https://z.example/"_s, u"Last"_s, u"Zeta"_s);
    ExportSettings s = settings(u"Frame"_s, u"CatLoc"_s);
    ASSERT_EQ(run(s), ExportResult::Written);
    const QDir dir(temp.root() + u"/out"_s);
    EXPECT_EQ(dir.entryList(QDir::Files, QDir::Name),
              (QStringList{u"links.html"_s,
                           u"links1.htm"_s,
                           u"links2.htm"_s,
                           u"links3.htm"_s,
                           u"links_banner.htm"_s,
                           u"links_contents.htm"_s}));
    EXPECT_TRUE(text(out(u"links.html"_s)).contains(u"<frame src=\"links1.htm\" name=\"main\">"_s));
    EXPECT_TRUE(
        text(out(u"links_contents.htm"_s)).contains(u"<a href=\"links3.htm\">Zeta</a><br>"_s));
    EXPECT_TRUE(text(out(u"links2.htm"_s)).contains(u"<h2>Tools</h2>"_s));
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(PreformattedTest, FlatFrameRefusesAFileNameItsListPageWouldTake)
{
    installShippedTemplates();
    ExportSettings s = settings(u"Frame"_s, u"Location"_s);
    s.file = out(u"links.htm"_s);
    EXPECT_EQ(run(s), ExportResult::Failed);
    EXPECT_EQ(ui.interactions().size(), 1);
    EXPECT_FALSE(QFile::exists(s.file));
}

TEST_F(PreformattedTest, ShippedTemplatesFillEveryTokenInEveryLayout)
{
    installShippedTemplates();
    for (const QString &type : {u"Simple"_s, u"Table"_s, u"Frame"_s}) {
        for (const QString &order : {u"Description"_s, u"CatDesc"_s}) {
            QDir(temp.root() + u"/out"_s).removeRecursively();
            QDir().mkpath(temp.root() + u"/out"_s);
            ExportSettings s = settings(type, order);
            s.metaKeywords = u"links, \"web\""_s;
            ASSERT_EQ(run(s), ExportResult::Written) << type.toStdString();
            const QDir dir(temp.root() + u"/out"_s);
            for (const QString &name : dir.entryList(QDir::Files)) {
                const QString page = text(dir.filePath(name));
                EXPECT_FALSE(page.contains(u"(URL:"_s, Qt::CaseInsensitive))
                    << type.toStdString() << ' ' << order.toStdString() << ' '
                    << name.toStdString();
                EXPECT_FALSE(page.contains(u"<script>"_s));
            }
            if (type == u"Table"_s && order == u"CatDesc"_s) {
                const QString page = text(s.file);
                EXPECT_TRUE(page.contains(
                    u"<META NAME=\"keywords\" CONTENT=\"links, &quot;web&quot;\">"_s));
                expectGolden(u"Preformatted_Table_CatDesc.txt"_s, page);
            }
        }
    }
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(PreformattedTest, RandomTemplatesNeverCrashOrLetValuesBecomeMarkup)
{
    // Bounded fuzz run: templates stitched from markers, tokens, tags, text and line ends.
    addLocation(u"https://evil.example/"_s,
                u"<img src=x onerror=alert(1)> (URL:TOC) (URL:Password)"_s,
                u"Tools"_s,
                1,
                u"<!--URL:BEGIN-->"_s);
    const QStringList parts = PreformattedExport::tokens()
                              + QStringList{u"<!--URL:BEGIN-->"_s,
                                            u"<!--URL:END-->"_s,
                                            u"<!--URL:BEGINCAT-->"_s,
                                            u"<!--URL:ENDCAT-->"_s,
                                            u"<td>"_s,
                                            u"</td>"_s,
                                            u"<br>"_s,
                                            u"</li>"_s,
                                            u"<tr>"_s,
                                            u"text "_s,
                                            u"\n"_s,
                                            u"\r\n"_s,
                                            u"\r"_s,
                                            u"<"_s,
                                            u">"_s,
                                            u"  "_s,
                                            QString(700, u'x')};
    std::mt19937 rng(1234);
    const QStringList types{u"Simple"_s, u"Table"_s, u"Frame"_s};
    for (int round = 0; round < 120; ++round) {
        QString body;
        const int count = int(rng() % 60);
        for (int i = 0; i < count; ++i)
            body += parts[qsizetype(rng() % quint32(parts.size()))];
        const QString type = types[round % 3];
        const bool grouped = (round / 3) % 2 == 1;
        for (const char *prefix :
             {"Default_", "Default_base_", "Default_banner_", "Default_contents_"})
            writeTemplate(PreformattedExport::templateName(QLatin1String(prefix), type, grouped),
                          body.toUtf8());
        ui.clear();
        ExportSettings s = settings(type, grouped ? u"CatLoc"_s : u"Rating"_s);
        ASSERT_NE(run(s), ExportResult::Cancelled);
        const QDir dir(temp.root() + u"/out"_s);
        for (const QString &name : dir.entryList(QDir::Files)) {
            const QString page = text(dir.filePath(name));
            EXPECT_FALSE(page.contains(u"<img"_s)) << name.toStdString();
        }
    }
}

TEST(PageWriter, EndsLinesAfterClosingTagsAndNearTheLimit)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"page.htm"_s);
    const QStringList pieces{u"<p>"_s,
                             u"text   "_s,
                             u"</p>"_s,
                             u"<b>"_s,
                             QString(600, u'a'),
                             QString(600, u'b'),
                             u"<frame x>"_s,
                             u"   "_s};
    QString error;
    ASSERT_TRUE(PreformattedExport::writePage(pieces, path, error)) << qPrintable(error);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], u"<p>text</p>"_s);
    EXPECT_EQ(lines[1], u"<b>"_s + QString(600, u'a'));
    EXPECT_EQ(lines[2], QString(600, u'b'));
    EXPECT_EQ(lines[3], u"<frame x>"_s);
}

} // namespace
