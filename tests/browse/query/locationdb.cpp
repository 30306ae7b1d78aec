#include "locationdb.h"

#include "browse/query/queryexpression.h"
#include "browse/query/queryfieldtexts.h"
#include "store/sqlfunctions.h"

#include <sqlite3.h>

#include <stdexcept>

namespace pk::test {

namespace {

void bindAll(sqlite3_stmt *stmt, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(stmt, i + 1, v.toDouble());
            break;
        default: {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(stmt,
                              i + 1,
                              utf8.constData(),
                              static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
        }
    }
}

} // namespace

LocationDb::LocationDb()
{
    if (sqlite3_open(":memory:", &m_db) != SQLITE_OK)
        throw std::runtime_error("cannot open an in-memory database");
    registerSqlFunctions(m_db);
    const char *schema
        = "CREATE TABLE Locations (Location TEXT NOT NULL PRIMARY KEY, Description TEXT NOT NULL "
          "DEFAULT '', Category TEXT NOT NULL DEFAULT '', Rating INTEGER NOT NULL DEFAULT 0, "
          "Keyword TEXT NOT NULL DEFAULT '', SiteInfo TEXT NOT NULL DEFAULT '', LastVisit INTEGER "
          "NOT NULL DEFAULT 0, LastValidated INTEGER NOT NULL DEFAULT 0, Validated INTEGER NOT "
          "NULL "
          "DEFAULT 0, MovedTo TEXT NOT NULL DEFAULT '', Comments TEXT NOT NULL DEFAULT '', "
          "UserName "
          "TEXT NOT NULL DEFAULT '', Password TEXT NOT NULL DEFAULT '', Expires INTEGER NOT NULL "
          "DEFAULT 0, PageSize INTEGER NOT NULL DEFAULT 0, EmailAddress TEXT NOT NULL DEFAULT '', "
          "OriginalFilename TEXT NOT NULL DEFAULT '', Custom1 TEXT NOT NULL DEFAULT '', Custom2 "
          "TEXT "
          "NOT NULL DEFAULT '', Custom3 TEXT NOT NULL DEFAULT '')";
    if (sqlite3_exec(m_db, schema, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(m_db));
    m_fields.load(QueryFieldTexts::locations());
}

LocationDb::~LocationDb()
{
    sqlite3_close(m_db);
}

void LocationDb::insert(const LocationRow &row)
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(m_db,
                       "INSERT INTO Locations (Location, Description, Category, Rating, Validated, "
                       "LastVisit, Expires, Custom1) VALUES (?,?,?,?,?,?,?,?)",
                       -1,
                       &stmt,
                       nullptr);
    bindAll(stmt,
            {row.Location,
             row.Description,
             row.Category,
             qlonglong(row.Rating),
             qlonglong(row.Validated),
             qlonglong(row.LastVisit),
             qlonglong(row.Expires),
             row.Custom1});
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(m_db));
}

QStringList LocationDb::select(const QString &expression,
                               QString *error,
                               const QHash<QString, QVariant> &variables) const
{
    const QueryExpression e = QueryExpression::parse(expression);
    QueryCompileContext context;
    context.resolveField = m_fields.resolver();
    for (auto it = variables.begin(); it != variables.end(); ++it)
        context.setVariable(it.key(), it.value());
    QueryError qerr;
    const std::optional<SqlFilter> filter = e.compile(context, qerr);
    if (!filter) {
        if (error)
            *error = qerr.describe();
        return {};
    }
    QString sql = QStringLiteral("SELECT Location FROM Locations");
    if (!filter->where.isEmpty())
        sql += QStringLiteral(" WHERE ") + filter->where;
    sql += QStringLiteral(" ORDER BY rowid");
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return {};
    }
    bindAll(stmt, filter->bindings);
    QStringList out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        out.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0))));
    if (rc != SQLITE_DONE && error)
        *error = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_finalize(stmt);
    if (error && rc == SQLITE_DONE)
        error->clear();
    return out;
}

bool LocationDb::prepares(const SqlFilter &filter, QString *error) const
{
    const QString sql = QStringLiteral("SELECT count(*) FROM Locations WHERE ") + filter.where;
    sqlite3_stmt *stmt = nullptr;
    const bool ok = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr)
                        == SQLITE_OK
                    && sqlite3_bind_parameter_count(stmt) == filter.bindings.size();
    if (!ok && error)
        *error = QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" in ") + sql;
    if (ok) {
        bindAll(stmt, filter.bindings);
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_ROW && error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(stmt);
        return rc == SQLITE_ROW;
    }
    sqlite3_finalize(stmt);
    return false;
}

QVariant LocationDb::scalar(const QString &sql) const
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return {};
    QVariant v;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        if (sqlite3_column_type(stmt, 0) == SQLITE_INTEGER)
            v = qlonglong(sqlite3_column_int64(stmt, 0));
        else
            v = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    return v;
}

} // namespace pk::test
