#pragma once

#include "report/reportdefinition.h"

#include <QDate>
#include <QList>
#include <QString>

namespace pk {

struct KeyDef;

/**
 * @brief What the report wizard offers: the columns a location report may show, the orders it
 * may print in, and the report made of a choice of them.
 */
class ReportWizardChoices final
{
public:
    static constexpr const char *Title = "Internet Locations (URLs)";
    static constexpr const char *QueryQuestion
        = "Would you like to apply a query to this report (answer No to print all records)?";

    struct Choice
    {
        QString name;  ///< "Site Location", "Last Visit"
        QString value; ///< a field ("URL:LastVisit") or an order expression
    };

    /// The twenty columns, in record order.
    static const QList<Choice> &columns();
    /// The six orders with their order expressions ('-' sorts a component descending).
    static const QList<Choice> &orders();
    /// The key that reads the records in the order of `expression`; nullptr when none does.
    static const KeyDef *keyOf(const QString &expression);
    /// The order whose key is `keyName` ("URL:K_Rating"); -1 when none.
    static int orderOfKey(const QString &keyName);

    /// The report of the chosen columns (indexes into columns()) and order (into orders()),
    /// titled with the description and `today` in the short date form under it.
    static ReportDefinition report(const QList<int> &columns,
                                   int order,
                                   const QString &description,
                                   const QDate &today);
};

} // namespace pk
