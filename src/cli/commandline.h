#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

class QCommandLineParser;

namespace pk {

namespace Cli {
struct Command;
class CommandContext;
} // namespace Cli

/**
 * @brief `pathkeep-cli`: the commands for scripts and timer jobs over one collection.
 *
 * Every command works through the same classes as the windows (record managers, the filter
 * language, the link test, the imports and exports); questions a window would ask take their
 * default answer or the command's option. Exit status: 0 done, 1 the work failed (also a
 * failed link), 2 the command line was wrong. This class reads the command's name and the
 * options every command takes, and hands over to the command (src/cli/commands).
 */
class CommandLine final
{
public:
    enum Exit { Success = 0, Failure = 1, Usage = 2 };

    CommandLine(std::FILE *out = stdout, std::FILE *err = stderr);
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    /// Runs the command in `arguments` (the program's name first). Needs a QCoreApplication.
    int run(const QStringList &arguments);

    /// The overview printed by `--help` without a command; names the collection `arguments`
    /// choose.
    static QString overview(const QStringList &arguments = {});

private:
    int runCommand(const Cli::Command &command,
                   const QStringList &arguments,
                   Cli::CommandContext &context);
    QString commandHelp(const Cli::Command &command, QCommandLineParser &parser) const;
    bool readCommonOptions(QCommandLineParser &parser, Cli::CommandContext &context);

    std::FILE *m_out;
    std::FILE *m_err;
};

} // namespace pk
