#include "framework/scripteduserinterface.h"
#include "platform/launcher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace pk;

namespace {

/// Records every attempt; "open" accepts only the program named in `accept`.
struct Recorder
{
    QStringList opens;  ///< "program|parameters"
    QStringList starts; ///< "program|arg1|arg2..."
    QString accept;
    bool startWorks = false;

    Launcher make(ScriptedUserInterface &ui)
    {
        return Launcher(
            ui,
            [this](const QString &file, const QString &parameters, const QString &) {
                opens << file + QLatin1Char('|') + parameters;
                return file == accept ? Launcher::Success : Launcher::FileNotFound;
            },
            [this](const QString &program, const QStringList &arguments, const QString &) {
                starts << (QStringList{program} + arguments).join(QLatin1Char('|'));
                return startWorks;
            });
    }
};

} // namespace

TEST(Launcher, TextTheDesktopOpensIsStartedOnce)
{
    ScriptedUserInterface ui;
    Recorder r;
    r.accept = QStringLiteral("https://example.org/a b");
    EXPECT_TRUE(r.make(ui).launch(QStringLiteral("https://example.org/a b")));
    EXPECT_EQ(r.opens, QStringList{QStringLiteral("https://example.org/a b|")});
    EXPECT_TRUE(r.starts.isEmpty());
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST(Launcher, ProgramPathWithSpacesIsFoundByWalkingBackFromTheEnd)
{
    ScriptedUserInterface ui;
    Recorder r;
    r.accept = QStringLiteral("/opt/Program Files/Tool/tool");
    EXPECT_TRUE(r.make(ui).launch(QStringLiteral("/opt/Program Files/Tool/tool -x")));
    const QStringList expected{
        QStringLiteral("/opt/Program Files/Tool/tool -x|"),
        QStringLiteral("/opt/Program|Files/Tool/tool -x"),
        QStringLiteral("/opt/Program Files/Tool/tool|-x"),
    };
    EXPECT_EQ(r.opens, expected);
    EXPECT_TRUE(r.starts.isEmpty());
}

TEST(Launcher, EverySpaceIsTriedBackwardsThenTheCommandLineStartsDirectly)
{
    ScriptedUserInterface ui;
    Recorder r;
    r.startWorks = true;
    EXPECT_TRUE(r.make(ui).launch(QStringLiteral("ab cd  ef g")));
    const QStringList expected{
        QStringLiteral("ab cd  ef g|"),
        QStringLiteral("ab|cd  ef g"),
        // from the second-to-last character down to the third
        QStringLiteral("ab cd  ef|g"),
        QStringLiteral("ab cd |ef g"),
        QStringLiteral("ab cd|ef g"),
        QStringLiteral("ab|cd  ef g"),
    };
    EXPECT_EQ(r.opens, expected);
    EXPECT_EQ(r.starts, QStringList{QStringLiteral("ab|cd|ef|g")});
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST(Launcher, QuotedProgramIsSplitAtItsClosingQuote)
{
    ScriptedUserInterface ui;
    Recorder r;
    r.startWorks = true;
    const QString text = QStringLiteral("\"/opt/my tool/run\"   -a \"b c\"");
    EXPECT_TRUE(r.make(ui).launch(text));
    ASSERT_GE(r.opens.size(), 2);
    EXPECT_EQ(r.opens[1], QStringLiteral("/opt/my tool/run|-a \"b c\""));
    // The command line keeps the quoted program whole and the quoted argument as one.
    EXPECT_EQ(r.starts, QStringList{QStringLiteral("/opt/my tool/run|-a|b c")});
}

TEST(Launcher, TextWithoutSpaceGoesStraightToTheCommandLine)
{
    ScriptedUserInterface ui;
    Recorder r;
    r.make(ui).launch(QStringLiteral("nosuchthing"));
    EXPECT_EQ(r.opens, QStringList{QStringLiteral("nosuchthing|")});
    EXPECT_EQ(r.starts, QStringList{QStringLiteral("nosuchthing")});
}

TEST(Launcher, FailureIsReportedWithTheLastResult)
{
    ScriptedUserInterface ui;
    Recorder r;
    EXPECT_FALSE(r.make(ui).launch(QStringLiteral("tool -x")));
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Error Code 2"));
    EXPECT_EQ(ui.interactions()[0].text, QStringLiteral("Could not start tool -x."));
}

TEST(Launcher, ShellCharactersReachTheProgramAsPlainArguments)
{
    // A real program, started by the default primitives: nothing may interpret ; | $( ) >.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString script = dir.filePath(QStringLiteral("record"));
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.out.tmp\"\nmv "
                "\"$0.out.tmp\" \"$0.out\"\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }
    ScriptedUserInterface ui;
    Launcher launcher(ui);
    const QString canary = dir.filePath(QStringLiteral("canary"));
    ASSERT_TRUE(launcher.launch(script + QStringLiteral(" a;touch ") + canary
                                + QStringLiteral(" | $(touch ") + canary + QStringLiteral(") >x")));
    QFile result(script + QStringLiteral(".out"));
    QDeadlineTimer deadline(10000);
    while (!result.exists() && !deadline.hasExpired())
        QThread::msleep(20);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    const QStringList args
        = QString::fromUtf8(result.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList expected{QStringLiteral("a;touch"),
                               canary,
                               QStringLiteral("|"),
                               QStringLiteral("$(touch"),
                               canary + QLatin1Char(')'),
                               QStringLiteral(">x")};
    EXPECT_EQ(args, expected);
    EXPECT_FALSE(QFile::exists(canary));
    EXPECT_TRUE(ui.interactions().isEmpty());
}
