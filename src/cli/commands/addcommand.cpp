// add URL --category C [--new-category] [--description D] [--rating N]

#include "browse/forms/categorychanges.h"
#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "framework/errormanager.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationaddress.h"
#include "store/locationmanager.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// With --new-category, makes the location's category when the collection lacks it (told);
/// the exit status when it could not be made.
std::optional<int> ensureCategory(const QString &category,
                                  QCommandLineParser &parser,
                                  CommandContext &context)
{
    if (!parser.isSet(u"new-category"_s) || context.collection().categories().exists(category))
        return std::nullopt;
    CategoryChanges changes(context.collection(), context.ui(), context.errors());
    const std::optional<QString> name = changes.checkedName(category);
    if (!name)
        return Usage;
    if (!changes.add(*name))
        return Failure;
    context.note(u"Category "_s + *name + u" was created."_s);
    return std::nullopt;
}

} // namespace

void addOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"URL"_s,
                                 u"The address of the new location: up to 2048 characters, "
                                 "without blanks or line breaks (write a blank as %20)."_s);
    parser.addOption({u"category"_s, u"Its category (required); it must exist."_s, u"C"_s});
    parser.addOption(
        {u"new-category"_s, u"Make the category first when the collection does not have it."_s});
    parser.addOption({u"description"_s, u"Its description."_s, u"D"_s});
    parser.addOption({u"rating"_s, u"Its rating, -99 to 99."_s, u"N"_s, u"0"_s});
}

int runAdd(QCommandLineParser &parser, CommandContext &context)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return context.usageError(u"add takes one URL"_s);
    bool number = false;
    const int rating = parser.value(u"rating"_s).toInt(&number);
    if (!number || rating < -99 || rating > 99)
        return context.usageError(u"the rating must be a number from -99 to 99"_s);
    const QString url = positional.first().trimmed();
    if (url.isEmpty())
        return context.usageError(u"the URL is blank"_s);
    // The rule of the form and the wizard: whole, and one piece of text.
    if (const LocationAddress::Problem problem = LocationAddress::check(url);
        problem != LocationAddress::Problem::None) {
        context.complain(LocationAddress::message(problem, url));
        return Usage;
    }
    const QString category = parser.value(u"category"_s);
    if (category.trimmed().isEmpty())
        return context.usageError(u"add needs --category (a category of the collection)"_s);
    if (!context.openCollection(true))
        return Failure;
    if (const std::optional<int> failed = ensureCategory(category, parser, context))
        return *failed;

    LocationRecord record;
    record.Location = url;
    record.Category = category;
    record.Description = parser.value(u"description"_s);
    record.Rating = rating;
    const StoreStatus status = context.collection().locations().insert(record);
    if (!status) {
        if (status.catalogueNumber != 0)
            context.errors().raise(status.catalogueNumber, status.context);
        else
            context.complain(status.describe());
        if (status.catalogueNumber == Msg::FieldContents)
            context.complain(u"add --new-category to make the category "_s + category.trimmed()
                             + u" first."_s);
        return Failure;
    }
    context.note(url + u" added."_s);
    return Success;
}

} // namespace pk::Cli
