#pragma once

#include "browse/query/querycompiler.h"
#include "browse/query/queryfield.h"

#include <QList>
#include <QString>

#include <functional>

namespace pk {

class UserInterface;

/**
 * @brief The queryable fields of one table, loaded from a packed text.
 *
 * The text holds one row per field; columns are separated by U+00A6 and rows by U+00AB. Columns:
 * prompt, "0", field name, picture, length, type (1 text, 2 number, 4 date), control (1 entry,
 * 2 check box, 3 drop list), empty, choices separated by "|", empty.
 */
class QueryFieldTable final
{
public:
    static constexpr QChar ColumnSeparator = QChar(0xA6);
    static constexpr QChar RowSeparator = QChar(0xAB);

    /// Load failures, numbered for the "Query Wizard Error#" title.
    enum Error {
        NoError = 0,
        EmptyTable = 1,
        WrongColumnCount = 2,
        BadMarker = 3,
        MissingName = 4,
        BadLength = 5,
        BadType = 6,
        BadControl = 7,
        DuplicateName = 8,
    };

    QueryFieldTable() = default;
    explicit QueryFieldTable(QString tableCode)
        : m_tableCode(std::move(tableCode))
    {}

    /// Clears the table and loads `text`; returns 0 or an Error number (the table is then empty).
    int load(QStringView text);

    /// Loads `text`; on failure shows "An error has prevented the Query Wizard from initializing."
    /// titled "Query Wizard Error#" + number, and returns the number. The caller carries on.
    int initialize(QStringView text, UserInterface &ui);

    void clear() { m_fields.clear(); }
    const QList<QueryField> &fields() const { return m_fields; }
    int size() const { return static_cast<int>(m_fields.size()); }
    const QueryField &at(int row) const { return m_fields.at(row); }
    /// Row of a field by name (letter case ignored), or -1.
    int indexOf(const QString &name) const;
    const QueryField *find(const QString &name) const;

    /// The three-character code of the queried table, e.g. "URL".
    const QString &tableCode() const { return m_tableCode; }

    /**
     * A resolver for the compiler over this table's fields. `sqlTableForPrefix` names the SQLite
     * table of a prefix ("URL" -> "Locations") when columns must be qualified (joined queries);
     * without it, or when it returns an empty text, the bare column is used.
     */
    QueryFieldResolver resolver(std::function<QString(const QString &prefix)> sqlTableForPrefix
                                = {}) const;

private:
    QString m_tableCode;
    QList<QueryField> m_fields;
};

/// `name` quoted as an SQLite identifier.
QString sqlIdentifier(const QString &name);

} // namespace pk
