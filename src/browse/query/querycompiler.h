#pragma once

#include "browse/query/queryerror.h"
#include "browse/query/querynode.h"
#include "store/sqlfilter.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace pk {

/// How a field's values compare: text ignoring letter case, numbers, or day-number dates.
enum class QueryValueKind { Text, Number, Date };

/// Where a field lives in SQL, as the resolver reports it.
struct QueryFieldRef
{
    QString sql; ///< a column expression, e.g. `"Location"` or `"Locations"."Location"`
    QueryValueKind kind = QueryValueKind::Text;
};

/// Maps a field name as written ("URL:Location", any letter case) to its column, or nothing.
using QueryFieldResolver = std::function<std::optional<QueryFieldRef>(const QString &name)>;

/**
 * An index that finds the rows whose column may contain a text (a superset of them). A
 * "contains" condition that must hold for a row to be chosen is narrowed to those rows first;
 * the condition itself still decides.
 */
struct QuerySubstringIndex
{
    QString rowid; ///< the row id of the searched table, e.g. `rowid` or `"Locations".rowid`
    QString table; ///< the index table, queried as `table MATCH ?`
    /// A SELECT of the row ids the index may not hold yet (added since), candidates too.
    QString pending;
    /// The MATCH argument for rows whose column (as resolved) may contain `text`; empty when
    /// the column is not indexed or the text cannot be looked up.
    std::function<QString(const QString &column, const QString &text)> match;
};

/// What an expression is compiled against.
struct QueryCompileContext
{
    QueryFieldResolver resolveField;
    /// Narrows "contains" searches when set.
    std::optional<QuerySubstringIndex> substringIndex;
    /// Named values such as "Export:Category" (names ignore letter case). QString is text,
    /// numbers are numbers, QDate is a date. Fields win over variables of the same name.
    QHash<QString, QVariant> variables;

    void setVariable(const QString &name, const QVariant &value)
    {
        variables.insert(name.toUpper(), value);
    }
};

/**
 * @brief Turns a parsed filter expression into an SQLite WHERE fragment with bound values.
 *
 * Nothing from the expression is pasted into the SQL except resolved column expressions and
 * validated MATCH modes; every text, number and variable is a bound value. Text comparisons
 * ignore letter case (Unicode) through PK_UPPER, so `=` agrees with the lists' ordering; texts
 * are compared without trailing spaces. A text against a date field is read as a date
 * (yyyy-mm-dd or the system's short form; '' is "no date") and becomes a day number.
 * Requires the functions of store/sqlfunctions.h on the connection.
 */
class QueryCompiler final
{
public:
    /// Returns the filter, or nothing with `error` filled.
    static std::optional<SqlFilter> compile(const QueryNode &root,
                                            const QueryCompileContext &context,
                                            QueryError &error);

    /// Day number of a date: 1 January 1801 is day 4; an invalid date is 0.
    static qint32 dayNumber(const QDate &date);

    /// Reads a date typed by the user (yyyy-mm-dd or the system's short form).
    static QDate parseDate(const QString &text);
};

} // namespace pk
