#include "importfixture.h"

#include "import/favoritesimport.h"

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class FavoritesImportTest : public ImportTest
{
protected:
    QString favorites() const { return temp.root() + u"/Favorites"_s; }
    void shortcut(const QString &relative, const QString &url)
    {
        writeFile(u"Favorites/"_s + relative,
                  "[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=" + url.toUtf8() + "\r\n");
    }
    int run(CategoryMode mode = CategoryMode::Guess, const QString &category = {})
    {
        FavoritesImport import(c(), errors, favorites(), mode, category);
        import.scan();
        while (import.step()) {
        }
        import.reportResult();
        return import.added();
    }
};

} // namespace

TEST_F(FavoritesImportTest, FolderChainMakesTheCategory)
{
    const auto at = [](const QString &path) {
        return FavoritesImport::locationFor({path, u"http://x.test/"_s}, u"/fav"_s);
    };
    EXPECT_EQ(at(u"News/Local/Paper.url"_s).Category, u"News: Local"_s);
    EXPECT_EQ(at(u"News/Local/Paper.url"_s).Description, u"Paper"_s);
    EXPECT_EQ(at(u"News/Local/Paper.url"_s).OriginalFilename, u"/fav/News/Local/Paper.url"_s);
    EXPECT_EQ(at(u"Top.URL"_s).Category, u"Internet Explorer"_s);
    EXPECT_EQ(at(u"a.url.b.url"_s).Description, u"a"_s);
    const QString deep = QString(25, u'A');
    EXPECT_EQ(at(deep + u"/B/C.url"_s).Category, deep);
    EXPECT_EQ(at(u"Aaaaaaaaaaaaaaaaaaaaaaaa/B/C/D.url"_s).Category,
              u"Aaaaaaaaaaaaaaaaaaaaaaaa: B"_s); // 24 letters grow once, then stop
}

TEST_F(FavoritesImportTest, ImportsTheTreeOnceWithFolderCategories)
{
    shortcut(u"News/Local/Paper.url"_s, u"http://paper.test/"_s);
    shortcut(u"The Art of Computer.url"_s, u"http://art.test/"_s);
    shortcut(u"Broken.url"_s, {});
    writeFile(u"Favorites/News/desktop.ini"_s, "[.ShellClassInfo]\r\n");
    writeFile(u"Favorites/NoSection.url"_s, "URL=http://nosection.test/\r\n");

    FavoritesImport import(c(), errors, favorites(), CategoryMode::Guess, {});
    import.scan();
    ASSERT_EQ(import.entries().size(), 5u);
    EXPECT_EQ(import.entries()[0].path, u"Broken.url"_s);
    EXPECT_EQ(import.entries()[1].path, u"News/desktop.ini"_s);
    EXPECT_EQ(import.entries()[1].address, QString());
    EXPECT_EQ(import.entries()[3].address, QString()); // no [InternetShortcut]
    while (import.step()) {
    }
    import.reportResult();
    EXPECT_EQ(import.added(), 2);
    EXPECT_EQ(stored(u"http://paper.test/"_s).Category, u"News: Local"_s);
    EXPECT_EQ(stored(u"http://art.test/"_s).Category, u"Internet Explorer"_s);
    EXPECT_EQ(stored(u"http://art.test/"_s).Keyword, u"Computer"_s);
    EXPECT_TRUE(c().categories().exists(u"News: Local"_s));
    EXPECT_EQ(ui.last()->title, u"Complete"_s);
    EXPECT_EQ(ui.last()->text.section(u'\n', 0, 0), u"2 bookmark(s) imported."_s);

    ui.clear();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(ui.last()->text.section(u'\n', 0, 0), u"0 bookmark(s) imported."_s);
    EXPECT_TRUE(ui.last()->text.contains(u"Already stored (left as they were): 2"_s));
}

TEST_F(FavoritesImportTest, EmptyOrMissingFolderReportsZero)
{
    QDir().mkpath(favorites());
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].section(u'\n', 0, 0), u"0 bookmark(s) imported."_s);
}

TEST_F(FavoritesImportTest, NoneRefusesEveryLocationWithOneMessageAndASummary)
{
    for (int i = 0; i < 30; ++i)
        shortcut(u"Site %1.url"_s.arg(i), u"http://s%1.test/"_s.arg(i));
    EXPECT_EQ(run(CategoryMode::None), 0);
    EXPECT_EQ(ui.titles(), QStringList({u"Field contents error"_s, u"Complete"_s}));
    EXPECT_TRUE(ui.last()->text.contains(u"Refused: 30 (category not in Categories 30)"_s));
    EXPECT_EQ(count(), 0);
}

TEST_F(FavoritesImportTest, AskIsOfferedTheFolderCategoryAndOnlyForShortcuts)
{
    shortcut(u"Tools/Hammer.url"_s, u"http://hammer.test/"_s);
    writeFile(u"Favorites/Tools/readme.txt"_s, "not a shortcut");
    FavoritesImport import(c(), errors, favorites(), CategoryMode::Ask, {});
    QStringList asked;
    import.inserter().setCategoryQuestion([&](const LocationRecord &r, const QString &guess) {
        asked << r.Location + u' ' + guess;
    return std::optional<QString>();
});
import.scan();
while (import.step()) {
}
EXPECT_EQ(asked, QStringList({u"http://hammer.test/ Tools"_s}));
EXPECT_EQ(stored(u"http://hammer.test/"_s).Category, u"Tools"_s);
}

TEST_F(FavoritesImportTest, LinkLoopInTheTreeEnds)
{
    shortcut(u"Loop/a.url"_s, u"http://a.test/"_s);
    ASSERT_TRUE(QFile::link(favorites(), favorites() + u"/Loop/back"_s));
    EXPECT_EQ(run(), 1);
}

TEST_F(FavoritesImportTest, OversizedShortcutIsNotRead)
{
    QByteArray big = "[InternetShortcut]\r\nURL=http://big.test/\r\n";
    big += QByteArray(FavoritesImport::MaxShortcutSize, ';');
    writeFile(u"Favorites/Big.url"_s, big);
    EXPECT_EQ(run(), 0);
}
