#include "browse/list/shortcutdrop.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pk;

TEST(ShortcutDrop, RecognisesShortcutNamesWhateverTheirCase)
{
    EXPECT_TRUE(ShortcutDrop::isShortcut(QStringLiteral("/f/News/Daily.url")));
    EXPECT_TRUE(ShortcutDrop::isShortcut(QStringLiteral("/f/A.URL")));
    EXPECT_FALSE(ShortcutDrop::isShortcut(QStringLiteral("/f/notes.txt")));
}

TEST(ShortcutDrop, FirstSubFolderOfTheFavouritesBecomesTheCategory)
{
    const QString favourites = QStringLiteral("/home/u/Favorites");
    LocationRecord r = ShortcutDrop::placement(QStringLiteral("/home/u/Favorites/News/Daily.url"),
                                               favourites);
    EXPECT_EQ(r.Category, QStringLiteral("News"));
    EXPECT_EQ(r.Description, QStringLiteral("Daily.url"));

    r = ShortcutDrop::placement(QStringLiteral("/home/u/Favorites/News/Local/Town.url"),
                                favourites + QLatin1Char('/'));
    EXPECT_EQ(r.Category, QStringLiteral("News"));
    EXPECT_EQ(r.Description, QStringLiteral("Local/Town.url"));

    r = ShortcutDrop::placement(QStringLiteral("/home/u/Favorites/Top.url"), favourites);
    EXPECT_EQ(r.Category, QStringLiteral("Internet Explorer"));
    EXPECT_EQ(r.Description, QStringLiteral("Top.url"));
}

TEST(ShortcutDrop, FileOutsideTheFavouritesGoesToTheDefaultCategory)
{
    const QString favourites = QStringLiteral("/home/u/Favorites");
    for (const QString &file :
         {QStringLiteral("/tmp/x/Other.url"), QStringLiteral("/home/u/FavoritesOld/A/B.url")}) {
        const LocationRecord r = ShortcutDrop::placement(file, favourites);
        EXPECT_EQ(r.Category, QStringLiteral("Internet Explorer")) << qPrintable(file);
        EXPECT_EQ(r.Description, file.mid(file.lastIndexOf(QLatin1Char('/')) + 1));
    }
}

TEST(ShortcutDrop, ReadsTheAddressOfTheShortcutSection)
{
    QTemporaryDir dir;
    const QString fav = dir.path();
    QDir().mkpath(fav + QStringLiteral("/News"));
    const QString file = fav + QStringLiteral("/News/Daily.url");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[DEFAULT]\r\nBASEURL=http://wrong.example/\r\n[internetshortcut]\r\nurl=http://"
            "news.example/daily\r\n");
    f.close();
    const auto record = ShortcutDrop::fromFile(file, fav);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Location, QStringLiteral("http://news.example/daily"));
    EXPECT_EQ(record->Category, QStringLiteral("News"));
    EXPECT_EQ(record->Description, QStringLiteral("Daily.url"));

    const QString blank = fav + QStringLiteral("/Blank.url");
    QFile b(blank);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.write("[InternetShortcut]\nURL=   \n");
    b.close();
    EXPECT_FALSE(ShortcutDrop::fromFile(blank, fav).has_value());
    EXPECT_FALSE(ShortcutDrop::fromFile(fav + QStringLiteral("/missing.url"), fav).has_value());
}
