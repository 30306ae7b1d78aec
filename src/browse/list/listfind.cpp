#include "browse/list/listfind.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"

namespace pk::ListFind {

int find(UserInterface &ui,
         ErrorManager &errors,
         const QString &condition,
         const Compile &compile,
         const Search &search)
{
    if (condition.trimmed().isEmpty()) {
        ui.message(QStringLiteral("Error"),
                   QStringLiteral("No search criteria specified."),
                   UserInterface::Icon::Critical);
        return -1;
    }
    QString error;
    const auto filter = compile(condition, error);
    if (!filter) {
        ui.message(QStringLiteral("Error"), error, UserInterface::Icon::Critical);
        return -1;
    }
    StoreStatus status;
    const int found = search(*filter, status);
    if (found >= 0)
        return found;
    if (!status && status.catalogueNumber != 0)
        errors.raise(status.catalogueNumber, status.context);
    else
        ui.message(QStringLiteral("Find"), QStringLiteral("No more matches."));
    return -1;
}

void reportInvalidQuery(UserInterface &ui, const QString &reason)
{
    ui.message(QStringLiteral("Invalid Query"),
               QStringLiteral("The query you have designed is invalid.\nPlease review your "
                              "query and correct the problem.\n\n")
                   + reason,
               UserInterface::Icon::Warning);
}

} // namespace pk::ListFind
