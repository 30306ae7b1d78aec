#include "store/configurationmanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &table() { return configurationTable(); }
const QString kWhereName = QStringLiteral(" WHERE KeyDataType = ?");

} // namespace

ConfigurationManager::ConfigurationManager(Collection &collection)
    : m_collection(collection)
{
}

ConfigurationRecord ConfigurationManager::prepared(const ConfigurationRecord &record)
{
    QVariantList v = RecordIo::values(record);
    RecordIo::fit(table(), v);
    ConfigurationRecord out;
    RecordIo::assign(v, out);
    return out;
}

StoreStatus ConfigurationManager::get(const QString &dataType, ConfigurationRecord &out)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table()) + kWhereName;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, fitToField(dataType, table().fields[0].width));
        if (!st.executeStep())
            return TableAccess::notFound(table());
        RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), out);
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

StoreStatus ConfigurationManager::insert(const ConfigurationRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordInsertError); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::insertSql(table());
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, RecordIo::values(prepared(record)));
        st.exec();
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordInsertError);
    }
    return {};
}

StoreStatus ConfigurationManager::change(const ConfigurationRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotUpdated); !s)
        return s;
    try {
        const ConfigurationRecord r = prepared(record);
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("UPDATE %1 SET DataValue = ?2 WHERE KeyDataType = ?1")
                .arg(TableAccess::qualified(table()));
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, r.DataType);
        RecordIo::bind(st, 2, r.DataValue);
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotUpdated);
    }
    return {};
}

StoreStatus ConfigurationManager::put(const ConfigurationRecord &record)
{
    StoreStatus s = change(record);
    if (s.error == StoreError::RecordNotFound)
        return insert(record);
    return s;
}

StoreStatus ConfigurationManager::remove(const QString &dataType)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotDeleted); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereName;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, fitToField(dataType, table().fields[0].width));
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotDeleted);
    }
    return {};
}

StoreStatus ConfigurationManager::list(std::vector<ConfigurationRecord> &out)
{
    out.clear();
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table()) + QStringLiteral(" ORDER BY KeyDataType");
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        while (st.executeStep()) {
            ConfigurationRecord r;
            RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), r);
            out.push_back(std::move(r));
        }
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

} // namespace pk
