// remove URL...: the location form's delete, for each address named.

#include "browse/forms/locationform.h"
#include "cli/commands/commandcontext.h"
#include "cli/commands/commands.h"
#include "cli/consoleuserinterface.h"
#include "framework/errormanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace pk::Cli {

void removeOptions(QCommandLineParser &parser)
{
    parser.addPositionalArgument(u"URL"_s, u"The address of a location to remove."_s, u"URL..."_s);
}

int runRemove(QCommandLineParser &parser, CommandContext &context)
{
    const QStringList urls = parser.positionalArguments();
    if (urls.isEmpty())
        return context.usageError(u"remove takes one URL or more"_s);
    if (!context.openCollection())
        return Failure;
    // Naming the address on the command line is the confirmation the form asks for.
    QString confirm = context.errors().format(Msg::ConfirmDelete, {}).second;
    context.ui().setAnswer(confirm.replace(u'|', u'\n'), true);
    int unknown = 0;
    int failed = 0;
    for (const QString &typed : urls) {
        const QString url = typed.trimmed();
        if (!context.collection().locations().exists(url)) {
            ++unknown;
            context.complain(url + u" is not in the collection in "_s + context.folder() + u'.');
            continue;
        }
        LocationForm form(context.collection(),
                          context.ui(),
                          context.errors(),
                          FormRequest::Delete,
                          url);
        if (!form.load() || !form.remove()) {
            ++failed;
            continue;
        }
        context.note(url + u" removed."_s);
    }
    return context.outcome(unknown > 0 || failed > 0);
}

} // namespace pk::Cli
