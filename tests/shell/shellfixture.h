#pragma once

#include "framework/scripteduserinterface.h"
#include "shell/shell.h"
#include "support/tempcollection.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace pk::test {

/**
 * @brief A Shell on a temporary collection folder (the current directory while it lives),
 * with scripted dialogs and a halt handler that records instead of ending the test.
 */
class ShellFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        oldDir = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(temp.folder()));
        shell = std::make_unique<Shell>(ui);
        shell->setHaltHandler([this](const QString &end) { halts << end; });
    }

    void TearDown() override
    {
        shell.reset();
        QDir::setCurrent(oldDir);
    }

    /// Writes a file with `bytes` at an absolute path.
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    TempCollection temp;
    ScriptedUserInterface ui;
    std::unique_ptr<Shell> shell;
    QStringList halts;
    QString oldDir;
};

} // namespace pk::test

/// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
