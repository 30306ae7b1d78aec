// category list | add NAME | rename OLD NEW | remove NAME [--move-to OTHER]

#include "browse/forms/categorychanges.h"
#include "browse/forms/categorylist.h"
#include "browse/forms/specialcategory.h"
#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// The stored name of category `typed`; nothing (reported) when the collection lacks it.
std::optional<QString> existing(CategoryChanges &changes,
                                const QString &typed,
                                CommandContext &context)
{
    const std::optional<QString> name = changes.stored(typed);
    if (!name)
        context.complain(u"there is no category '"_s + typed + u"'."_s);
    return name;
}

int listCategories(QCommandLineParser &parser, CommandContext &context)
{
    const QString format = parser.value(u"format"_s);
    if (format != u"plain"_s && format != u"json"_s)
        return context.usageError(u"unknown format '"_s + format + u"'"_s);
    if (!context.openCollection())
        return Failure;
    CategoryList list(context.collection(), context.ui(), context.errors(), CategoryList::Mode::All);
    if (const StoreStatus status = list.refresh(); !status) {
        context.complain(u"reading failed: "_s + status.describe());
        return Failure;
    }
    if (format == u"plain"_s) {
        // One name a line and nothing else: shell completion reads this.
        for (const QString &name : list.names())
            context.print(context.out(), name + u'\n');
        return Success;
    }
    CategoryChanges changes(context.collection(), context.ui(), context.errors());
    QJsonArray rows;
    for (const CategoryList::Row &row : list.rows())
        rows.append(QJsonObject{{u"category"_s, row.record.Category},
                                {u"description"_s, row.record.Description},
                                {u"locations"_s, changes.locationCount(row.record.Category)}});
    context.print(context.out(), QString::fromUtf8(QJsonDocument(rows).toJson()));
    return Success;
}

int addCategory(const QString &typed, QCommandLineParser &parser, CommandContext &context)
{
    if (!context.openCollection(true))
        return Failure;
    CategoryChanges changes(context.collection(), context.ui(), context.errors());
    const std::optional<QString> name = changes.checkedName(typed);
    if (!name)
        return Usage;
    if (!changes.add(*name, parser.value(u"description"_s)))
        return Failure;
    context.note(u"Category "_s + *name + u" was added."_s);
    return context.outcome();
}

int renameCategory(const QString &from, const QString &typed, CommandContext &context)
{
    if (!context.openCollection())
        return Failure;
    CategoryChanges changes(context.collection(), context.ui(), context.errors());
    const std::optional<QString> old = existing(changes, from, context);
    if (!old)
        return Usage;
    const std::optional<QString> name = changes.checkedName(typed);
    if (!name)
        return Usage;
    qint64 moved = 0;
    if (!changes.rename(*old, *name, &moved))
        return Failure;
    context.note(u"Category "_s + *old + u" was renamed to "_s + *name + u" ("_s
                 + QString::number(moved) + u" location(s) moved)."_s);
    return context.outcome();
}

int removeCategory(const QString &typed, const QString &moveTo, CommandContext &context)
{
    if (!context.openCollection())
        return Failure;
    CategoryChanges changes(context.collection(), context.ui(), context.errors());
    const std::optional<QString> name = existing(changes, typed, context);
    if (!name)
        return Usage;
    std::optional<QString> target;
    if (!moveTo.isEmpty()) {
        target = existing(changes, moveTo, context);
        if (!target)
            return Usage;
        if (target->compare(*name, Qt::CaseInsensitive) == 0)
            return context.usageError(u"--move-to names the category being removed"_s);
        if (SpecialCategory::isSpecial(*target)) {
            context.complain(*target + u" holds no locations; choose another category."_s);
            return Usage;
        }
    }
    const qint64 count = changes.locationCount(*name);
    if (count < 0) {
        context.complain(u"the locations of category '"_s + *name + u"' cannot be counted."_s);
        return Failure;
    }
    if (count > 0 && !target) {
        context.complain(u"category '"_s + *name + u"' still holds "_s + QString::number(count)
                         + u" location(s); --move-to OTHER moves them to another category "
                           "before it is removed."_s);
        return Failure;
    }
    qint64 moved = 0;
    if (!changes.remove(*name, target.value_or(QString()), &moved))
        return Failure;
    context.note(u"Category "_s + *name + u" was removed"_s
                 + (target ? u" ("_s + QString::number(moved) + u" location(s) moved to "_s
                                 + *target + u")."_s
                           : u"."_s));
    return context.outcome();
}

} // namespace

void categoryOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"ACTION"_s, u"list, add, rename or remove."_s);
    parser.addPositionalArgument(u"NAME"_s,
                                 u"The category (add, remove); the old and the new name "
                                 "(rename)."_s,
                                 u"[NAME...]"_s);
    parser.addOption({u"move-to"_s,
                      u"remove: move the category's locations to OTHER, then remove it."_s,
                      u"OTHER"_s});
    parser.addOption({u"description"_s, u"add: the category's description."_s, u"D"_s});
    parser.addOption({u"format"_s,
                      u"list: plain (default: one name a line) or json (name, description and "
                      "number of locations)."_s,
                      u"FORMAT"_s,
                      u"plain"_s});
}

int runCategory(QCommandLineParser &parser, CommandContext &context)
{
    const QStringList positional = parser.positionalArguments();
    const QString action = positional.value(0);
    const qsizetype names = positional.size() - 1;
    if (parser.isSet(u"move-to"_s) && action != u"remove"_s)
        return context.usageError(u"--move-to is for 'category remove'"_s);
    if (parser.isSet(u"description"_s) && action != u"add"_s)
        return context.usageError(u"--description is for 'category add'"_s);
    if (action == u"list"_s && names == 0)
        return listCategories(parser, context);
    if (action == u"add"_s && names == 1)
        return addCategory(positional.at(1), parser, context);
    if (action == u"rename"_s && names == 2)
        return renameCategory(positional.at(1), positional.at(2), context);
    if (action == u"remove"_s && names == 1)
        return removeCategory(positional.at(1), parser.value(u"move-to"_s), context);
    return context.usageError(u"category takes list, add NAME, rename OLD NEW or remove NAME"_s);
}

} // namespace pk::Cli
