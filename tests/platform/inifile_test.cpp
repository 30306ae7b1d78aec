#include "platform/appfolders.h"
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pk::IniFile;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("PATHKEEP.INI")); }
};

} // namespace

TEST_F(IniFileTest, SectionsAndKeysMatchWithoutRegardToCase)
{
    writeAll(path(), "[Export]\r\nExport:Type = Table\r\n[AnyFont]\r\nFontName=Sans\r\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.value(QStringLiteral("EXPORT"), QStringLiteral("export:type")),
              QStringLiteral("Table"));
    EXPECT_EQ(ini.value(QStringLiteral("anyfont"), QStringLiteral("FONTNAME")),
              QStringLiteral("Sans"));
    EXPECT_TRUE(ini.contains(QStringLiteral("export"), QStringLiteral("EXPORT:TYPE")));

    // Writing through another spelling changes the same entry instead of adding one.
    ini.setValue(QStringLiteral("EXPORT"), QStringLiteral("EXPORT:TYPE"), QStringLiteral("Frame"));
    EXPECT_EQ(ini.keys(QStringLiteral("Export")).size(), 1);
    EXPECT_EQ(ini.value(QStringLiteral("Export"), QStringLiteral("Export:Type")),
              QStringLiteral("Frame"));
}

TEST_F(IniFileTest, KeysWithColonsAreWrittenAsTheyStandAndSurviveAReload)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.load());
    ini.setValue(QStringLiteral("Export"), QStringLiteral("Export::Rating"), 1);
    ini.setValue(QStringLiteral("Export"),
                 QStringLiteral("Export:PageTitle"),
                 QStringLiteral("Mes liens — été"));
    ini.setValue(QStringLiteral("Wizard:Import"), QStringLiteral("Width"), 400);
    ASSERT_TRUE(ini.save());

    const QByteArray text = readAll(path());
    EXPECT_TRUE(text.contains("[Wizard:Import]"));
    EXPECT_TRUE(text.contains("Export::Rating=1"));
    EXPECT_TRUE(text.contains("Export:PageTitle=Mes liens"));

    IniFile again(path());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.intValue(QStringLiteral("export"), QStringLiteral("export::rating")), 1);
    EXPECT_EQ(again.value(QStringLiteral("Export"), QStringLiteral("Export:PageTitle")),
              QStringLiteral("Mes liens — été"));
    EXPECT_EQ(again.intValue(QStringLiteral("WIZARD:IMPORT"), QStringLiteral("width")), 400);
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndGivesDefaults)
{
    IniFile ini(dir.filePath(QStringLiteral("absent/POSITION.INI")));
    ASSERT_TRUE(ini.load());
    EXPECT_TRUE(ini.sections().isEmpty());
    EXPECT_EQ(ini.value(QStringLiteral("Main"), QStringLiteral("X"), QStringLiteral("7")),
              QStringLiteral("7"));
    EXPECT_EQ(ini.intValue(QStringLiteral("Main"), QStringLiteral("X"), 42), 42);
    // Saving creates the missing folder.
    ini.setValue(QStringLiteral("Main"), QStringLiteral("X"), 3);
    EXPECT_TRUE(ini.save());
    EXPECT_EQ(IniFile::read(ini.path(), QStringLiteral("main"), QStringLiteral("x")),
              QStringLiteral("3"));
}

TEST_F(IniFileTest, RemovingKeysAndSections)
{
    IniFile ini(path());
    ini.setValue(QStringLiteral("A"), QStringLiteral("k1"), QStringLiteral("1"));
    ini.setValue(QStringLiteral("A"), QStringLiteral("k2"), QStringLiteral("2"));
    ini.setValue(QStringLiteral("B"), QStringLiteral("k"), QStringLiteral("3"));
    ini.remove(QStringLiteral("a"), QStringLiteral("K1"));
    EXPECT_EQ(ini.keys(QStringLiteral("A")), QStringList{QStringLiteral("k2")});
    ini.removeSection(QStringLiteral("b"));
    EXPECT_EQ(ini.sections(), QStringList{QStringLiteral("A")});
    EXPECT_FALSE(ini.intValue(QStringLiteral("A"), QStringLiteral("k2"), 0) == 0);
}

TEST(AppFoldersTest, ConfigurationFolderFollowsXdgConfigHome)
{
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/pk-config-test");
    EXPECT_EQ(pk::AppFolders::configFolder(), QStringLiteral("/tmp/pk-config-test/pathkeep"));
    EXPECT_EQ(pk::AppFolders::positionIni(),
              QStringLiteral("/tmp/pk-config-test/pathkeep/POSITION.INI"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(pk::AppFolders::configFolder(),
              QDir::homePath() + QStringLiteral("/.config/pathkeep"));
    qputenv("XDG_CONFIG_HOME", old);
}

TEST(AppFoldersTest, DataFolderPrefersInstalledLayoutThenSourceTree)
{
    QTemporaryDir dir;
    const QString prefix = dir.path();
    QDir().mkpath(prefix + QStringLiteral("/bin"));
    QDir().mkpath(prefix + QStringLiteral("/src/data"));
    const QString source = prefix + QStringLiteral("/src/data");
    // A build folder: nothing beside the program, the source tree's data is used.
    EXPECT_EQ(pk::AppFolders::resolveDataFolder(prefix + QStringLiteral("/bin"),
                                                QStringLiteral("/nowhere"),
                                                source),
              source);
    // Installed: share/pathkeep beside bin wins.
    QDir().mkpath(prefix + QStringLiteral("/share/pathkeep"));
    EXPECT_EQ(pk::AppFolders::resolveDataFolder(prefix + QStringLiteral("/bin"),
                                                QStringLiteral("/nowhere"),
                                                source),
              prefix + QStringLiteral("/share/pathkeep"));
}
