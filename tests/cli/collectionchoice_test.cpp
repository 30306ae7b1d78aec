// Which collection a program works on when it is started without a window to choose one.

#include "shell/collectionpaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pk;
using namespace Qt::StringLiterals;

namespace {

/// Sets an environment variable for one test and puts the old value back.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(CollectionChoice, OptionThenVariableThenACollectionHereThenTheDefault)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString home = dir.filePath(u"home"_s);
    const QString here = dir.filePath(u"here"_s);
    const QString lower = dir.filePath(u"lower"_s);
    for (const QString &folder : {home, here, lower})
        ASSERT_TRUE(QDir().mkpath(folder));
    QFile(here + u"/URLDATA.TPS"_s).open(QIODevice::WriteOnly);
    QFile(lower + u"/urldata.tps"_s).open(QIODevice::WriteOnly);
    const ScopedVariable homeVariable("HOME", home.toUtf8());
    using S = CollectionPaths::Source;

    struct Case
    {
        QString option;
        QByteArray variable; ///< null: not set
        QString current;
        QString folder;
        S source;
    };
    const Case cases[] = {
        {dir.filePath(u"given/../given"_s), "/elsewhere", here, dir.filePath(u"given"_s), S::Option},
        {{}, "/elsewhere", here, u"/elsewhere"_s, S::Environment},
        {{}, "", here, here, S::CurrentFolder}, // set but empty counts as not set
        {{}, QByteArray(), here, here, S::CurrentFolder},
        {{}, QByteArray(), lower, lower, S::CurrentFolder}, // the file in any letter case
        {{}, QByteArray(), home, home + u"/Pathkeep"_s, S::Default},
    };
    for (const Case &c : cases) {
        const ScopedVariable variable(CollectionPaths::CollectionVariable, c.variable);
        const CollectionPaths::Choice choice = CollectionPaths::choose(c.option, c.current);
        EXPECT_EQ(choice.folder, c.folder) << c.current.toStdString();
        EXPECT_EQ(choice.source, c.source) << c.current.toStdString();
    }
    EXPECT_EQ(CollectionPaths::defaultFolder(), home + u"/Pathkeep"_s);
    EXPECT_EQ(CollectionPaths::sourceName(S::Environment), u"PATHKEEP_COLLECTION"_s);
}
