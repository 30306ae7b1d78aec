// open URL... | --query FILTER: the list's Launch for locations of the collection.

#include "browse/list/locationlaunch.h"
#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "export/exportreader.h"
#include "platform/launcher.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// The addresses the query chooses, in address order; nothing (reported) when it fails.
std::optional<QStringList> chosenBy(const QString &query, CommandContext &context)
{
    ExportReader reader(context.collection(), Keys::urlLocation());
    QString message;
    if (!reader.setQuery(query, message)) {
        context.complain(u"the query is invalid: "_s + message);
        return std::nullopt;
    }
    QStringList urls;
    LocationRecord record;
    while (reader.next(record))
        urls << record.Location;
    if (!reader.status()) {
        context.complain(u"reading failed: "_s + reader.status().describe());
        return std::nullopt;
    }
    return urls;
}

} // namespace

void openOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"URL"_s, u"The address of a location to open."_s, u"[URL...]"_s);
    parser.addOption(Options::query());
    parser.addOption({u"most"_s,
                      u"With --query: open at most this many (default 10); a query that chooses "
                      "more opens none."_s,
                      u"N"_s,
                      u"10"_s});
}

int runOpen(QCommandLineParser &parser, CommandContext &context)
{
    QStringList urls = parser.positionalArguments();
    const bool byQuery = parser.isSet(u"query"_s);
    if (urls.isEmpty() == !byQuery)
        return context.usageError(u"open takes URLs or --query FILTER"_s);
    bool number = false;
    const int most = parser.value(u"most"_s).toInt(&number);
    if (!number || most < 1)
        return context.usageError(u"--most takes a number from 1"_s);
    if (!context.openCollection())
        return Failure;
    if (byQuery) {
        const std::optional<QStringList> chosen = chosenBy(parser.value(u"query"_s), context);
        if (!chosen)
            return Usage;
        // Every one opens a browser tab or window: a query wider than meant opens none.
        if (chosen->size() > most) {
            context.complain(u"the query chooses "_s + QString::number(chosen->size())
                             + u" locations; --most "_s + QString::number(chosen->size())
                             + u" opens them all."_s);
            return Usage;
        }
        urls = *chosen;
    }
    Launcher launcher(context.ui());
    int unknown = 0;
    int failed = 0;
    for (const QString &typed : std::as_const(urls)) {
        const QString url = typed.trimmed();
        if (!context.collection().locations().exists(url)) {
            ++unknown;
            context.complain(url + u" is not in the collection in "_s + context.folder() + u'.');
            continue;
        }
        if (!LocationLaunch::launch(context.collection(), launcher, context.errors(), url))
            ++failed;
    }
    return context.outcome(unknown > 0 || failed > 0);
}

} // namespace pk::Cli
