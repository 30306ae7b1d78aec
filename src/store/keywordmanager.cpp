#include "store/keywordmanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &table() { return keywordsTable(); }
// The first condition lets the key find the rows, the second makes the match exact.
const QString kWhereLocation = QStringLiteral(" WHERE KeyLocation = ?1 AND Location = ?1");
const QString kWhereRow = kWhereLocation + QStringLiteral(" AND Sequence = ?2");

} // namespace

KeywordManager::KeywordManager(Collection &collection)
    : m_collection(collection)
{
}

KeywordRecord KeywordManager::prepared(const KeywordRecord &record)
{
    QVariantList v = RecordIo::values(record);
    RecordIo::fit(table(), v);
    KeywordRecord out;
    RecordIo::assign(v, out);
    return out;
}

StoreStatus KeywordManager::get(const QString &location, qint32 sequence, KeywordRecord &out)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table()) + kWhereRow;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(location));
        st.bind(2, sequence);
        if (!st.executeStep())
            return TableAccess::notFound(table());
        RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), out);
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

StoreStatus KeywordManager::insert(KeywordRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordInsertError); !s)
        return s;
    KeywordRecord r = prepared(record);
    try {
        {
            // Built once: the statement cache is keyed by the text.
            static const QString nextSql = QStringLiteral("SELECT coalesce(max(Sequence), 0) + 1 FROM %1")
                    .arg(TableAccess::qualified(table()))
                + kWhereLocation;
            SQLite::Statement &next = m_collection.statement(nextSql);
            TableAccess::ResetOnExit reset(next);
            RecordIo::bind(next, 1, r.Location);
            next.executeStep();
            r.Sequence = next.getColumn(0).getInt();
        }
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::insertSql(table());
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, RecordIo::values(r));
        st.exec();
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordInsertError);
    }
    record.Sequence = r.Sequence;
    return {};
}

StoreStatus KeywordManager::change(const QString &location, qint32 sequence, const KeywordRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotUpdated); !s)
        return s;
    try {
        const int n = int(table().fields.size());
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE KeyLocation "
                           " = ?%3 AND Location = ?%3 AND Sequence = ?%4)")
                .arg(TableAccess::qualified(table()), RecordIo::assignments(table()))
                .arg(n + 1)
                .arg(n + 2);
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, RecordIo::values(prepared(record)));
        RecordIo::bind(st, n + 1, trimTrailingSpaces(location));
        st.bind(n + 2, sequence);
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotUpdated);
    }
    return {};
}

StoreStatus KeywordManager::remove(const QString &location, qint32 sequence)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotDeleted); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereRow;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(location));
        st.bind(2, sequence);
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotDeleted);
    }
    return {};
}

StoreStatus KeywordManager::removeAll(const QString &location, int *removed)
{
    if (removed)
        *removed = 0;
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotDeleted); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereLocation;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(location));
        const int n = st.exec();
        if (removed)
            *removed = n;
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotDeleted);
    }
    return {};
}

StoreStatus KeywordManager::list(const QString &location, std::vector<KeywordRecord> &out)
{
    out.clear();
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table()) + kWhereLocation
                                                       + QStringLiteral(" ORDER BY Sequence");
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(location));
        while (st.executeStep()) {
            KeywordRecord r;
            RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), r);
            out.push_back(std::move(r));
        }
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

} // namespace pk
