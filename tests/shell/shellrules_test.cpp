#include "platform/inifile.h"
#include "shell/procedureregistry.h"
#include "shell/procedurerequests.h"
#include "shell/screenfont.h"
#include "shell/statustexts.h"
#include "shell/templateinstaller.h"
#include "shell/windowposition.h"
#include "shell/windowthreads.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pk;

TEST(StatusTextsTest, ShortFoldersAreShownWhole)
{
    const QString thirty = QStringLiteral("/home/pats/bookmarks/work/2026");
    ASSERT_EQ(thirty.size(), 30);
    EXPECT_EQ(StatusTexts::shortenFolder(thirty), thirty);
}

TEST(StatusTextsTest, LongFoldersKeepTheirStartAndTheTailFromASeparator)
{
    const QString folder = QStringLiteral("/home/someone/collections/work/bookmarks"); // 40
    EXPECT_EQ(StatusTexts::shortenFolder(folder),
              QStringLiteral("/ho.../collections/work/bookmarks"));

    const QString deep = QStringLiteral(
        "/mnt/storage/users/alexandra/pathkeep/collections/2026/december");
    const QString shown = StatusTexts::shortenFolder(deep);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/mn...")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/december")));
    EXPECT_LE(shown.size(), 3 + 3 + 31);
    EXPECT_EQ(shown.at(6), QLatin1Char('/'));

    // No separator in the tail: the last 31 characters are shown.
    const QString flat = QString(40, QLatin1Char('a'));
    EXPECT_EQ(StatusTexts::shortenFolder(flat),
              QStringLiteral("aaa...") + QString(31, QLatin1Char('a')));
}

TEST(StatusTextsTest, DateShowsTheDayNameOnce)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(StatusTexts::dateText(QDate(2026, 12, 7), us),
              QStringLiteral("Monday, December 7, 2026"));
    const QString german = StatusTexts::dateText(QDate(2026, 12, 6),
                                                 QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(german.startsWith(QStringLiteral("Sonntag, "))) << german.toStdString();
    EXPECT_EQ(german.count(QStringLiteral("Sonntag")), 1);
    EXPECT_FALSE(StatusTexts::timeText(QTime(17, 5), us).isEmpty());
}

TEST(WindowThreadsTest, NumbersStartAtTwoReuseTheLowestAndStopAtSixtyFour)
{
    WindowThreads threads;
    EXPECT_EQ(threads.start(QStringLiteral("A"), {}), 2);
    EXPECT_EQ(threads.start(QStringLiteral("B"), {}), 3);
    EXPECT_EQ(threads.start(QStringLiteral("C"), {}), 4);
    threads.finish(3);
    EXPECT_EQ(threads.start(QStringLiteral("D"), {}), 3);
    EXPECT_EQ(threads.find(QStringLiteral("C")), 4);
    EXPECT_EQ(threads.procedure(3), QStringLiteral("D"));
    for (int i = 0; i < 60; ++i)
        EXPECT_GT(threads.start(QStringLiteral("more"), {}), 0);
    EXPECT_EQ(threads.count(), 63);
    EXPECT_EQ(threads.start(QStringLiteral("one too many"), {}), 0);
}

