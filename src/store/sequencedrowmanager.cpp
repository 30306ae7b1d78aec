#include "store/sequencedrowmanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/rowaccess.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

// The first condition lets the key find the rows, the second makes the match exact.
const QString kWhereLocation = QStringLiteral(" WHERE KeyLocation = ?1 AND Location = ?1");
const QString kWhereRow = kWhereLocation + QStringLiteral(" AND Sequence = ?2");

} // namespace

template<>
const TableDef &SequencedRowManager<DetailRecord>::table()
{
    return detailsTable();
}

template<>
const TableDef &SequencedRowManager<KeywordRecord>::table()
{
    return keywordsTable();
}

template<class Record>
SequencedRowManager<Record>::SequencedRowManager(Collection &collection)
    : m_collection(collection)
{}

template<class Record>
Record SequencedRowManager<Record>::prepared(const Record &record)
{
    return RowAccess::prepared(table(), record);
}

template<class Record>
StoreStatus SequencedRowManager<Record>::get(const QString &location, qint32 sequence, Record &out)
{
    static const QString stSql = TableAccess::selectAll(table()) + kWhereRow;
    return RowAccess::get(
        m_collection,
        table(),
        stSql,
        [&](SQLite::Statement &st) {
            RecordIo::bind(st, 1, trimTrailingSpaces(location));
            st.bind(2, sequence);
        },
        out);
}

template<class Record>
StoreStatus SequencedRowManager<Record>::insert(Record &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordInsertError); !s)
        return s;
    Record r = prepared(record);
    try {
        static const QString nextSql = QStringLiteral(
                                           "SELECT coalesce(max(Sequence), 0) + 1 FROM %1")
                                           .arg(TableAccess::qualified(table()))
                                       + kWhereLocation;
        SQLite::Statement &next = m_collection.statement(nextSql);
        TableAccess::ResetOnExit reset(next);
        RecordIo::bind(next, 1, r.Location);
        next.executeStep();
        r.Sequence = next.getColumn(0).getInt();
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordInsertError);
    }
    static const QString stSql = TableAccess::insertSql(table());
    if (StoreStatus s = RowAccess::insert(m_collection, table(), stSql, RecordIo::values(r)); !s)
        return s;
    record.Sequence = r.Sequence;
    return {};
}

template<class Record>
StoreStatus SequencedRowManager<Record>::change(const QString &location,
                                                qint32 sequence,
                                                const Record &record)
{
    const int n = int(table().fields.size());
    static const QString stSql
        = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE KeyLocation "
                         " = ?%3 AND Location = ?%3 AND Sequence = ?%4)")
              .arg(TableAccess::qualified(table()), RecordIo::assignments(table()))
              .arg(n + 1)
              .arg(n + 2);
    return RowAccess::write(
        m_collection,
        table(),
        Msg::RecordNotUpdated,
        stSql,
        [&](SQLite::Statement &st) {
            TableAccess::bindAll(st, RecordIo::values(prepared(record)));
            RecordIo::bind(st, n + 1, trimTrailingSpaces(location));
            st.bind(n + 2, sequence);
        },
        RowAccess::Rows::AtLeastOne);
}

template<class Record>
StoreStatus SequencedRowManager<Record>::remove(const QString &location, qint32 sequence)
{
    static const QString stSql
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereRow;
    return RowAccess::write(
        m_collection,
        table(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) {
            RecordIo::bind(st, 1, trimTrailingSpaces(location));
            st.bind(2, sequence);
        },
        RowAccess::Rows::AtLeastOne);
}

template<class Record>
StoreStatus SequencedRowManager<Record>::removeAll(const QString &location, int *removed)
{
    if (removed)
        *removed = 0;
    static const QString stSql
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereLocation;
    return RowAccess::write(
        m_collection,
        table(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(location)); },
        RowAccess::Rows::Any,
        removed);
}

template<class Record>
StoreStatus SequencedRowManager<Record>::list(const QString &location, std::vector<Record> &out)
{
    static const QString stSql = TableAccess::selectAll(table()) + kWhereLocation
                                 + QStringLiteral(" ORDER BY Sequence");
    return RowAccess::list(
        m_collection,
        table(),
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(location)); },
        out);
}

template class SequencedRowManager<DetailRecord>;
template class SequencedRowManager<KeywordRecord>;

} // namespace pk
