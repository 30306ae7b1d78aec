#pragma once

#include <QCommandLineOption>
#include <QString>
#include <QStringList>

#include <span>

class QCommandLineParser;

namespace pk::Cli {

class CommandContext;

/**
 * @brief One command of `pathkeep-cli`: its name, its synopsis and summary for the help, the
 * options it adds to the parser and the function that runs it.
 */
struct Command
{
    const char *name;
    const char *arguments; ///< the synopsis after the name
    const char *summary;   ///< one line for the overview
    void (*addOptions)(QCommandLineParser &parser);
    int (*run)(QCommandLineParser &parser, CommandContext &context);
    /// What the help adds after the options (how questions are answered, ...); may be null.
    const char *notes = nullptr;
};

/// Every command, in the order the overview lists them.
std::span<const Command> commands();
/// The command called `name`; nullptr when there is none.
const Command *findCommand(const QString &name);

/// The value of `list` that equals `value` without regard to letter case; blank when none.
QString pick(const QStringList &list, const QString &value);
/// The export orders and types, as the export wizard offers them.
const QStringList &exportOrders();
const QStringList &exportTypes();

/// Options several commands share.
namespace Options {
QCommandLineOption query();
QCommandLineOption order();
/// --format: table (default), csv or json, as `list` writes locations.
QCommandLineOption locationFormat();
} // namespace Options

// The commands, one unit each (commands/<name>command.cpp).
void listOptions(QCommandLineParser &parser);
int runList(QCommandLineParser &parser, CommandContext &context);
void searchOptions(QCommandLineParser &parser);
int runSearch(QCommandLineParser &parser, CommandContext &context);
void addOptions(QCommandLineParser &parser);
int runAdd(QCommandLineParser &parser, CommandContext &context);
void setOptions(QCommandLineParser &parser);
int runSet(QCommandLineParser &parser, CommandContext &context);
void removeOptions(QCommandLineParser &parser);
int runRemove(QCommandLineParser &parser, CommandContext &context);
void openOptions(QCommandLineParser &parser);
int runOpen(QCommandLineParser &parser, CommandContext &context);
void categoryOptions(QCommandLineParser &parser);
int runCategory(QCommandLineParser &parser, CommandContext &context);
void duplicatesOptions(QCommandLineParser &parser);
int runDuplicates(QCommandLineParser &parser, CommandContext &context);
void checkOptions(QCommandLineParser &parser);
int runCheck(QCommandLineParser &parser, CommandContext &context);
void analyzeOptions(QCommandLineParser &parser);
int runAnalyze(QCommandLineParser &parser, CommandContext &context);
void downloadOptions(QCommandLineParser &parser);
int runDownload(QCommandLineParser &parser, CommandContext &context);
void importOptions(QCommandLineParser &parser);
int runImport(QCommandLineParser &parser, CommandContext &context);
void exportOptions(QCommandLineParser &parser);
int runExport(QCommandLineParser &parser, CommandContext &context);
void backupOptions(QCommandLineParser &parser);
int runBackup(QCommandLineParser &parser, CommandContext &context);
void restoreOptions(QCommandLineParser &parser);
int runRestore(QCommandLineParser &parser, CommandContext &context);

} // namespace pk::Cli
