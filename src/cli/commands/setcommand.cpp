// set URL --FIELD VALUE...: the location form's change of a location, field by field.

#include "browse/forms/entryinput.h"
#include "browse/forms/locationform.h"
#include "browse/forms/requiredentry.h"
#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "cli/locationoutput.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"
#include "store/recordio.h"

#include <QCommandLineParser>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk::Cli {

namespace {

/// An option of `set` and the Locations field it changes.
struct FieldOption
{
    const char *option;
    const char *column;
    const char *value;
    const char *help;
};

// The fields the location form edits, in the order of its tabs.
constexpr FieldOption FieldOptions[] = {
    {"location", "Location", "URL", "A new address (whole, without blanks)."},
    {"description", "Description", "D", "The description."},
    {"category", "Category", "C", "The category; it must exist."},
    {"rating", "Rating", "N", "The rating, -99 to 99."},
    {"keyword", "Keyword", "K", "The keyword."},
    {"comments", "Comments", "TEXT", "The comments."},
    {"user-name", "UserName", "NAME", "The user name."},
    {"password", "Password", "TEXT", "The password."},
    {"email", "EmailAddress", "ADDRESS", "The e-mail address."},
    {"site-info", "SiteInfo", "TEXT", "The site information (line breaks kept)."},
    {"page-size", "PageSize", "N", "The page size."},
    {"last-visit", "LastVisit", "DATE", "The last visit, yyyy-MM-dd (blank: none)."},
    {"last-validated", "LastValidated", "DATE", "The last validation, yyyy-MM-dd."},
    {"validated", "Validated", "STATE", "unknown, passed or failed."},
    {"expires", "Expires", "DATE", "The expiry date, yyyy-MM-dd."},
    {"moved-to", "MovedTo", "URL", "The address the location moved to."},
};

/// The value `typed` for the field of `option`, by the form's rules; nothing after a message.
std::optional<QVariant> valueOf(const FieldOption &option,
                                const QString &typed,
                                CommandContext &context)
{
    const FieldDef &field = *locationsTable().field(QString::fromLatin1(option.column));
    const QString prompt = QLatin1String(field.prompt);
    if (qstrcmp(option.column, "Rating") == 0) {
        // The form's rating box: blank is 0, otherwise a number from -99 to 99.
        bool number = typed.trimmed().isEmpty();
        const int rating = number ? 0 : typed.trimmed().toInt(&number);
        if (number && rating >= -99 && rating <= 99)
            return rating;
        context.usageError(u"the rating must be a number from -99 to 99"_s);
        return std::nullopt;
    }
    if (qstrcmp(option.column, "Validated") == 0) {
        for (int state = 0; state <= 2; ++state) {
            if (typed.trimmed() == LocationOutput::stateName(state)
                || typed.trimmed() == QString::number(state))
                return state;
        }
        context.usageError(u"--validated is unknown, passed or failed"_s);
        return std::nullopt;
    }
    if (qstrcmp(option.column, "Location") == 0 && typed.trimmed().isEmpty()) {
        RequiredEntry::report(context.ui(), prompt);
        return std::nullopt;
    }
    const EntryInput::Taken taken
        = EntryInput::take(field, prompt, typed, EntryInput::isMultiLine(field));
    if (!taken.value)
        EntryInput::report(context.ui(), taken.refusal + u" Nothing was changed."_s);
    return taken.value;
}

/// The record with every field option given put in; false after the message of the first
/// value refused.
bool applyOptions(QCommandLineParser &parser, CommandContext &context, LocationRecord &record)
{
    QVariantList values = RecordIo::values(record);
    for (const FieldOption &option : FieldOptions) {
        if (!parser.isSet(QLatin1String(option.option)))
            continue;
        const std::optional<QVariant> value = valueOf(option,
                                                      parser.value(QLatin1String(option.option)),
                                                      context);
        if (!value)
            return false;
        values[locationsTable().fieldIndex(QString::fromLatin1(option.column))] = *value;
    }
    RecordIo::assign(values, record);
    return true;
}

} // namespace

void setOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"URL"_s, u"The address of the location to change."_s);
    for (const FieldOption &option : FieldOptions)
        parser.addOption(
            {QLatin1String(option.option), QLatin1String(option.help), QLatin1String(option.value)});
}

int runSet(QCommandLineParser &parser, CommandContext &context)
{
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return context.usageError(u"set takes one URL"_s);
    const bool anyField = std::any_of(std::begin(FieldOptions),
                                      std::end(FieldOptions),
                                      [&parser](const FieldOption &option) {
                                          return parser.isSet(QLatin1String(option.option));
                                      });
    if (!anyField)
        return context.usageError(u"set needs a field to change, e.g. --description D"_s);
    if (!context.openCollection())
        return Failure;
    const QString url = positional.first().trimmed();
    if (!context.collection().locations().exists(url)) {
        context.complain(url + u" is not in the collection in "_s + context.folder() + u'.');
        return Failure;
    }
    LocationForm form(context.collection(), context.ui(), context.errors(), FormRequest::Change, url);
    if (!form.load())
        return Failure;
    if (!applyOptions(parser, context, form.record()))
        return Usage;
    // The form's save: required entries, the address and category rules, the store's keys.
    if (!form.save())
        return Failure;
    context.note(form.record().Location + u" changed."_s);
    return context.outcome();
}

} // namespace pk::Cli
