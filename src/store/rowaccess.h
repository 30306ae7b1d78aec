#pragma once

#include "store/collection.h"
#include "store/recordio.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Statement.h>

#include <vector>

namespace pk {

/**
 * @brief The get / list / write skeletons the record managers share: the ready check, a cached
 * statement reset on the way out, and the read and write error statuses.
 *
 * Callers keep their SQL text in function statics (built once; the statement cache is keyed by
 * the text) and bind their own keys, so trimming and cutting of keys stays theirs.
 */
namespace RowAccess {

/// The values of `record` trimmed and cut to `table`'s field widths, as they would be stored,
/// and (in `out`) the record they make.
template<class Record>
QVariantList preparedValues(const TableDef &table, const Record &record, Record &out)
{
    QVariantList v = RecordIo::values(record);
    RecordIo::fit(table, v);
    RecordIo::assign(v, out);
    return v;
}

/// `record` trimmed and cut to `table`'s field widths, as it would be stored.
template<class Record>
Record prepared(const TableDef &table, const Record &record)
{
    Record out;
    preparedValues(table, record, out);
    return out;
}

/// Reads the first row `sql` (a selectAll) finds after `bind`. RecordNotFound leaves `out`
/// unchanged.
template<class Record, class Bind>
StoreStatus get(Collection &c, const TableDef &table, const QString &sql, Bind &&bind, Record &out)
{
    if (StoreStatus s = TableAccess::ready(c, table, false); !s)
        return s;
    try {
        SQLite::Statement &st = c.statement(sql);
        TableAccess::ResetOnExit reset(st);
        bind(st);
        if (!st.executeStep())
            return TableAccess::notFound(table);
        RecordIo::assign(RecordIo::row(st, 1, int(table.fields.size())), out);
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table);
    }
    return {};
}

/// Every row `sql` (a selectAll) finds after `bind`, in the order it gives.
template<class Record, class Bind>
StoreStatus list(
    Collection &c, const TableDef &table, const QString &sql, Bind &&bind, std::vector<Record> &out)
{
    out.clear();
    if (StoreStatus s = TableAccess::ready(c, table, false); !s)
        return s;
    try {
        SQLite::Statement &st = c.statement(sql);
        TableAccess::ResetOnExit reset(st);
        bind(st);
        while (st.executeStep()) {
            Record r;
            RecordIo::assign(RecordIo::row(st, 1, int(table.fields.size())), r);
            out.push_back(std::move(r));
        }
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table);
    }
    return {};
}

/// What a write expects of the number of rows it touches.
enum class Rows { Any, AtLeastOne };

/**
 * Runs the write `sql` after `bind`, without the ready check (for callers that validate
 * between that check and the write). Rows::AtLeastOne makes "nothing touched" RecordNotFound;
 * `changed` receives the number of rows touched.
 */
template<class Bind>
StoreStatus run(Collection &c,
                const TableDef &table,
                std::uint16_t catalogue,
                const QString &sql,
                Bind &&bind,
                Rows expect,
                int *changed = nullptr)
{
    try {
        SQLite::Statement &st = c.statement(sql);
        TableAccess::ResetOnExit reset(st);
        bind(st);
        const int n = st.exec();
        if (changed)
            *changed = n;
        if (expect == Rows::AtLeastOne && n == 0)
            return TableAccess::notFound(table);
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table, catalogue);
    }
    return {};
}

/// The ready check for writing (failing with `catalogue`), then run().
template<class Bind>
StoreStatus write(Collection &c,
                  const TableDef &table,
                  std::uint16_t catalogue,
                  const QString &sql,
                  Bind &&bind,
                  Rows expect,
                  int *changed = nullptr)
{
    if (StoreStatus s = TableAccess::ready(c, table, true, catalogue); !s)
        return s;
    return run(c, table, catalogue, sql, std::forward<Bind>(bind), expect, changed);
}

/// Stores `values` (a prepared record's, in field order) with `sql` (an insertSql).
inline StoreStatus insert(Collection &c,
                          const TableDef &table,
                          const QString &sql,
                          const QVariantList &values)
{
    QByteArrayList texts; // bound without copies: kept until the insert has run
    texts.reserve(values.size());
    return run(
        c,
        table,
        Msg::RecordInsertError,
        sql,
        [&values, &texts](SQLite::Statement &st) { TableAccess::bindAll(st, values, 1, &texts); },
        Rows::Any);
}

/**
 * The compare-and-write of a form's save, in one transaction: `read` fetches the record as it
 * is stored now, and `write` runs only when that is still `expected`, what the form read before
 * the user edited it (both compared as they would be stored). Otherwise nothing is written:
 * ChangedElsewhere (catalogue 8) when another program or window changed the record meanwhile,
 * RecordNotFound (catalogue 9) when it deleted it.
 */
template<class Record, class Read, class Write>
StoreStatus writeIfUnchanged(
    Collection &c, const TableDef &table, const Record &expected, Read &&read, Write &&write)
{
    return c.transaction([&]() -> StoreStatus {
        Record stored;
        StoreStatus s = read(stored);
        if (s.error == StoreError::RecordNotFound) {
            s.catalogueNumber = Msg::ChangedOrDeletedElsewhere;
            s.context.errorText = s.text;
            return s;
        }
        if (!s)
            return s;
        if (prepared(table, stored) != prepared(table, expected)) {
            s = StoreStatus::failure(StoreError::ChangedElsewhere,
                                     QStringLiteral("The record was changed by another program"));
            s.catalogueNumber = Msg::ChangedElsewhereShown;
            s.context.file = QString::fromLatin1(table.sqlTable);
            return s;
        }
        return write();
    });
}

} // namespace RowAccess

} // namespace pk
