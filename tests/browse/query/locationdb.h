#pragma once

#include "browse/query/querycompiler.h"
#include "browse/query/queryfieldtable.h"

#include <QString>
#include <QStringList>
#include <QVariantHash>

struct sqlite3;

namespace pk::test {

/// One Locations row for the tests; unset fields are blank or zero.
struct LocationRow
{
    QString Location;
    QString Description;
    QString Category;
    int Rating = 0;
    int Validated = 0;
    qint32 LastVisit = 0;
    qint32 Expires = 0;
    QString Custom1;
};

/**
 * @brief An in-memory database with the Locations table and the filter functions registered.
 */
class LocationDb
{
public:
    LocationDb();
    ~LocationDb();
    LocationDb(const LocationDb &) = delete;
    LocationDb &operator=(const LocationDb &) = delete;

    void insert(const LocationRow &row);
    sqlite3 *handle() const { return m_db; }
    const QueryFieldTable &fields() const { return m_fields; }

    /// Locations selected by `expression`, in insertion order; `error` gets any failure
    /// (parse, compile or SQL), which then yields an empty list.
    QStringList select(const QString &expression,
                       QString *error = nullptr,
                       const QHash<QString, QVariant> &variables = {}) const;

    /// Whether SQLite accepts the compiled fragment (the compiler must never produce bad SQL).
    bool prepares(const SqlFilter &filter, QString *error = nullptr) const;

    /// Runs `sql` and returns the first column of the first row.
    QVariant scalar(const QString &sql) const;

private:
    sqlite3 *m_db = nullptr;
    QueryFieldTable m_fields;
};

} // namespace pk::test
