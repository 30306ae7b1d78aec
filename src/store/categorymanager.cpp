#include "store/categorymanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &table() { return categoriesTable(); }
const QString kWhereName = QStringLiteral(" WHERE KeyCategory = ?");

} // namespace

CategoryManager::CategoryManager(Collection &collection)
    : m_collection(collection)
{
}

CategoryRecord CategoryManager::prepared(const CategoryRecord &record)
{
    QVariantList v = RecordIo::values(record);
    RecordIo::fit(table(), v);
    CategoryRecord out;
    RecordIo::assign(v, out);
    return out;
}

StoreStatus CategoryManager::get(const QString &category, CategoryRecord &out)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table()) + kWhereName;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(category));
        if (!st.executeStep())
            return TableAccess::notFound(table());
        RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), out);
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

bool CategoryManager::exists(const QString &category)
{
    if (!m_collection.isOpen(CollectionFile::Categories))
        return false;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("SELECT 1 FROM %1")
                                                           .arg(TableAccess::qualified(table()))
                                                       + kWhereName;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        // Compared as stored: trimmed and cut to the field's width.
        RecordIo::bind(st, 1, fitToField(category, table().fields[0].width));
        return st.executeStep();
    } catch (const std::exception &) {
        return false;
    }
}

StoreStatus CategoryManager::insert(const CategoryRecord &record)
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

StoreStatus CategoryManager::change(const QString &originalCategory, const CategoryRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotUpdated); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1 WHERE KeyCategory "
                           " = ?%3)")
                .arg(TableAccess::qualified(table()), RecordIo::assignments(table()))
                .arg(table().fields.size() + 1);
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, RecordIo::values(prepared(record)));
        RecordIo::bind(st, int(table().fields.size()) + 1, trimTrailingSpaces(originalCategory));
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotUpdated);
    }
    return {};
}

StoreStatus CategoryManager::remove(const QString &category)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotDeleted); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereName;
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(category));
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotDeleted);
    }
    return {};
}

StoreStatus CategoryManager::list(std::vector<CategoryRecord> &out)
{
    out.clear();
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table()) + QStringLiteral(" ORDER BY KeyCategory, rowid");
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        while (st.executeStep()) {
            CategoryRecord r;
            RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), r);
            out.push_back(std::move(r));
        }
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

} // namespace pk
