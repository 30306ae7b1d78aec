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

TEST_F(IniFileTest, CopiesHeldByTwoWindowsWriteOnlyTheirOwnChanges)
{
    writeAll(path(), "[Export]\nExport:Type=Table\n[Wizard:Report]\nOrder=1\nDescription=Old\n");
    // The program's copy, read at start and used by the export wizard.
    IniFile program(path());
    ASSERT_TRUE(program.load());
    // The report wizard reads the file when it opens, and writes it when it closes.
    IniFile report(path());
    ASSERT_TRUE(report.load());
    report.setValue(QStringLiteral("Wizard:Report"), QStringLiteral("Order"), 3);
    report.setValue(QStringLiteral("Wizard:Report"),
                    QStringLiteral("Columns"),
                    QStringLiteral("URL:Location"));
    report.remove(QStringLiteral("Wizard:Report"), QStringLiteral("Description"));
    ASSERT_TRUE(report.save());

    // The export wizard, closed (even cancelled) afterwards, saves its settings: those it did
    // not change, set again as it read them, leave the file alone.
    program.setValue(QStringLiteral("Export"),
                     QStringLiteral("Export:Type"),
                     QStringLiteral("Table"));
    program.setValue(QStringLiteral("Export"),
                     QStringLiteral("Export:File"),
                     QStringLiteral("out.htm"));
    ASSERT_TRUE(program.save());

    IniFile onDisk(path());
    ASSERT_TRUE(onDisk.load());
    EXPECT_EQ(onDisk.value(QStringLiteral("Wizard:Report"), QStringLiteral("Order")),
              QStringLiteral("3"));
    EXPECT_EQ(onDisk.value(QStringLiteral("Wizard:Report"), QStringLiteral("Columns")),
              QStringLiteral("URL:Location"));
    EXPECT_FALSE(onDisk.contains(QStringLiteral("Wizard:Report"), QStringLiteral("Description")));
    EXPECT_EQ(onDisk.value(QStringLiteral("Export"), QStringLiteral("Export:File")),
              QStringLiteral("out.htm"));
    // The saving copy now holds the other window's keys as well.
    EXPECT_EQ(program.value(QStringLiteral("Wizard:Report"), QStringLiteral("Order")),
              QStringLiteral("3"));

    // The other way round: the report wizard's stale copy does not undo the export settings.
    report.setValue(QStringLiteral("Wizard:Report"), QStringLiteral("Order"), 4);
    program.setValue(QStringLiteral("Export"), QStringLiteral("Export:Type"), QStringLiteral("CSV"));
    program.removeSection(QStringLiteral("Wizard:Report"));
    ASSERT_TRUE(program.save());
    IniFile stale(path());
    ASSERT_TRUE(stale.load());
    EXPECT_FALSE(stale.contains(QStringLiteral("Wizard:Report"), QStringLiteral("Order")));
    ASSERT_TRUE(report.save());
    ASSERT_TRUE(onDisk.load());
    EXPECT_EQ(onDisk.value(QStringLiteral("Export"), QStringLiteral("Export:Type")),
              QStringLiteral("CSV"));
    EXPECT_EQ(onDisk.value(QStringLiteral("Wizard:Report"), QStringLiteral("Order")),
              QStringLiteral("4"));
    EXPECT_EQ(onDisk.value(QStringLiteral("Export"), QStringLiteral("Export:File")),
              QStringLiteral("out.htm"));
}

TEST_F(IniFileTest, ASaveMergesWithWhatAnotherProgramWroteMeanwhile)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.load());
    ini.setValue(QStringLiteral("Mine"), QStringLiteral("k"), QStringLiteral("1"));
    // Another program writes the file by hand in between.
    writeAll(path(), "; kept comment\n[Theirs]\nk=2\n");
    ASSERT_TRUE(ini.save());
    const QByteArray text = readAll(path());
    EXPECT_TRUE(text.contains("; kept comment")) << text.constData();
    EXPECT_TRUE(text.contains("[Theirs]")) << text.constData();
    EXPECT_TRUE(text.contains("[Mine]")) << text.constData();
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".lock")));
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
