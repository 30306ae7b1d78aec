#include "store/cathtmlmanager.h"

#include "store/collection.h"
#include "store/fieldtext.h"
#include "store/recordio.h"
#include "store/tableaccess.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

namespace pk {

namespace {

const TableDef &table() { return catHtmlTable(); }
const QString kWhereKey = QStringLiteral(
    " WHERE KeyCATEGORY = ?%1 AND KeyTypeOfHTML = ?%2");

} // namespace

CatHtmlManager::CatHtmlManager(Collection &collection)
    : m_collection(collection)
{
}

CatHtmlRecord CatHtmlManager::prepared(const CatHtmlRecord &record)
{
    QVariantList v = RecordIo::values(record);
    RecordIo::fit(table(), v);
    CatHtmlRecord out;
    RecordIo::assign(v, out);
    return out;
}

StoreStatus CatHtmlManager::get(const QString &category, const QString &typeOfHtml, CatHtmlRecord &out)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table())
                                                       + kWhereKey.arg(1).arg(2);
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(category));
        RecordIo::bind(st, 2, trimTrailingSpaces(typeOfHtml));
        if (!st.executeStep())
            return TableAccess::notFound(table());
        RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), out);
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

StoreStatus CatHtmlManager::insert(const CatHtmlRecord &record)
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

StoreStatus CatHtmlManager::change(const QString &category, const QString &typeOfHtml,
                                   const CatHtmlRecord &record)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotUpdated); !s)
        return s;
    try {
        const int n = int(table().fields.size());
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = (SELECT rowid FROM %1%3)")
                .arg(TableAccess::qualified(table()), RecordIo::assignments(table()),
                     kWhereKey.arg(n + 1).arg(n + 2));
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        TableAccess::bindAll(st, RecordIo::values(prepared(record)));
        RecordIo::bind(st, n + 1, trimTrailingSpaces(category));
        RecordIo::bind(st, n + 2, trimTrailingSpaces(typeOfHtml));
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotUpdated);
    }
    return {};
}

StoreStatus CatHtmlManager::remove(const QString &category, const QString &typeOfHtml)
{
    if (StoreStatus s = TableAccess::ready(m_collection, table(), true, Msg::RecordNotDeleted); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = QStringLiteral("DELETE FROM %1").arg(TableAccess::qualified(table())) + kWhereKey.arg(1).arg(2);
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(category));
        RecordIo::bind(st, 2, trimTrailingSpaces(typeOfHtml));
        if (st.exec() == 0)
            return TableAccess::notFound(table());
    } catch (const std::exception &e) {
        return TableAccess::writeError(e, table(), Msg::RecordNotDeleted);
    }
    return {};
}

StoreStatus CatHtmlManager::list(const QString &category, std::vector<CatHtmlRecord> &out)
{
    out.clear();
    if (StoreStatus s = TableAccess::ready(m_collection, table(), false); !s)
        return s;
    try {
        // Built once: the statement cache is keyed by the text.
        static const QString stSql = TableAccess::selectAll(table())
            + QStringLiteral(" WHERE KeyCATEGORY = ? ORDER BY KeyTypeOfHTML");
        SQLite::Statement &st = m_collection.statement(stSql);
        TableAccess::ResetOnExit reset(st);
        RecordIo::bind(st, 1, trimTrailingSpaces(category));
        while (st.executeStep()) {
            CatHtmlRecord r;
            RecordIo::assign(RecordIo::row(st, 1, int(table().fields.size())), r);
            out.push_back(std::move(r));
        }
    } catch (const std::exception &e) {
        return TableAccess::readError(e, table());
    }
    return {};
}

} // namespace pk
