#pragma once

#include <QString>
#include <QVariantList>

namespace pk {

/**
 * @brief A compiled filter: an SQL boolean expression over a table's columns plus its values.
 *
 * `where` uses the table's column names unqualified (`Category`, `Rating`, ...) and positional
 * `?` parameters only (no numbered or named ones), bound in order from `bindings`. An empty
 * `where` means no filter. Views wrap it in parentheses and AND it with their own conditions.
 */
struct SqlFilter
{
    QString where;
    QVariantList bindings;

    bool isEmpty() const { return where.trimmed().isEmpty(); }
};

} // namespace pk
