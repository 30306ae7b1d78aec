// backup DIR and restore DIR: the backup utility's copies, on the chosen collection.

#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "shell/backupjob.h"

#include <QCommandLineParser>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// The backup folder named on the command line, absolute; blank (reported) when not one.
QString backupFolderOf(QCommandLineParser &parser, CommandContext &context, const char *command)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || positional.first().trimmed().isEmpty()) {
        context.usageError(QLatin1String(command) + u" takes one DIR"_s);
        return {};
    }
    return QFileInfo(positional.first()).absoluteFilePath();
}

} // namespace

void backupOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"DIR"_s,
                                 u"The folder the three files are copied into (made when "
                                 "missing; a backup already there is replaced)."_s);
}

int runBackup(QCommandLineParser &parser, CommandContext &context)
{
    const QString target = backupFolderOf(parser, context, "backup");
    if (target.isEmpty())
        return Usage;
    // The copy is a snapshot through SQLite's online backup: nothing here holds the files.
    QString error;
    if (!BackupJob::backup(context.folder(), target, error)) {
        context.complain(error);
        return Failure;
    }
    context.note(u"The collection in "_s + context.folder() + u" was backed up to "_s + target
                 + u'.');
    return Success;
}

void restoreOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"DIR"_s, u"The folder of the backup to restore."_s);
}

int runRestore(QCommandLineParser &parser, CommandContext &context)
{
    const QString source = backupFolderOf(parser, context, "restore");
    if (source.isEmpty())
        return Usage;
    // The collection is not opened: a restore is refused while any program has it open.
    QString error;
    QString kept;
    if (!BackupJob::restore(source, context.folder(), error, &kept)) {
        context.complain(error);
        return Failure;
    }
    if (!kept.isEmpty())
        context.print(context.out(), BackupJob::keptNote(kept) + u'\n');
    context.note(u"The collection in "_s + context.folder() + u" was restored from "_s + source
                 + u'.');
    return Success;
}

} // namespace pk::Cli
