#include "shellfixture.h"

#include "shell/collectionpaths.h"
#include "store/collection.h"
#include "store/configurationmanager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace pk;

TEST(CollectionPathsTest, NewCollectionFolderFromSaveDialogPath)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/home/pat/new/URLDATA.TPS", "/home/pat/new/"},
        {"/home/pat/new/urldata.tps", "/home/pat/new/"},
        {"/home/pat/new/URLDATA.TPS.TPS/URLDATA.TPS", "/home/pat/new/"},
        {"/home/pat/brand-new", "/home/pat/brand-new/"},
        {"/home/pat/new/", "/home/pat/new/"},
        {"\\home\\pat\\win\\URLDATA.TPS", "/home/pat/win/"},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(CollectionPaths::newCollectionFolder(QString::fromUtf8(in)), QString::fromUtf8(out))
            << in;
}

TEST(CollectionPathsTest, OpenCollectionFolderFromOpenDialogPath)
{
    EXPECT_EQ(CollectionPaths::openCollectionFolder(QStringLiteral("/data/links/URLDATA.TPS")),
              QStringLiteral("/data/links/"));
    EXPECT_EQ(CollectionPaths::openCollectionFolder(QStringLiteral("/data/links/UrlData.tps")),
              QStringLiteral("/data/links/"));
    EXPECT_EQ(CollectionPaths::openCollectionFolder(QStringLiteral("/data/links/URL_C.TPS")),
              QStringLiteral("/data/links/"));
    EXPECT_EQ(CollectionPaths::openCollectionFolder(QStringLiteral("/data/links")),
              QStringLiteral("/data/links/"));
}

namespace {

class CollectionCommandsTest : public test::ShellFixture
{
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        ASSERT_TRUE(shell->prepare());
        shell->setStartupListHandler([this] { ++startupLists; });
        shell->setFolderChangedHandler([this] { ++folderChanges; });
    }

    QString row(const char *name)
    {
        // A missing row reads as an empty value.
        ConfigurationRecord r;
        if (!shell->collection().configuration().get(QLatin1String(name), r))
            return {};
        return r.DataValue;
    }

    int startupLists = 0;
    int folderChanges = 0;
};

} // namespace

TEST_F(CollectionCommandsTest, NewDatabaseRefusesTheCurrentFolder)
{
    ui.push(0);
    ui.push(temp.path(QStringLiteral("URLDATA.TPS")));
    EXPECT_FALSE(shell->newCollection());
    EXPECT_EQ(ui.last()->title, QStringLiteral("Error"));
    EXPECT_EQ(ui.last()->text, QStringLiteral("Databases already exist in that folder."));
    EXPECT_EQ(QDir::currentPath(), temp.folder());
    EXPECT_EQ(startupLists, 0);
}

TEST_F(CollectionCommandsTest, NewDatabaseRefusesAFolderHoldingACollection)
{
    const QString other = temp.root() + QStringLiteral("/other");
    QDir().mkpath(other);
    writeFile(other + QStringLiteral("/urldata.tps"), "existing");
    ui.push(0);
    ui.push(QString(other + QStringLiteral("/URLDATA.TPS")));
    EXPECT_FALSE(shell->newCollection());
    EXPECT_EQ(ui.last()->text, QStringLiteral("Databases already exist in that folder."));
}

TEST_F(CollectionCommandsTest, NewDatabaseCancelledAtEitherStepDoesNothing)
{
    ui.push(1); // Cancel
    EXPECT_FALSE(shell->newCollection());
    EXPECT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.last()->title, QStringLiteral("New Collection"));
    ui.push(0);
    ui.pushCancel(); // file dialog
    EXPECT_FALSE(shell->newCollection());
    EXPECT_EQ(ui.last()->title, QStringLiteral("Select collection folder"));
    EXPECT_EQ(QDir::currentPath(), temp.folder());
}

