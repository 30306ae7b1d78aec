#include "store/configurationmanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/rowaccess.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &table()
{
    return configurationTable();
}
const QString kWhereName = QStringLiteral(" WHERE KeyDataType = ?");

/// Names are compared as stored: trimmed and cut to the field's width.
void bindName(SQLite::Statement &st, const QString &dataType)
{
    RecordIo::bind(st, 1, fitToField(dataType, table().fields[0].width));
}

} // namespace

ConfigurationManager::ConfigurationManager(Collection &collection)
    : m_collection(collection)
{}

ConfigurationRecord ConfigurationManager::prepared(const ConfigurationRecord &record)
{
    return RowAccess::prepared(table(), record);
}

StoreStatus ConfigurationManager::get(const QString &dataType, ConfigurationRecord &out)
{
    static const QString stSql = TableAccess::selectAll(table()) + kWhereName;
    return RowAccess::get(
        m_collection, table(), stSql, [&](SQLite::Statement &st) { bindName(st, dataType); }, out);
}

StoreStatus ConfigurationManager::insert(const ConfigurationRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordInsertError); !s)
        return s;
    static const QString stSql = TableAccess::insertSql(table());
    return RowAccess::insert(m_collection, table(), stSql, RecordIo::values(prepared(record)));
}

StoreStatus ConfigurationManager::change(const ConfigurationRecord &record)
{
    static const QString stSql = QStringLiteral(
                                     "UPDATE %1 SET DataValue = ?2 WHERE KeyDataType = ?1")
                                     .arg(TableAccess::qualified(table()));
    return RowAccess::write(
        m_collection,
        table(),
        Msg::RecordNotUpdated,
        stSql,
        [&](SQLite::Statement &st) {
            const ConfigurationRecord r = prepared(record);
            RecordIo::bind(st, 1, r.DataType);
            RecordIo::bind(st, 2, r.DataValue);
        },
        RowAccess::Rows::AtLeastOne);
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
    static const QString stSql
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereName;
    return RowAccess::write(
        m_collection,
        table(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) { bindName(st, dataType); },
        RowAccess::Rows::AtLeastOne);
}

StoreStatus ConfigurationManager::list(std::vector<ConfigurationRecord> &out)
{
    static const QString stSql = TableAccess::selectAll(table())
                                 + QStringLiteral(" ORDER BY KeyDataType");
    return RowAccess::list(
        m_collection, table(), stSql, [](SQLite::Statement &) {}, out);
}

} // namespace pk
