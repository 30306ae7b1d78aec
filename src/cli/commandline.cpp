#include "cli/commandline.h"

#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "cli/progressbar.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include "pathkeepversion.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// Options of every command that take a value: what follows them is no command.
bool takesValue(const QString &argument)
{
    return argument == u"--collection"_s || argument == u"-C"_s || argument == u"--wait"_s;
}

/// The command: the first argument that is neither an option nor an option's value.
QString commandOf(const QStringList &arguments, qsizetype &at)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (takesValue(a)) {
            ++i;
            continue;
        }
        if (a == u"--"_s)
            break;
        if (!a.startsWith(u'-')) {
            at = i;
            return a;
        }
    }
    at = -1;
    return {};
}

/// The value of --collection (or -C) in `arguments`, for the overview; blank when not given.
QString collectionOption(const QStringList &arguments)
{
    QString value;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if ((a == u"--collection"_s || a == u"-C"_s) && i + 1 < arguments.size())
            value = arguments.at(++i);
        else if (a.startsWith(u"--collection="_s))
            value = a.mid(13);
    }
    return value;
}

QString collectionLine(const CollectionPaths::Choice &choice)
{
    return u"Collection: "_s + choice.folder + u" ("_s + CollectionPaths::sourceName(choice.source)
           + u")\n"_s;
}

} // namespace

CommandLine::CommandLine(std::FILE *out, std::FILE *err)
    : m_out(out)
    , m_err(err)
{}

QString CommandLine::overview(const QStringList &arguments)
{
    QString text = u"Usage: pathkeep-cli [--collection DIR] [--quiet] COMMAND [options]\n\n"
                   "Works on the collection in DIR, else in the folder PATHKEEP_COLLECTION names, "
                   "else in the current\nfolder when it holds one (URLDATA.TPS), else in "
                   "~/Pathkeep (made by the first command that adds).\n"_s;
    text += collectionLine(
        CollectionPaths::choose(collectionOption(arguments), QDir::currentPath()));
    text += u"\nCommands:\n"_s;
    for (const Cli::Command &c : Cli::commands())
        text += u"  "_s + QString::fromLatin1(c.name).leftJustified(12) + QLatin1String(c.summary)
                + u'\n';
    text += u"\n'pathkeep-cli COMMAND --help' (or 'pathkeep-cli help COMMAND') describes a "
            u"command.\n"
            "Exit status: 0 done, 1 the work failed, 2 wrong command line.\n"_s;
    return text;
}

int CommandLine::run(const QStringList &arguments)
{
    Cli::CommandContext context(m_out, m_err);
    qsizetype at = -1;
    const QString name = commandOf(arguments, at);
    if (name.isEmpty()) {
        if (arguments.contains(u"--version"_s)) {
            context.print(m_out, u"pathkeep-cli "_s + QLatin1String(PK_VERSION) + u'\n');
            return Success;
        }
        if (arguments.contains(u"--help"_s) || arguments.contains(u"-h"_s)) {
            context.print(m_out, overview(arguments));
            return Success;
        }
        return context.usageError(u"no command given"_s);
    }
    QStringList rest = arguments;
    rest.removeAt(at);
    if (name == u"help"_s) {
        // "help COMMAND" is "COMMAND --help"; "help" alone is the overview.
        qsizetype next = -1;
        const QString topic = commandOf(rest, next);
        if (topic.isEmpty()) {
            context.print(m_out, overview(rest));
            return Success;
        }
        const Cli::Command *command = Cli::findCommand(topic);
        if (!command)
            return context.usageError(u"unknown command '"_s + topic + u"'"_s);
        rest.removeAt(next);
        return runCommand(*command, rest << u"--help"_s, context);
    }
    const Cli::Command *command = Cli::findCommand(name);
    if (!command)
        return context.usageError(u"unknown command '"_s + name + u"'"_s);
    return runCommand(*command, rest, context);
}

int CommandLine::runCommand(const Cli::Command &command,
                            const QStringList &arguments,
                            Cli::CommandContext &context)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(command.summary));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{u"C"_s, u"collection"_s},
                      u"The collection folder (default: PATHKEEP_COLLECTION, else the current "
                      "folder when it holds a collection, else ~/Pathkeep)."_s,
                      u"DIR"_s});
    parser.addOption({{u"q"_s, u"quiet"_s}, u"Only warnings and errors on standard error."_s});
    parser.addOption({u"create"_s,
                      u"Make an empty collection in the folder when it has none (add, "
                      "import, category add)."_s});
    parser.addOption({u"wait"_s,
                      u"Seconds to wait for a collection another program is writing to "
                      "(default 10)."_s,
                      u"SECONDS"_s,
                      u"10"_s});
    parser.addHelpOption();
    command.addOptions(parser);

    if (!parser.parse(arguments))
        return context.usageError(parser.errorText());
    if (parser.isSet(u"help"_s)) {
        context.print(m_out, commandHelp(command, parser));
        return Success;
    }
    if (!readCommonOptions(parser, context))
        return Usage;
    return command.run(parser, context);
}

QString CommandLine::commandHelp(const Cli::Command &command, QCommandLineParser &parser) const
{
    QString help = parser.helpText();
    help.replace(QCoreApplication::applicationFilePath(), u"pathkeep-cli"_s);
    const qsizetype line = help.indexOf(u'\n');
    help = u"Usage: pathkeep-cli "_s + QLatin1String(command.name) + u' '
           + QLatin1String(command.arguments) + help.mid(line);
    if (command.notes)
        help += QLatin1String(command.notes);
    return help + u'\n'
           + collectionLine(
               CollectionPaths::choose(parser.value(u"collection"_s), QDir::currentPath()));
}

bool CommandLine::readCommonOptions(QCommandLineParser &parser, Cli::CommandContext &context)
{
    Cli::CommonOptions &options = context.options();
    options.collection = CollectionPaths::choose(parser.value(u"collection"_s), QDir::currentPath());
    options.quiet = parser.isSet(u"quiet"_s);
    options.create = parser.isSet(u"create"_s);
    bool number = false;
    options.waitSeconds = parser.value(u"wait"_s).toInt(&number);
    if (!number || options.waitSeconds < 0) {
        context.usageError(u"--wait takes a number of seconds"_s);
        return false;
    }
    options.progress = !options.quiet && ProgressBar::stderrIsTerminal();
    context.ui().setQuiet(options.quiet);
    return true;
}

} // namespace pk
