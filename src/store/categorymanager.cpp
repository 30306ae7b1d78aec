#include "store/categorymanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/rowaccess.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &categoryTable()
{
    return categoriesTable();
}
const QString kCategoryWhere = QStringLiteral(" WHERE KeyCategory = ?");

} // namespace

CategoryManager::CategoryManager(Collection &collection)
    : m_collection(collection)
{}

CategoryRecord CategoryManager::prepared(const CategoryRecord &record)
{
    return RowAccess::prepared(categoryTable(), record);
}

StoreStatus CategoryManager::get(const QString &category, CategoryRecord &out)
{
    static const QString stSql = TableAccess::selectAll(categoryTable()) + kCategoryWhere;
    return RowAccess::get(
        m_collection,
        categoryTable(),
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(category)); },
        out);
}

bool CategoryManager::exists(const QString &category)
{
    if (!m_collection.isOpen(CollectionFile::Categories))
        return false;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql
            = QStringLiteral("SELECT 1 FROM %1").arg(TableAccess::qualified(categoryTable())) + kCategoryWhere;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        // Compared as stored: trimmed and cut to the field's width.
        RecordIo::bind(st, 1, fitToField(category, categoryTable().fields[0].width));
        return st.executeStep();
    } catch (const std::exception &) {
        return false;
    }
}

StoreStatus CategoryManager::insert(const CategoryRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, categoryTable(), true, Msg::RecordInsertError); !s)
        return s;
    static const QString stSql = TableAccess::insertSql(categoryTable());
    return RowAccess::insert(m_collection, categoryTable(), stSql, RecordIo::values(prepared(record)));
}

StoreStatus CategoryManager::change(const QString &originalCategory, const CategoryRecord &record)
{
    const int n = int(categoryTable().fields.size());
    static const QString stSql
        = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE KeyCategory "
                         " = ?%3)")
              .arg(TableAccess::qualified(categoryTable()), RecordIo::assignments(categoryTable()))
              .arg(n + 1);
    return RowAccess::write(
        m_collection,
        categoryTable(),
        Msg::RecordNotUpdated,
        stSql,
        [&](SQLite::Statement &st) {
            TableAccess::bindAll(st, RecordIo::values(prepared(record)));
            RecordIo::bind(st, n + 1, trimTrailingSpaces(originalCategory));
        },
        RowAccess::Rows::AtLeastOne);
}

StoreStatus CategoryManager::changeIfUnchanged(const QString &originalCategory,
                                               const CategoryRecord &expected,
                                               const CategoryRecord &record)
{
    return RowAccess::writeIfUnchanged(
        m_collection,
        categoryTable(),
        expected,
        [&](CategoryRecord &stored) { return get(originalCategory, stored); },
        [&] { return change(originalCategory, record); });
}

StoreStatus CategoryManager::remove(const QString &category)
{
    static const QString stSql
        = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(categoryTable())) + kCategoryWhere;
    return RowAccess::write(
        m_collection,
        categoryTable(),
        Msg::RecordNotDeleted,
        stSql,
        [&](SQLite::Statement &st) { RecordIo::bind(st, 1, trimTrailingSpaces(category)); },
        RowAccess::Rows::AtLeastOne);
}

StoreStatus CategoryManager::list(std::vector<CategoryRecord> &out)
{
    static const QString stSql = TableAccess::selectAll(categoryTable())
                                 + QStringLiteral(" ORDER BY KeyCategory, rowid");
    return RowAccess::list(
        m_collection, categoryTable(), stSql, [](SQLite::Statement &) {}, out);
}

} // namespace pk
