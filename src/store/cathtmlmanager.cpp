#include "store/cathtmlmanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/rowaccess.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &cathtmlTable()
{
    return catHtmlTable();
}
const QString kWhereKey = QStringLiteral(" WHERE KeyCATEGORY = ?%1 AND KeyTypeOfHTML = ?%2");

/// Binds the key (category, type) to parameters first and first + 1.
void bindKey(SQLite::Statement &st, int first, const QString &category, const QString &typeOfHtml)
{
    RecordIo::bind(st, first, trimTrailingSpaces(category));
    RecordIo::bind(st, first + 1, trimTrailingSpaces(typeOfHtml));
}

} // namespace

CatHtmlManager::CatHtmlManager(Collection &collection)
    : m_collection(collection)
{}

CatHtmlRecord CatHtmlManager::prepared(const CatHtmlRecord &record)
{
    return RowAccess::prepared(cathtmlTable(), record);
}

StoreStatus CatHtmlManager::get(const QString &category,
                                const QString &typeOfHtml,
                                CatHtmlRecord &out)
{
    static const QString stSql = TableAccess::selectAll(cathtmlTable()) + kWhereKey.arg(1).arg(2);
    return RowAccess::get(
        m_collection,
        cathtmlTable(),
        stSql,
        [&](SQLite::Statement &st) { bindKey(st, 1, category, typeOfHtml); },
        out);
}

StoreStatus CatHtmlManager::insert(const CatHtmlRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, cathtmlTable(), true, Msg::RecordInsertError); !s)
        return s;
    static const QString stSql = TableAccess::insertSql(cathtmlTable());
    return RowAccess::insert(m_collection, cathtmlTable(), stSql, RecordIo::values(prepared(record)));
}

StoreStatus CatHtmlManager::change(const QString &category,
                                   const QString &typeOfHtml,
                                   const CatHtmlRecord &record)
{
    const int n = int(cathtmlTable().fields.size());
    static const QString stSql = QStringLiteral(
                                     "UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1%3)")
                                     .arg(TableAccess::qualified(cathtmlTable()),
                                          RecordIo::assignments(cathtmlTable()),
                                          kWhereKey.arg(n + 1).arg(n + 2));
    return RowAccess::write(
        m_collection,
        cathtmlTable(),
        Msg::RecordNotUpdated,
        stSql,
        [&](SQLite::Statement &st) {
            TableAccess::bindAll(st, RecordIo::values(prepared(record)));
            bindKey(st, n + 1, category, typeOfHtml);
        },
        RowAccess::Rows::AtLeastOne);
}

StoreStatus CatHtmlManager::changeIfUnchanged(const QString &category,
                                              const QString &typeOfHtml,
                                              const CatHtmlRecord &expected,
                                              const CatHtmlRecord &record)
{
    return RowAccess::writeIfUnchanged(
        m_collection,
        cathtmlTable(),
        expected,
        [&](CatHtmlRecord &stored) { return get(category, typeOfHtml, stored); },
        [&] { return change(category, typeOfHtml, record); });
}

StoreStatus CatHtmlManager::remove(const QString &category, const QString &typeOfHtml)
{
    static const QString stSql
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(cathtmlTable()))
          + kWhereKey.arg(1).arg(2);
    return RowAccess::write(
        m_collection,
        cathtmlTable(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) { bindKey(st, 1, category, typeOfHtml); },
        RowAccess::Rows::AtLeastOne);
}

StoreStatus CatHtmlManager::list(const QString &category, std::vector<CatHtmlRecord> &out)
{
    static const QString stSql = TableAccess::selectAll(cathtmlTable())
                                 + QStringLiteral(" WHERE KeyCATEGORY = ? ORDER BY KeyTypeOfHTML");
    return RowAccess::list(
        m_collection,
        cathtmlTable(),
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(category)); },
        out);
}

} // namespace pk
