#include "importfixture.h"

#include "import/importwizard.h"
#include "platform/inifile.h"
#include "shell/procedurenames.h"

using namespace pk;
using namespace pk::test;
using namespace Qt::StringLiterals;

namespace {

class ImportWizardTest : public ImportTest
{};

} // namespace

TEST_F(ImportWizardTest, SettingsReadDefaultsAndWriteAllSevenKeys)
{
    IniFile ini(temp.root() + u"/PATHKEEP.INI"_s);
    ImportSettings s = ImportSettings::load(ini, u"/home/u/Favorites"_s);
    EXPECT_EQ(s.type, u"IE"_s);
    EXPECT_EQ(s.assignment, u"Guess"_s);
    EXPECT_EQ(s.folder, u"/home/u/Favorites"_s);
    EXPECT_EQ(s.mode(), CategoryMode::Guess);

    s.type = u"Netscape"_s;
    s.file = u"/tmp/bookmark.htm"_s;
    s.assignment = u"Selected"_s;
    s.category = u"News"_s;
    s.url = u"http://a.test/"_s;
    s.followLinks = 1;
    s.save(ini);
    ASSERT_TRUE(ini.save());
    IniFile again(ini.path());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.value(u"Import"_s, u"Import:Category:Assignment"_s), u"Selected"_s);
    EXPECT_EQ(again.value(u"Import"_s, u"Import:Folder"_s), u"/home/u/Favorites"_s);
    EXPECT_EQ(again.value(u"Import"_s, u"Import:FollowLinks"_s), u"1"_s);
    // The folder always comes from the favourites setting, never from the file.
    const ImportSettings read = ImportSettings::load(again, u"/other"_s);
    EXPECT_EQ(read.folder, u"/other"_s);
    EXPECT_EQ(read.mode(), CategoryMode::Selected);
    EXPECT_EQ(read.category, u"News"_s);
}

TEST_F(ImportWizardTest, PagesFiltersAndProceduresByKind)
{
    using P = ImportWizard::Pages;
    EXPECT_EQ(ImportWizard::pages(u"IE"_s), (P{true, false, true, false}));
    EXPECT_EQ(ImportWizard::pages(u"Netscape"_s), (P{true, true, false, false}));
    EXPECT_EQ(ImportWizard::pages(u"ASCII"_s), (P{true, true, false, false}));
    EXPECT_EQ(ImportWizard::pages(u"URL"_s), (P{true, false, false, true}));
    EXPECT_EQ(ImportWizard::pages(u"ADV"_s), (P{false, true, false, false}));
    EXPECT_EQ(ImportWizard::fileFilter(u"HTML"_s),
              u"HTML Files|*.html|HTM Files|*.htm|All Files|*.*"_s);
    EXPECT_EQ(ImportWizard::fileFilter(u"ADV"_s), ImportWizard::fileFilter(u"CSV"_s));
    EXPECT_EQ(ImportWizard::fileFilter(u"IE"_s), u"All Files|*.*"_s);
    EXPECT_TRUE(ImportWizard::categoryEnabled(u"Selected"_s));
    EXPECT_FALSE(ImportWizard::categoryEnabled(u"Guess"_s));

    ImportSettings s;
    const auto procedure = [&](const char *type) {
        s.type = QLatin1String(type);
        return ImportWizard::startFor(s).procedure;
    };
    EXPECT_EQ(procedure("IE"), QLatin1String(Procedure::ImportFavorites));
    EXPECT_EQ(procedure("Netscape"), QLatin1String(Procedure::ImportHtml));
    EXPECT_EQ(procedure("HTML"), QLatin1String(Procedure::ImportHtml));
    EXPECT_EQ(procedure("CSV"), QLatin1String(Procedure::ImportText));
    EXPECT_EQ(procedure("ASCII"), QLatin1String(Procedure::ImportText));
    EXPECT_EQ(procedure("ADV"), QLatin1String(Procedure::AdvancedImport));
    s.url = u"http://w.test/"_s;
    EXPECT_EQ(procedure("URL"), QLatin1String(Procedure::NewUrlWizard));
    EXPECT_EQ(std::get<NewLocationRequest>(ImportWizard::startFor(s).request).location, s.url);
    // Every other kind hands the import the wizard's settings whole.
    s.type = u"HTML"_s;
    s.file = u"/b.htm"_s;
    EXPECT_EQ(std::get<ImportRequest>(ImportWizard::startFor(s).request).settings, s);
}

TEST_F(ImportWizardTest, CategoryEntryIsLookedUpAndChosenWhenMissing)
{
    addCategory(u"News"_s);
    int opened = 0;
    QString entry = u"news"_s;
    const auto chooser = [&](const QString &) -> std::optional<QString> {
        ++opened;
        return u"News"_s;
    };
    EXPECT_TRUE(ImportWizard::acceptCategory(c(), entry, chooser));
    EXPECT_EQ(opened, 0);
    entry.clear();
    EXPECT_TRUE(ImportWizard::acceptCategory(c(), entry, chooser));
    EXPECT_EQ(opened, 0);
    entry = u"Nonesuch"_s;
    EXPECT_TRUE(ImportWizard::acceptCategory(c(), entry, chooser));
    EXPECT_EQ(entry, u"News"_s);
    entry = u"Nonesuch"_s;
    EXPECT_FALSE(ImportWizard::acceptCategory(c(), entry, [](const QString &) {
        return std::optional<QString>();
    }));
    EXPECT_EQ(entry, u"Nonesuch"_s);
}

TEST_F(ImportWizardTest, HelpTextComesFromTheCollectionFolderFirst)
{
    const QString data = temp.root() + u"/data"_s;
    writeFile(u"data/import.txt"_s, "Shipped help\nline two\n");
    EXPECT_EQ(ImportWizard::helpFile(u"import.txt"_s, temp.folder(), data), data + u"/import.txt"_s);
    ASSERT_TRUE(temp.writeFile(u"import.txt"_s, "Own help\r\n"));
    const QString own = ImportWizard::helpFile(u"import.txt"_s, temp.folder(), data);
    EXPECT_EQ(own, temp.path(u"import.txt"_s));
    EXPECT_EQ(ImportWizard::readHelp(own), u"Own help"_s);
    EXPECT_EQ(ImportWizard::readHelp(data + u"/import.txt"_s), u"Shipped help\nline two"_s);
    EXPECT_EQ(ImportWizard::helpFile(u"export.txt"_s, temp.folder(), data), QString());
    EXPECT_FALSE(ImportWizard::readHelp(QString()));
}