TEST_F(CollectionCommandsTest, NewDatabaseInAMissingFolderCopiesAndCarriesSettingsOver)
{
    // The open collection has its own settings, templates and categories file.
    AppSettings s = shell->settings().values();
    s.startupBrowse = QStringLiteral("Category");
    s.doubleClickAction = QStringLiteral("Edit Record");
    s.favoritesPath = QStringLiteral("/srv/my favourites");
    s.password = QStringLiteral("pw");
    ASSERT_TRUE(shell->settings().writeOptions(s));
    writeFile(temp.path(QStringLiteral("Default_Table.htm")), "<html>table</html>");
    writeFile(temp.path(QStringLiteral("MINE.HTM")), "<html>mine</html>");
    writeFile(temp.path(QStringLiteral("notes.txt")), "not copied");

    const QString target = temp.root() + QStringLiteral("/deeper/new collection");
    ui.push(0);
    ui.push(QString(target + QStringLiteral("/URLDATA.TPS")));
    ASSERT_TRUE(shell->newCollection());

    EXPECT_EQ(QDir::currentPath(), target);
    for (const char *name :
         {"URLDATA.TPS", "URL_C.TPS", "URL_H.TPS", "Default_Table.htm", "MINE.HTM"})
        EXPECT_TRUE(QFileInfo::exists(target + QLatin1Char('/') + QLatin1String(name))) << name;
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("/notes.txt")));
    EXPECT_EQ(shell->collection().folder(), target);
    // The templates went through the file routine, which records its call.
    EXPECT_TRUE(shell->pathkeepIni()
                    .value(QStringLiteral("Operation"), QStringLiteral("CopyTo"))
                    .startsWith(target));

    EXPECT_EQ(row("StartupBrowse"), QStringLiteral("Category"));
    EXPECT_EQ(row("DoubleClickAction"), QStringLiteral("Edit Record"));
    EXPECT_EQ(row("FavoritesPath"), QStringLiteral("/srv/my favourites"));
    EXPECT_EQ(row("Password"), QStringLiteral("pw"));
    EXPECT_EQ(shell->settings().values().favoritesPath, QStringLiteral("/srv/my favourites"));
    EXPECT_EQ(startupLists, 1);
    EXPECT_EQ(folderChanges, 1);
    EXPECT_TRUE(halts.isEmpty());
}

TEST_F(CollectionCommandsTest, OpenDatabaseSwitchesClosesWindowsAndRereadsSettings)
{
    // A second collection with its own start-up list.
    const QString other = temp.root() + QStringLiteral("/second");
    QDir().mkpath(other);
    {
        Collection second(other);
        ASSERT_TRUE(second.openAll(true).ok());
        ASSERT_TRUE(second.configuration()
                        .put({QStringLiteral("StartupBrowse"), QStringLiteral("Category")})
                        .ok());
        second.close();
    }
    int closed = 0;
    int first = 0;
    int second = 0;
    first = shell->threads().start(QStringLiteral("BrowsePATHKEEP"), [&] {
        ++closed;
        shell->threads().finish(first);
    });
    second = shell->threads().start(QStringLiteral("BrowseCategories"), [&] {
        ++closed;
        shell->threads().finish(second);
    });

    ui.push(QString(other + QStringLiteral("/URLDATA.TPS")));
    ASSERT_TRUE(shell->openCollection());
    EXPECT_EQ(QDir::currentPath(), other);
    EXPECT_EQ(closed, 2);
    EXPECT_EQ(shell->settings().values().startupBrowse, QStringLiteral("Category"));
    EXPECT_EQ(shell->startupProcedure(), QStringLiteral("BrowseCategoriesAndURL"));
    EXPECT_EQ(startupLists, 1);
    EXPECT_EQ(folderChanges, 1);
}

TEST_F(CollectionCommandsTest, AWindowThatWillNotCloseKeepsTheCollection)
{
    const QString other = temp.root() + QStringLiteral("/third");
    QDir().mkpath(other);
    shell->threads().start(QStringLiteral("UpdatePATHKEEP"),
                           [] { /* the user kept the form open */ });
    ui.push(QString(other + QStringLiteral("/URLDATA.TPS")));
    EXPECT_FALSE(shell->openCollection());
    EXPECT_EQ(QDir::currentPath(), temp.folder());
    EXPECT_TRUE(shell->collection().isOpen(CollectionFile::Data));
    EXPECT_FALSE(QFileInfo::exists(other + QStringLiteral("/URLDATA.TPS")));
    EXPECT_EQ(startupLists, 0);
}
