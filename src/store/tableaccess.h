#pragma once

#include "store/fields.h"
#include "store/storestatus.h"

#include <QByteArrayList>
#include <QVariantList>

#include <exception>

namespace SQLite {
class Statement;
}

namespace pk {

class Collection;

/// @brief Shared steps of the record managers: binding, error statuses, SQL text.
namespace TableAccess {

/// Resets a cached statement when leaving a scope, so no read snapshot stays open.
class ResetOnExit final
{
public:
    explicit ResetOnExit(SQLite::Statement &st)
        : m_st(st)
    {}
    ~ResetOnExit();
    ResetOnExit(const ResetOnExit &) = delete;
    ResetOnExit &operator=(const ResetOnExit &) = delete;

private:
    SQLite::Statement &m_st;
};

/// Binds `values` to parameters first, first + 1, ... (`keep` as for RecordIo::bind).
void bindAll(SQLite::Statement &st,
             const QVariantList &values,
             int first = 1,
             QByteArrayList *keep = nullptr);

/// Status for a failed write: DuplicateKey carries catalogue 15 with the table's unique key
/// description; anything else `catalogue` with the SQLite text.
StoreStatus writeError(const std::exception &e, const TableDef &table, std::uint16_t catalogue);
/// Status for a failed read (catalogue 1).
StoreStatus readError(const std::exception &e, const TableDef &table);
/// RecordNotFound for a table (no catalogue message: the caller decides).
StoreStatus notFound(const TableDef &table);
/// Catalogue 15 for the table's unique key.
StoreStatus duplicate(const TableDef &table);
/// FileNotOpen (or AccessDenied for writes to a read-only file), success otherwise.
StoreStatus ready(const Collection &c,
                  const TableDef &table,
                  bool write,
                  std::uint16_t catalogue = 0);

/// "schema.Table"
QString qualified(const TableDef &table);
/// "SELECT rowid, <columns> FROM schema.Table"
QString selectAll(const TableDef &table);
QString insertSql(const TableDef &table);

} // namespace TableAccess

} // namespace pk
