#include "shellfixture.h"

#include "platform/inifile.h"
#include "shell/passwordcheck.h"
#include "store/collection.h"
#include "store/configurationmanager.h"

#include <QDir>

using namespace pk;

namespace {

class SettingsTest : public test::ShellFixture
{
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        ASSERT_TRUE(shell->prepare());
    }

    QString row(const char *name)
    {
        // A missing row reads as an empty value.
        ConfigurationRecord r;
        if (!shell->collection().configuration().get(QLatin1String(name), r))
            return {};
        return r.DataValue;
    }
};

} // namespace

TEST_F(SettingsTest, FreshCollectionGetsTheDefaultsAsRows)
{
    const AppSettings &v = shell->settings().values();
    EXPECT_EQ(v.doubleClickAction, QStringLiteral("Start URL"));
    EXPECT_EQ(v.startupBrowse, QStringLiteral("Location"));
    EXPECT_FALSE(v.noTray);
    EXPECT_FALSE(v.secure);
    EXPECT_TRUE(v.password.isEmpty());
    EXPECT_EQ(v.favoritesPath, QDir::homePath() + QStringLiteral("/Favorites"));
    // Non-blank defaults were added as rows on the first read; blank ones were not.
    EXPECT_EQ(row("DoubleClickAction"), QStringLiteral("Start URL"));
    EXPECT_EQ(row("NoTray"), QStringLiteral("0"));
    ConfigurationRecord password;
    EXPECT_EQ(shell->collection().configuration().get(QStringLiteral("Password"), password).error,
              StoreError::RecordNotFound);
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(SettingsTest, MissingRowFallsBackToEarlierVersionIniAndIsAdded)
{
    IniFile &ini = shell->pathkeepIni();
    ini.setValue(QStringLiteral("settings"),
                 QStringLiteral("CustomSetting"),
                 QStringLiteral("from ini"));
    SettingsManager &s = shell->settings();
    EXPECT_EQ(s.readSetting(QStringLiteral("CustomSetting"), QStringLiteral("default")),
              QStringLiteral("from ini"));
    EXPECT_EQ(row("CustomSetting"), QStringLiteral("from ini"));

    // No INI value: the default is returned and stored; without default nothing is stored.
    EXPECT_EQ(s.readSetting(QStringLiteral("Other"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    EXPECT_EQ(row("Other"), QStringLiteral("dflt"));
    EXPECT_EQ(s.readSetting(QStringLiteral("Third"), QStringLiteral("dflt"), true), QString());
    ConfigurationRecord r;
    EXPECT_EQ(shell->collection().configuration().get(QStringLiteral("Third"), r).error,
              StoreError::RecordNotFound);
}

TEST_F(SettingsTest, WrittenValuesWinOverDefaultsAndIni)
{
    SettingsManager &s = shell->settings();
    shell->pathkeepIni().setValue(QStringLiteral("Settings"),
                                  QStringLiteral("StartupBrowse"),
                                  QStringLiteral("Location"));
    ASSERT_TRUE(s.writeSetting(QStringLiteral("StartupBrowse"), QStringLiteral("Category   ")));
    EXPECT_EQ(s.readSetting(QStringLiteral("STARTUPBROWSE"), QStringLiteral("Location")),
              QStringLiteral("Category"));
    s.readAll();
    EXPECT_EQ(s.values().startupBrowse, QStringLiteral("Category"));
    EXPECT_EQ(shell->startupProcedure(), QStringLiteral("BrowseCategoriesAndURL"));
}

TEST_F(SettingsTest, OptionsAreWrittenTogetherAndExpanded)
{
    qputenv("PK_TEST_FAV", "/srv/favs");
    AppSettings v = shell->settings().values();
    v.doubleClickAction = QStringLiteral("Edit Record");
    v.noTray = true;
    v.secure = true;
    v.password = QStringLiteral("Open Sesame");
    v.startupBrowse = QStringLiteral("Category");
    v.favoritesPath = QStringLiteral("%PK_TEST_FAV%/IE");
    ASSERT_TRUE(shell->settings().writeOptions(v));
    EXPECT_EQ(row("DoubleClickAction"), QStringLiteral("Edit Record"));
    EXPECT_EQ(row("NoTray"), QStringLiteral("1"));
    EXPECT_EQ(row("Secure"), QStringLiteral("1"));
    EXPECT_EQ(row("Password"), QStringLiteral("Open Sesame"));
    EXPECT_EQ(row("FavoritesPath"), QStringLiteral("%PK_TEST_FAV%/IE"));

    // Reading back: the favourites folder has its variable expanded.
    shell->settings().values() = AppSettings();
    shell->settings().readAll();
    EXPECT_EQ(shell->settings().values().favoritesPath, QStringLiteral("/srv/favs/IE"));
    EXPECT_EQ(shell->settings().values().password, QStringLiteral("Open Sesame"));
    EXPECT_TRUE(shell->settings().values().noTray);
}

TEST_F(SettingsTest, StorageErrorsAreShownAndGiveBlank)
{
    SettingsManager detached(ui, shell->pathkeepIni(), shell->registry());
    EXPECT_FALSE(detached.writeSetting(QStringLiteral("Password"), QStringLiteral("x")));
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.last()->title, QStringLiteral("Error!"));
    EXPECT_TRUE(ui.last()->text.startsWith(
        QStringLiteral("Error writing configuration information.  Code Password - ")));

    EXPECT_EQ(detached.readSetting(QStringLiteral("Theme"), QStringLiteral("Fusion")), QString());
    EXPECT_EQ(ui.last()->title, QStringLiteral("Error!"));
    EXPECT_TRUE(ui.last()->text.startsWith(
        QStringLiteral("Error retrieving configuration information code Theme - ")));
}

struct PasswordCase
{
    const char *typed;
    const char *stored;
    bool accepted;
};

class PasswordMatchTest : public ::testing::TestWithParam<PasswordCase>
{};

TEST_P(PasswordMatchTest, ComparesTrimmedWithoutRegardToCase)
{
    const PasswordCase c = GetParam();
    EXPECT_EQ(PasswordCheck::matches(QString::fromUtf8(c.typed), QString::fromUtf8(c.stored)),
              c.accepted)
        << c.typed << " vs " << c.stored;
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         PasswordMatchTest,
                         ::testing::Values(PasswordCase{"secret", "secret", true},
                                           PasswordCase{"SeCrEt", "secret", true},
                                           PasswordCase{"secret   ", "SECRET", true},
                                           PasswordCase{"Äpfel", "äpfel", true},
                                           PasswordCase{"secre", "secret", false},
                                           PasswordCase{" secret", "secret", false},
                                           PasswordCase{"**Cancelled**", "**Cancelled**", false},
                                           PasswordCase{"", "secret", false}));

TEST(PasswordConfirmTest, PromptsOnlyWhenSwitchOnAndPasswordStored)
{
    ScriptedUserInterface ui;
    AppSettings s;
    s.secure = true;
    s.password = QStringLiteral("   ");
    EXPECT_TRUE(PasswordCheck::confirm(ui, s));
    s.secure = false;
    s.password = QStringLiteral("pw");
    EXPECT_TRUE(PasswordCheck::confirm(ui, s));
    EXPECT_TRUE(ui.interactions().isEmpty());

    s.secure = true;
    ui.push(QStringLiteral("PW"));
    EXPECT_TRUE(PasswordCheck::confirm(ui, s));
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.last()->title, QStringLiteral("Security Check"));
    EXPECT_EQ(ui.last()->text, QStringLiteral("Confirm Password:"));

    ui.push(QStringLiteral("wrong"));
    EXPECT_FALSE(PasswordCheck::confirm(ui, s));
    ui.pushCancel();
    EXPECT_FALSE(PasswordCheck::confirm(ui, s));
}
