#include "store/tableaccess.h"

#include "store/collection.h"
#include "store/recordio.h"
#include "store/sqliteerror.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <sqlite3.h>

namespace pk::TableAccess {

ResetOnExit::~ResetOnExit()
{
    try {
        m_st.reset();
    } catch (...) {
    }
}

void bindAll(SQLite::Statement &st, const QVariantList &values, int first, QByteArrayList *keep)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        RecordIo::bind(st, first + int(i), values[i], keep);
}

StoreStatus duplicate(const TableDef &table)
{
    const KeyDef *unique = nullptr;
    for (const KeyDef *k : table.keys) {
        if (k->unique) {
            unique = k;
            break;
        }
    }
    StoreStatus s = StoreStatus::failure(StoreError::DuplicateKey,
                                         QStringLiteral("Duplicate key: %1")
                                             .arg(QString::fromLatin1(unique ? unique->name
                                                                             : table.sqlTable)),
                                         SQLITE_CONSTRAINT_UNIQUE);
    s.catalogueNumber = Msg::DuplicateKey;
    s.context.file = QString::fromLatin1(table.sqlTable);
    if (unique) {
        s.context.key = QString::fromLatin1(unique->name);
        s.context.message = QString::fromLatin1(unique->description);
        if (s.context.message.isEmpty())
            s.context.message = s.context.key;
    }
    return s;
}

StoreStatus writeError(const std::exception &e, const TableDef &table, std::uint16_t catalogue)
{
    StoreStatus s = SqliteError::fromException(e, QString::fromLatin1(table.sqlTable));
    if (s.error == StoreError::DuplicateKey)
        return duplicate(table);
    s.catalogueNumber = catalogue;
    return s;
}

StoreStatus readError(const std::exception &e, const TableDef &table)
{
    StoreStatus s = SqliteError::fromException(e, QString::fromLatin1(table.sqlTable));
    s.catalogueNumber = Msg::RecordRetrievalError;
    return s;
}

StoreStatus notFound(const TableDef &table)
{
    StoreStatus s = StoreStatus::failure(StoreError::RecordNotFound,
                                         QStringLiteral("Record not found"),
                                         SQLITE_NOTFOUND);
    s.context.file = QString::fromLatin1(table.sqlTable);
    return s;
}

StoreStatus ready(const Collection &c, const TableDef &table, bool write, std::uint16_t catalogue)
{
    const CollectionFile f = Collection::fileOf(table);
    if (StoreStatus s = c.requireOpen(f); !s)
        return s;
    if (write && c.isReadOnly(f)) {
        StoreStatus s = StoreStatus::failure(StoreError::AccessDenied,
                                             QStringLiteral("Access denied: %1 is read-only")
                                                 .arg(Collection::fileName(f)),
                                             SQLITE_READONLY);
        s.catalogueNumber = catalogue;
        s.context.file = c.filePath(f);
        return s;
    }
    return {};
}

QString qualified(const TableDef &table)
{
    return QString::fromLatin1(table.schema) + QLatin1Char('.')
           + QString::fromLatin1(table.sqlTable);
}

QString selectAll(const TableDef &table)
{
    return QStringLiteral("SELECT rowid, %1 FROM %2")
        .arg(RecordIo::columnList(table), qualified(table));
}

QString insertSql(const TableDef &table)
{
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(qualified(table), RecordIo::columnList(table), RecordIo::markers(table));
}

} // namespace pk::TableAccess
