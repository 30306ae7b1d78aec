#include "platform/registry.h"
#include "shell/favoritesfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pk::FavoritesFolder;
using pk::Registry;

namespace {

class FavoritesFolderTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("registry.ini")); }
    void write(const QByteArray &text)
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
};

} // namespace

TEST_F(FavoritesFolderTest, FavouritesFromUserShellFoldersWithProfileVariable)
{
    qputenv("USERPROFILE", "/home/pat");
    write("[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders]\n"
          "Favorites=%USERPROFILE%\\Favorites\n"
          "[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
          "Favorites=/wrong/place\n");
    Registry registry(path());
    EXPECT_EQ(FavoritesFolder::lookup(registry), QStringLiteral("/home/pat/Favorites"));
    qunsetenv("USERPROFILE");
}

TEST_F(FavoritesFolderTest, FavouritesFallBackToShellFoldersThenToTheHomeFolder)
{
    write("[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
          "Favorites=/data/bookmarks\n");
    Registry registry(path());
    EXPECT_EQ(FavoritesFolder::lookup(registry), QStringLiteral("/data/bookmarks"));

    write("");
    registry.reload();
    EXPECT_EQ(FavoritesFolder::lookup(registry), QDir::homePath() + QStringLiteral("/Favorites"));
}