TEST(WindowThreadsTest, CloseAllAsksEveryChildWindowEvenWhenItFinishesAtOnce)
{
    WindowThreads threads;
    QStringList closed;
    int a = 0;
    int b = 0;
    a = threads.start(QStringLiteral("A"), [&] {
        closed << QStringLiteral("A");
        threads.finish(a);
    });
    b = threads.start(QStringLiteral("B"), [&] {
        closed << QStringLiteral("B");
        threads.finish(b);
    });
    threads.closeAll();
    EXPECT_EQ(closed, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(threads.count(), 0);
}

TEST(ProcedureRegistryTest, FactoriesAreFoundByName)
{
    auto &registry = ProcedureRegistry::instance();
    EXPECT_FALSE(registry.contains(QStringLiteral("TestOnlyProcedure")));
    registry.add(QStringLiteral("TestOnlyProcedure"), [](const ProcedureCall &) { return nullptr; });
    EXPECT_TRUE(registry.contains(QStringLiteral("TestOnlyProcedure")));
    EXPECT_TRUE(static_cast<bool>(registry.factory(QStringLiteral("TestOnlyProcedure"))));
    registry.remove(QStringLiteral("TestOnlyProcedure"));
    EXPECT_FALSE(static_cast<bool>(registry.factory(QStringLiteral("TestOnlyProcedure"))));
}

TEST(ProcedureRegistryTest, TypedProceduresTakeTheirOwnRequestOrTheirDefault)
{
    auto &registry = ProcedureRegistry::instance();
    const QString name = QLatin1String(RetrieveAndTestRequest::procedure);
    registry.add<RetrieveAndTestRequest>(
        [](const ProcedureCall &, const RetrieveAndTestRequest &) -> QWidget * { return nullptr; });
    EXPECT_TRUE(registry.accepts(name, std::any()));
    EXPECT_TRUE(registry.accepts(name, std::any(RetrieveAndTestRequest{})));
    EXPECT_FALSE(registry.accepts(name, std::any(DownloadUrlsRequest{})));
    EXPECT_FALSE(registry.accepts(QStringLiteral("NoSuchProcedure"), std::any()));

    // A procedure without a request of its own takes none.
    registry.add(QStringLiteral("TestOnlyProcedure"), [](const ProcedureCall &) { return nullptr; });
    EXPECT_TRUE(registry.accepts(QStringLiteral("TestOnlyProcedure"), std::any()));
    EXPECT_FALSE(
        registry.accepts(QStringLiteral("TestOnlyProcedure"), std::any(RetrieveAndTestRequest{})));
    registry.remove(QStringLiteral("TestOnlyProcedure"));
    registry.remove(name);
}

TEST(PositionIniTest, FontAndWindowPositionsRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("POSITION.INI"));
    {
        IniFile ini(path);
        EXPECT_FALSE(ScreenFont::isStored(ini));
        EXPECT_EQ(ScreenFont::load(ini), ScreenFont()); // "MS Sans Serif", 8, -1, -1, 0
        ScreenFont font{QStringLiteral("DejaVu Sans"), 11, 0x112233, 700 | ScreenFont::Italic, 0};
        font.store(ini);
        WindowPosition{QRect(10, 20, 300, 200), true}.store(ini, QStringLiteral("BrowsePATHKEEP"));
        ASSERT_TRUE(ini.save());
    }
    IniFile ini(path);
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.value(QStringLiteral("AnyFont"), QStringLiteral("FontName")),
              QStringLiteral("DejaVu Sans"));
    const ScreenFont font = ScreenFont::load(ini);
    EXPECT_EQ(font.size, 11);
    EXPECT_EQ(font.color, 0x112233);
    EXPECT_EQ(font.style, 700 | ScreenFont::Italic);
    const auto position = WindowPosition::load(ini, QStringLiteral("browsepathkeep"));
    ASSERT_TRUE(position.has_value());
    EXPECT_EQ(position->geometry, QRect(10, 20, 300, 200));
    EXPECT_TRUE(position->maximized);
    EXPECT_FALSE(WindowPosition::load(ini, QStringLiteral("Other")).has_value());
}

TEST(TemplateInstallerTest, OnlyAFolderWithoutTemplatesGetsTheShippedOnes)
{
    QTemporaryDir dir;
    const QString shipped = dir.filePath(QStringLiteral("templates"));
    const QString empty = dir.filePath(QStringLiteral("empty"));
    const QString own = dir.filePath(QStringLiteral("own"));
    for (const QString &f : {shipped, empty, own})
        QDir().mkpath(f);
    for (const char *name : {"Default_Simple.htm", "Default_Table_cat.htm", "readme.txt"}) {
        QFile f(shipped + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html></html>");
    }
    {
        QFile f(own + QStringLiteral("/MINE.HTM"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(TemplateInstaller::installDefaults(empty, shipped), 2);
    EXPECT_TRUE(QFile::exists(empty + QStringLiteral("/Default_Table_cat.htm")));
    EXPECT_FALSE(QFile::exists(empty + QStringLiteral("/readme.txt")));
    EXPECT_EQ(TemplateInstaller::installDefaults(empty, shipped), 0);
    EXPECT_EQ(TemplateInstaller::installDefaults(own, shipped), 0);
}
