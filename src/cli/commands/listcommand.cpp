// list and search: locations in an export order, through a filter, in one of the output formats.

#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/locationoutput.h"
#include "export/exportreader.h"
#include "store/fields.h"
#include "store/textindex.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

struct Listing
{
    const KeyDef *key = nullptr;
    LocationOutput::Format format = LocationOutput::Format::Table;
};

/// The --order and --format of a listing; nothing (reported) when either is wrong.
std::optional<Listing> listingOf(QCommandLineParser &parser, CommandContext &context)
{
    const std::optional<LocationOutput::Format> format = LocationOutput::formatFromName(
        parser.value(u"format"_s));
    if (!format) {
        context.usageError(u"unknown format '"_s + parser.value(u"format"_s) + u"'"_s);
        return std::nullopt;
    }
    const KeyDef *key = ExportReader::keyOf(pick(exportOrders(), parser.value(u"order"_s)));
    if (!key) {
        context.usageError(u"unknown order '"_s + parser.value(u"order"_s) + u"'"_s);
        return std::nullopt;
    }
    return Listing{key, *format};
}

/// Writes the locations `query` chooses (every one when blank) in the listing's order and format.
int writeLocations(CommandContext &context, const Listing &listing, const QString &query)
{
    if (!context.openCollection())
        return Failure;
    ExportReader reader(context.collection(), *listing.key);
    QString message;
    if (!reader.setQuery(query, message)) {
        context.complain(u"the query is invalid: "_s + message);
        return Usage;
    }
    LocationOutput output(listing.format, context.out());
    output.begin();
    LocationRecord record;
    while (reader.next(record))
        output.add(record);
    output.end();
    if (!reader.status()) {
        context.complain(u"reading failed: "_s + reader.status().describe());
        return Failure;
    }
    return Success;
}

/// The filter of a search: `text` contained in any field the substring index covers.
QString searchQuery(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', u"''"_s);
    QStringList conditions;
    for (const QString &column : TextIndex::columns())
        conditions << u"URL:"_s + column + u" CONTAINS '"_s + quoted + u'\'';
    return conditions.join(u" OR "_s);
}

} // namespace

void listOptions(QCommandLineParser &parser)
{
    parser.addOption(Options::query());
    parser.addOption(Options::order());
    parser.addOption(Options::locationFormat());
}

int runList(QCommandLineParser &parser, CommandContext &context)
{
    const std::optional<Listing> listing = listingOf(parser, context);
    if (!listing)
        return Usage;
    if (!parser.positionalArguments().isEmpty())
        return context.usageError(u"unexpected argument '"_s + parser.positionalArguments().first()
                                  + u"'"_s);
    return writeLocations(context, *listing, parser.value(u"query"_s));
}

void searchOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"TEXT"_s,
                                 u"The text looked for, without regard to letter case, anywhere "
                                 "in the description, the comments or the keyword."_s);
    parser.addOption(Options::order());
    parser.addOption(Options::locationFormat());
}

int runSearch(QCommandLineParser &parser, CommandContext &context)
{
    const std::optional<Listing> listing = listingOf(parser, context);
    if (!listing)
        return Usage;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1 || positional.first().isEmpty())
        return context.usageError(u"search takes one TEXT"_s);
    return writeLocations(context, *listing, searchQuery(positional.first()));
}

} // namespace pk::Cli
