// duplicates: the groups of Find Duplicates, read only.

#include "browse/duplicates/duplicatefinder.h"
#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/locationoutput.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace pk::Cli {

void duplicatesOptions(QCommandLineParser &parser)
{
    parser.addOption({u"format"_s,
                      u"text (default: the key of a group, then its locations indented, a blank "
                      "line between groups) or json (an array of groups, each with its key and "
                      "its locations as 'list --format json' writes them)."_s,
                      u"FORMAT"_s,
                      u"text"_s});
}

int runDuplicates(QCommandLineParser &parser, CommandContext &context)
{
    const QString format = parser.value(u"format"_s);
    if (format != u"text"_s && format != u"json"_s)
        return context.usageError(u"unknown format '"_s + format + u"'"_s);
    if (!parser.positionalArguments().isEmpty())
        return context.usageError(u"unexpected argument '"_s + parser.positionalArguments().first()
                                  + u"'"_s);
    if (!context.openCollection())
        return Failure;
    std::vector<DuplicateGroup> groups;
    if (const StoreStatus status = DuplicateFinder(context.collection()).find(groups); !status) {
        context.complain(u"reading failed: "_s + status.describe());
        return Failure;
    }
    QJsonArray json;
    QString text;
    for (const DuplicateGroup &group : groups) {
        QJsonArray locations;
        text += text.isEmpty() ? QString() : u"\n"_s;
        text += group.key + u'\n';
        for (const qint64 rowId : group.rowIds) {
            LocationRecord record;
            // A location removed since the search is left out.
            if (!context.collection().locations().getByRowId(rowId, record))
                continue;
            locations.append(LocationOutput::toJson(record));
            text += u"  "_s + record.Location + u"  "_s + record.Description.simplified() + u'\n';
        }
        json.append(QJsonObject{{u"key"_s, group.key}, {u"locations"_s, locations}});
    }
    context.print(context.out(),
                  format == u"json"_s ? QString::fromUtf8(QJsonDocument(json).toJson()) : text);
    context.note(QString::number(groups.size()) + u" group(s) of near-duplicate locations."_s);
    return Success;
}

} // namespace pk::Cli
