#include "platform/environment.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using pk::Registry;

namespace {

class RegistryTest : public ::testing::Test
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

TEST(EnvironmentTest, ExpandsOnlyTheFirstVariable)
{
    qputenv("PK_TEST_A", "/alpha");
    qputenv("PK_TEST_B", "/beta");
    EXPECT_EQ(pk::expandFirstVariable(QStringLiteral("%PK_TEST_A%/x/%PK_TEST_B%")),
              QStringLiteral("/alpha/x/%PK_TEST_B%"));
    EXPECT_EQ(pk::expandFirstVariable(QStringLiteral("no variables")),
              QStringLiteral("no variables"));
    EXPECT_EQ(pk::expandFirstVariable(QStringLiteral("50% off")), QStringLiteral("50% off"));
    // An unset variable leaves the text alone rather than producing a wrong path.
    EXPECT_EQ(pk::expandFirstVariable(QStringLiteral("%PK_TEST_UNSET_123%/x")),
              QStringLiteral("%PK_TEST_UNSET_123%/x"));
}

TEST(EnvironmentTest, UserProfileMeansTheHomeFolderWhenUnset)
{
    const QByteArray old = qgetenv("USERPROFILE");
    qunsetenv("USERPROFILE");
    EXPECT_EQ(pk::expandFirstVariable(QStringLiteral("%USERPROFILE%/Favorites")),
              QDir::homePath() + QStringLiteral("/Favorites"));
    if (!old.isEmpty())
        qputenv("USERPROFILE", old);
}

TEST_F(RegistryTest, ReadsValuesBySectionPathWithOrWithoutHive)
{
    write("[HKEY_CURRENT_USER\\Software\\Test]\nName=\"quoted value\"\n"
          "[Software\\Other]\nplain=1\n");
    Registry registry(path());
    EXPECT_EQ(registry.value(QStringLiteral("Software\\Test"), QStringLiteral("name")),
              QStringLiteral("quoted value"));
    EXPECT_EQ(registry.value(QStringLiteral("HKCU\\software\\other"), QStringLiteral("Plain")),
              QStringLiteral("1"));
    EXPECT_EQ(registry.value(QStringLiteral("Software\\Missing"),
                             QStringLiteral("x"),
                             QStringLiteral("def")),
              QStringLiteral("def"));
}
