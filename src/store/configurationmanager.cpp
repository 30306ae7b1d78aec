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

const TableDef &configTable()
{
    return configurationTable();
}
const QString kConfigurationWhere = QStringLiteral(" WHERE KeyDataType = ?");

/// Names are compared as stored: trimmed and cut to the field's width.
void bindName(SQLite::Statement &st, const QString &dataType)
{
    RecordIo::bind(st, 1, fitToField(dataType, configTable().fields[0].width));
}

} // namespace

ConfigurationManager::ConfigurationManager(Collection &collection)
    : m_collection(collection)
{}

ConfigurationRecord ConfigurationManager::prepared(const ConfigurationRecord &record)
{
    return RowAccess::prepared(configTable(), record);
}

StoreStatus ConfigurationManager::get(const QString &dataType, ConfigurationRecord &out)
{
    static const QString stSql = TableAccess::selectAll(configTable()) + kConfigurationWhere;
    return RowAccess::get(
        m_collection, configTable(), stSql, [&](SQLite::Statement &st) { bindName(st, dataType); }, out);
}

StoreStatus ConfigurationManager::insert(const ConfigurationRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, configTable(), true, Msg::RecordInsertError); !s)
        return s;
    static const QString stSql = TableAccess::insertSql(configTable());
    return RowAccess::insert(m_collection, configTable(), stSql, RecordIo::values(prepared(record)));
}

StoreStatus ConfigurationManager::change(const ConfigurationRecord &record)
{
    static const QString stSql = QStringLiteral(
                                     "UPDATE %1 SET DataValue = ?2 WHERE KeyDataType = ?1")
                                     .arg(TableAccess::qualified(configTable()));
    return RowAccess::write(
        m_collection,
        configTable(),
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
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(configTable())) + kConfigurationWhere;
    return RowAccess::write(
        m_collection,
        configTable(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) { bindName(st, dataType); },
        RowAccess::Rows::AtLeastOne);
}

StoreStatus ConfigurationManager::list(std::vector<ConfigurationRecord> &out)
{
    static const QString stSql = TableAccess::selectAll(configTable())
                                 + QStringLiteral(" ORDER BY KeyDataType");
    return RowAccess::list(
        m_collection, configTable(), stSql, [](SQLite::Statement &) {}, out);
}

} // namespace pk
