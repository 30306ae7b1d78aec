#pragma once

#include "store/fields.h"
#include "store/records.h"
#include "store/sqlfilter.h"
#include "store/tableuse.h"
#include "store/storestatus.h"

#include <QVariantList>

#include <span>
#include <vector>

namespace pk {

class Collection;

/**
 * @brief A place in a view: the row's key values (as the index orders them) and its row id.
 *
 * Opaque to callers; hand it back to View::forward()/backward(). Invalid means "before the
 * first row" for forward() and "after the last row" for backward().
 */
struct ViewPosition
{
    QVariantList key;
    qint64 rowId = 0;
    bool valid = false;

    bool operator==(const ViewPosition &) const = default;
};

/// One row read through a view: its position and its column values in table field order.
struct ViewRow
{
    ViewPosition position;
    QVariantList values;

    qint64 rowId() const { return position.rowId; }
    /// The row as a record of the view's table; the record type must match the table.
    LocationRecord location() const;
    DetailRecord detail() const;
    KeywordRecord keyword() const;
    ConfigurationRecord configuration() const;
    CategoryRecord category() const;
    CatHtmlRecord catHtml() const;
};

/// Rows in key order. `atStart`/`atEnd` say no row precedes the first / follows the last.
struct ViewPage
{
    std::vector<ViewRow> rows;
    bool atStart = false;
    bool atEnd = false;
};

/**
 * @brief One table read in one key's order, optionally limited to a range and a filter.
 *
 * Paging is by key values (keyset), so every step costs the same anywhere in a table of a
 * million rows; nothing reads the whole table. Rows with equal key values are told apart by
 * row id. The range fixes the leading key components (compared as the key compares them: text
 * without regard to letter case).
 */
class View final
{
public:
    View(Collection &collection, const KeyDef &key);

    const KeyDef &key() const { return *m_key; }
    const TableDef &table() const { return *m_table; }

    /// Limits the view to rows whose first values.size() key components equal `values`.
    void setRange(QVariantList values);
    void clearRange() { m_range.clear(); }
    const QVariantList &range() const { return m_range; }
    /// Adds a filter (see SqlFilter); an empty one removes it.
    void setFilter(SqlFilter filter);
    const SqlFilter &filter() const { return m_filter; }

    /// Rows inside range and filter.
    StoreStatus count(qint64 &out);
    /// Position of the first row whose leading key components are at or after `values`
    /// (user values: Rating as stored, text as typed). RecordNotFound when none follows.
    StoreStatus locate(const QVariantList &values, ViewPosition &out);
    /// Position of the row with this row id, when it lies in the view. RecordNotFound otherwise.
    StoreStatus positionOf(qint64 rowId, ViewPosition &out);

    /// Up to `n` rows from `from` onwards (from included when `inclusive`). An invalid `from`
    /// starts at the first row.
    StoreStatus forward(const ViewPosition &from, int n, bool inclusive, ViewPage &out);
    /// Up to `n` rows before `from` (from included when `inclusive`), returned in key order.
    /// An invalid `from` ends at the last row.
    StoreStatus backward(const ViewPosition &from, int n, bool inclusive, ViewPage &out);
    StoreStatus firstPage(int n, ViewPage &out);
    StoreStatus lastPage(int n, ViewPage &out);

    /// The rows with these row ids, in the order given; ids no longer in the table are left out.
    /// Range and filter do not apply.
    StoreStatus rowsById(std::span<const qint64> rowIds, ViewPage &out);
    /// A statement giving the row id of every row in range and filter, in the view's order
    /// (see OrderReader), and its bindings.
    ///
    /// With `split`, only part of the order: the rows up to and including that position, or
    /// (`after`) the rows beyond it. Two readers sort the two parts at once.
    QString orderedIdsSql(QVariantList &bindings,
                          const ViewPosition *split = nullptr,
                          bool after = false) const;
    /// A position near the middle of the view's order, from a sample of about a thousand rows
    /// spread over the table: where to split a sort of the whole view in two. Invalid when the
    /// sample holds fewer than two rows.
    StoreStatus middlePosition(ViewPosition &out);

    /// The SQL ORDER BY list the view uses (for EXPLAIN and tests).
    QString orderBy(bool reverse = false) const;
    /// The statement forward() runs, for EXPLAIN QUERY PLAN.
    QString forwardSql(bool fromPosition, bool inclusive, bool reverse = false) const;

private:
    QString conditions(bool withPosition, bool inclusive, bool reverse, int prefixCount) const;
    QVariantList bindings(const ViewPosition *from) const;
    StoreStatus run(
        const QString &sql, const QVariantList &binds, int n, bool reverse, ViewPage &out);

    Collection &m_collection;
    const KeyDef *m_key;
    const TableDef *m_table;
    QVariantList m_range;
    SqlFilter m_filter;
    QStringList
        m_keyExprs; ///< index expressions in order, e.g. "-Rating", "Description COLLATE PKNOCASE"
    QString m_columns; ///< select list of the table's columns
    TableUse m_use;    ///< the table counts as in use while a view on it exists
};

} // namespace pk
