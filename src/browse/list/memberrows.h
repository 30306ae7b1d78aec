#pragma once

#include "store/records.h"
#include "store/sqlfilter.h"
#include "store/storestatus.h"

#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace pk {

class Collection;
struct QueryFieldRef;

/**
 * @brief The rows of a keyword or detail list: each URLKeywords (or URLDetails) row joined with
 * the location it belongs to.
 *
 * A row without its location is not shown, nor is a location without rows. The list is read
 * whole; each location's record is held once however many rows it has. Keywords come in
 * UDK:K_LOCATION order (location, then sequence), details in their stored order; a column
 * heading or a tab reorders the rows held.
 */
class MemberRows final
{
public:
    enum class Kind { Keywords, Details };

    /// Columns before the location columns: "Keyword", or "Label" and "Value".
    struct MemberColumn
    {
        const char *heading;
        const char *field;
        const char *picture;
        int width;
    };

    struct Row
    {
        qint64 memberRowId = 0;
        qint64 locationRowId = 0;
        QString first;  ///< UDK:Keyword or UDT:DataLabel
        QString second; ///< UDT:DataValue
    };

    MemberRows(Collection &collection, Kind kind);

    Kind kind() const { return m_kind; }
    int memberColumns() const { return m_kind == Kind::Keywords ? 1 : 2; }
    /// Member columns, then the location columns from the state icon to "Custom 3".
    int columnCount() const;
    static const MemberColumn &memberColumn(Kind kind, int index);
    QString heading(int column) const;
    /// Location column (LocationColumns) shown in `column`, -1 for a member column.
    int locationColumn(int column) const;

    /// The list's query over the joined rows (see resolveField()); empty for all rows.
    void setFilter(SqlFilter filter) { m_filter = std::move(filter); }
    const SqlFilter &filter() const { return m_filter; }
    /// Reads the rows again in the current order.
    StoreStatus refresh();

    int count() const { return int(m_rows.size()); }
    const Row *rowAt(int row) const;
    /// The location of a row; nullptr when out of range.
    const LocationRecord *location(int row) const;
    /// Row of a member row id, -1 when not listed.
    int rowOfMember(qint64 memberRowId) const;

    QString display(int row, int column) const;
    QVariant value(int row, int column) const;

    /// Orders by a column (stable, text without regard to letter case).
    void sortByColumn(int column, bool descending);
    /// Back to the list's own order.
    void naturalOrder();
    bool isNaturalOrder() const { return m_sortColumn < 0; }
    /// Locator: the first row whose location is at or after `typed` in the list's own order;
    /// the last row when none follows, -1 for an empty list. Returns to that order first.
    int locate(const QString &typed);
    /// The first row after `after` (-1: from the start) whose joined row satisfies `condition`;
    /// -1 when none.
    int findNext(const SqlFilter &condition, int after, StoreStatus &status);

    /// Query fields: the member table's fields and every URL: field.
    static std::optional<QueryFieldRef> resolveField(Kind kind, const QString &name);
    /// The "Find..." field list: label|picture|field| triples, member fields first.
    static QString findFields(Kind kind);

private:
    QString selectSql(const SqlFilter &extra, bool idsOnly) const;
    void applyOrder();

    Collection &m_collection;
    Kind m_kind;
    SqlFilter m_filter;
    std::vector<Row> m_rows;
    QHash<qint64, LocationRecord> m_locations;
    int m_sortColumn = -1;
    bool m_descending = false;
};

} // namespace pk
