#include "store/schemamanager.h"

#include "store/collation.h"
#include "store/sqliteerror.h"
#include "store/sqltext.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QLatin1StringView>
#include <QUrl>

namespace pk {

using namespace sqltext;

namespace {

constexpr const char *kOldLocationsName = "URL_L";
constexpr const char *kOldLocationsFile = "URL_L.TPS";
constexpr const char *kOldSchema = "pk_old";

bool tableExists(SQLite::Database &db, const char *schema, const QString &table)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT 1 FROM %1.sqlite_schema WHERE type = 'table' "
                                             "AND name = ? COLLATE NOCASE")
                                  .arg(str(schema))));
    st.bind(1, utf8(table));
    return st.executeStep();
}

QString actualTableName(SQLite::Database &db, const char *schema, const QString &table)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT name FROM %1.sqlite_schema WHERE type = "
                                             "'table' AND name = ? COLLATE NOCASE")
                                  .arg(str(schema))));
    st.bind(1, utf8(table));
    return st.executeStep() ? QString::fromUtf8(st.getColumn(0).getText()) : QString();
}

QStringList columnsOf(SQLite::Database &db, const char *schema, const QString &table)
{
    QStringList cols;
    SQLite::Statement
        st(db, utf8(QStringLiteral("PRAGMA %1.table_xinfo(\"%2\")").arg(str(schema), table)));
    while (st.executeStep())
        cols << QString::fromUtf8(st.getColumn(1).getText());
    return cols;
}

QString indexSqlStored(SQLite::Database &db, const char *schema, const char *index)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT sql FROM %1.sqlite_schema WHERE type = "
                                             "'index' AND name = ?")
                                  .arg(str(schema))));
    st.bind(1, index);
    return st.executeStep() ? QString::fromUtf8(st.getColumn(0).getText()) : QString();
}

QString columnDecl(const FieldDef &f)
{
    const QString type = f.isText() ? QStringLiteral("TEXT NOT NULL DEFAULT ''")
                                    : QStringLiteral("INTEGER NOT NULL DEFAULT 0");
    return QString::fromLatin1(f.column) + QLatin1Char(' ') + type;
}

QString qualifiedCreateIndex(const KeyDef &key, const char *schema)
{
    QString sql = SchemaManager::createIndexSql(key);
    // "CREATE INDEX name ON" -> "CREATE INDEX schema.name ON"
    const QString name = QString::fromLatin1(key.sqlIndex);
    sql.replace(QStringLiteral("INDEX ") + name,
                QStringLiteral("INDEX %1.%2").arg(str(schema), name));
    return sql;
}

std::vector<const TableDef *> tablesOf(TableFile file)
{
    std::vector<const TableDef *> out;
    for (const TableDef *t : collectionTables()) {
        if (t->file == file)
            out.push_back(t);
    }
    return out;
}

bool oldLocationsFileUsable(const QString &folder, QString &path)
{
    path = folder + QLatin1Char('/') + str(kOldLocationsFile);
    return QFileInfo(path).isFile() && QFileInfo(path).isReadable();
}

/// Copies the rows of the previous version's Locations file, mapping columns by name.
void copyOldLocations(SQLite::Database &db, const char *schema)
{
    QString source;
    for (const char *candidate : {kOldLocationsName, "Locations"}) {
        source = actualTableName(db, kOldSchema, str(candidate));
        if (!source.isEmpty())
            break;
    }
    if (source.isEmpty())
        return;
    const QStringList oldCols = columnsOf(db, kOldSchema, source);
    const TableDef &t = locationsTable();
    QStringList to, from;
    for (const FieldDef &f : t.fields) {
        for (const QString &c : oldCols) {
            if (c.compare(QLatin1StringView(f.column), Qt::CaseInsensitive) == 0) {
                to << QString::fromLatin1(f.column);
                // Old records kept fixed-length text padded with spaces.
                from << (f.isText() ? QStringLiteral("rtrim(coalesce(\"%1\", ''), ' ')").arg(c)
                                    : QStringLiteral("coalesce(\"%1\", 0)").arg(c));
            }
        }
    }
    if (!to.contains(QStringLiteral("Location")))
        return;
    db.exec(utf8(QStringLiteral("INSERT INTO %1.Locations (%2) SELECT %3 FROM %4.\"%5\"")
                     .arg(str(schema),
                          to.join(QStringLiteral(", ")),
                          from.join(QStringLiteral(", ")),
                          str(kOldSchema),
                          source)));
}

} // namespace

QString SchemaManager::metaValue(SQLite::Database &db,
                                 const char *schema,
                                 const QString &name,
                                 bool *found)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("SELECT Value FROM %1.%2 WHERE Name = ?")
                                  .arg(str(schema), str(MetaTable))));
    st.bind(1, utf8(name));
    const bool has = st.executeStep();
    if (found)
        *found = has;
    return has ? QString::fromUtf8(st.getColumn(0).getText()) : QString();
}

void SchemaManager::setMetaValue(SQLite::Database &db,
                                 const char *schema,
                                 const QString &name,
                                 const QString &value)
{
    SQLite::Statement st(db,
                         utf8(QStringLiteral("INSERT OR REPLACE INTO %1.%2 (Name, Value) "
                                             "VALUES (?, ?)")
                                  .arg(str(schema), str(MetaTable))));
    st.bind(1, utf8(name));
    st.bind(2, utf8(value));
    st.exec();
}

std::vector<std::pair<QString, QString>> SchemaManager::extraIndexes(const TableDef &table)
{
    // One tiny entry per row (a constant and the row id): counting a million locations reads
    // this instead of a wide key. No condition ever matches it, so it never misleads the planner.
    if (&table == &locationsTable())
        return {{QStringLiteral("URL_Count"),
                 QStringLiteral("CREATE INDEX URL_Count ON Locations ((0))")}};
    return {};
}

QString SchemaManager::ownerCheck(const QByteArray &ownerValue)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(QByteArrayLiteral("pathkeep collection owner\n"));
    h.addData(ownerValue);
    return QString::fromLatin1(h.result().toHex());
}

QString SchemaManager::kindName(TableFile file)
{
    switch (file) {
    case TableFile::Data:
        return QStringLiteral("Data");
    case TableFile::Categories:
        return QStringLiteral("Categories");
    case TableFile::CatHtml:
        return QStringLiteral("CatHtml");
    }
    return {};
}

QString SchemaManager::keyColumn(const KeyComponent &c)
{
    const QString col = QString::fromLatin1(c.column);
    if (c.collation == KeyCollation::None && !c.descending)
        return col;
    return QStringLiteral("Key") + col;
}

QStringList SchemaManager::componentExpressions(const KeyComponent &c)
{
    if (c.collation == KeyCollation::NoCaseExact)
        return {keyColumn(c), QString::fromLatin1(c.column)};
    return {keyColumn(c)};
}

std::vector<std::pair<QString, QString>> SchemaManager::keyColumns(const TableDef &table)
{
    std::vector<std::pair<QString, QString>> out;
    for (const KeyDef *k : table.keys) {
        for (const KeyComponent &c : k->components) {
            const QString name = keyColumn(c);
            if (name == QLatin1String(c.column))
                continue;
            if (std::any_of(out.begin(), out.end(), [&](const auto &p) { return p.first == name; }))
                continue;
            const QString col = QString::fromLatin1(c.column);
            const QString decl
                = c.collation == KeyCollation::None
                      ? QStringLiteral("%1 INTEGER GENERATED ALWAYS AS (-%2) VIRTUAL").arg(name, col)
                      : QStringLiteral("%1 TEXT COLLATE PKNOCASE GENERATED ALWAYS AS (%2) VIRTUAL")
                            .arg(name, col);
            out.emplace_back(name, decl);
        }
    }
    return out;
}

QStringList SchemaManager::keyExpressions(const KeyDef &key)
{
    QStringList out;
    for (const KeyComponent &c : key.components)
        out << componentExpressions(c);
    return out;
}

QString SchemaManager::createTableSql(const TableDef &table)
{
    QStringList cols;
    for (const FieldDef &f : table.fields)
        cols << columnDecl(f);
    for (const auto &[name, decl] : keyColumns(table))
        cols << decl;
    return QStringLiteral("CREATE TABLE %1.%2 (%3)")
        .arg(str(table.schema), str(table.sqlTable), cols.join(QStringLiteral(", ")));
}

QString SchemaManager::createIndexSql(const KeyDef &key)
{
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(key.unique ? QStringLiteral("UNIQUE ") : QString(),
             str(key.sqlIndex),
             str(key.table()->sqlTable),
             keyExpressions(key).join(QStringLiteral(", ")));
}

int SchemaManager::dropSecondaryKeys(SQLite::Database &db, const char *schema, const TableDef &table)
{
    int dropped = 0;
    for (const KeyDef *k : table.keys) {
        if (k->unique || !k->sqlIndex || !*k->sqlIndex
            || indexSqlStored(db, schema, k->sqlIndex).isEmpty())
            continue;
        db.exec(utf8(QStringLiteral("DROP INDEX %1.%2").arg(str(schema), str(k->sqlIndex))));
        ++dropped;
    }
    return dropped;
}

void SchemaManager::restoreKeys(SQLite::Database &db, const char *schema, const TableDef &table)
{
    for (const KeyDef *k : table.keys) {
        if (k->sqlIndex && *k->sqlIndex && indexSqlStored(db, schema, k->sqlIndex).isEmpty())
            db.exec(utf8(qualifiedCreateIndex(*k, schema)));
    }
}

StoreStatus SchemaManager::inspect(SQLite::Database &db, const char *schema, FileInfo &out)
{
    out = {};
    try {
        SQLite::Statement app(db, utf8(QStringLiteral("PRAGMA %1.application_id").arg(str(schema))));
        app.executeStep();
        const int appId = app.getColumn(0).getInt();
        out.sqlite = true;
        SQLite::Statement count(db,
                                utf8(QStringLiteral("SELECT count(*) FROM %1.sqlite_schema")
                                         .arg(str(schema))));
        count.executeStep();
        out.empty = count.getColumn(0).getInt() == 0 && appId == 0;
        if (appId != ApplicationId || !tableExists(db, schema, str(MetaTable)))
            return {};
        out.kind = SchemaManager::metaValue(db, schema, QStringLiteral("Kind"));
        out.owner = SchemaManager::metaValue(db, schema, QStringLiteral("Owner"));
        out.collationVersion
            = SchemaManager::metaValue(db, schema, QStringLiteral("Collation")).toInt();
        out.ours = !out.kind.isEmpty();
        return {};
    } catch (const std::exception &e) {
        return SqliteError::fromException(e);
    }
}

int SchemaManager::storedVersion(SQLite::Database &db, const TableDef &table)
{
    try {
        return SchemaManager::metaValue(db,
                                        table.schema,
                                        QStringLiteral("Version:") + str(table.sqlTable))
            .toInt();
    } catch (const std::exception &) {
        return 0;
    }
}

bool SchemaManager::needsUpgrade(SQLite::Database &db, TableFile file, const char *schema)
{
    for (const TableDef *t : tablesOf(file)) {
        if (tableExists(db, schema, str(t->sqlTable)) && storedVersion(db, *t) != t->version)
            return true;
    }
    return needsConversion(db, file, schema);
}

bool SchemaManager::needsConversion(SQLite::Database &db, TableFile file, const char *schema)
{
    for (const TableDef *t : tablesOf(file)) {
        if (!tableExists(db, schema, str(t->sqlTable)))
            return true;
        // Versions 1 and 2 of Locations lack columns, which the loop below finds.
        const QStringList cols = columnsOf(db, schema, str(t->sqlTable));
        for (const FieldDef &f : t->fields) {
            if (!cols.contains(QString::fromLatin1(f.column), Qt::CaseInsensitive))
                return true;
        }
        for (const auto &[name, decl] : keyColumns(*t)) {
            if (!cols.contains(name, Qt::CaseInsensitive))
                return true;
        }
        for (const KeyDef *k : t->keys) {
            if (indexSqlStored(db, schema, k->sqlIndex) != createIndexSql(*k))
                return true;
        }
        for (const auto &[name, sql] : extraIndexes(*t)) {
            if (indexSqlStored(db, schema, name.toLatin1().constData()) != sql)
                return true;
        }
    }
    return false;
}

namespace {

/// Attaches the previous version's Locations file (read only) when the collection has no
/// Locations yet and the file can be converted. True when it is attached.
bool attachOldLocations(SQLite::Database &db, const char *schema, const QString &folder)
{
    QString oldPath;
    if (tableExists(db, schema, str(locationsTable().sqlTable))
        || tableExists(db, schema, str(kOldLocationsName))
        || !oldLocationsFileUsable(folder, oldPath))
        return false;
    bool attached = false;
    try {
        SQLite::Statement
            attach(db, utf8(QStringLiteral("ATTACH DATABASE ? AS %1").arg(str(kOldSchema))));
        attach.bind(1,
                    utf8(QUrl::fromLocalFile(oldPath).toString(QUrl::FullyEncoded)
                         + QStringLiteral("?mode=ro")));
        attach.exec();
        attached = true;
        // A file that is not a database is left alone; the collection starts without it.
        SQLite::Statement probe(db,
                                utf8(QStringLiteral("SELECT count(*) FROM %1.sqlite_schema")
                                         .arg(str(kOldSchema))));
        probe.executeStep();
    } catch (const std::exception &e) {
        qWarning("Pathkeep: %s not converted: %s", kOldLocationsFile, e.what());
        if (attached) {
            try {
                db.exec(utf8(QStringLiteral("DETACH DATABASE %1").arg(str(kOldSchema))));
            } catch (...) {
            }
        }
        attached = false;
    }
    return attached;
}

/// The meta table of a new file: what it holds, whose it is, its collation.
void writeFreshMeta(SQLite::Database &db,
                    TableFile file,
                    const char *schema,
                    const QByteArray &ownerValue)
{
    db.exec(utf8(QStringLiteral("PRAGMA %1.application_id = %2")
                     .arg(str(schema))
                     .arg(SchemaManager::ApplicationId)));
    db.exec(utf8(QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (Name TEXT PRIMARY KEY, "
                                "Value TEXT NOT NULL)")
                     .arg(str(schema), str(SchemaManager::MetaTable))));
    SchemaManager::setMetaValue(db, schema, QStringLiteral("Kind"), SchemaManager::kindName(file));
    if (file == TableFile::Data)
        SchemaManager::setMetaValue(db,
                                    schema,
                                    QStringLiteral("Owner"),
                                    SchemaManager::ownerCheck(ownerValue));
    SchemaManager::setMetaValue(db,
                                schema,
                                QStringLiteral("Collation"),
                                QString::number(Collation::version()));
}

/// Drops indexes that are not the table's keys (left from an older structure) and rebuilds
/// the keys whose definition changed.
void refreshIndexes(SQLite::Database &db, const char *schema, const TableDef &t, const QString &name)
{
    QStringList ours;
    for (const KeyDef *k : t.keys)
        ours << str(k->sqlIndex);
    for (const auto &[extra, sql] : SchemaManager::extraIndexes(t))
        ours << extra;
    QStringList stale;
    {
        SQLite::Statement st(db,
                             utf8(QStringLiteral("SELECT name FROM %1.sqlite_schema WHERE "
                                                 "type = 'index' AND tbl_name = ? AND "
                                                 "sql IS NOT NULL")
                                      .arg(str(schema))));
        st.bind(1, utf8(name));
        while (st.executeStep()) {
            const QString idx = QString::fromUtf8(st.getColumn(0).getText());
            if (!ours.contains(idx))
                stale << idx;
        }
    }
    for (const QString &idx : stale)
        db.exec(utf8(QStringLiteral("DROP INDEX %1.\"%2\"").arg(str(schema), idx)));
    for (const KeyDef *k : t.keys) {
        if (indexSqlStored(db, schema, k->sqlIndex) == SchemaManager::createIndexSql(*k))
            continue;
        db.exec(
            utf8(QStringLiteral("DROP INDEX IF EXISTS %1.%2").arg(str(schema), str(k->sqlIndex))));
        db.exec(utf8(qualifiedCreateIndex(*k, schema)));
    }
    for (const auto &[extra, sql] : SchemaManager::extraIndexes(t)) {
        if (indexSqlStored(db, schema, extra.toLatin1().constData()) == sql)
            continue;
        db.exec(utf8(QStringLiteral("DROP INDEX IF EXISTS %1.%2").arg(str(schema), extra)));
        QString qualifiedSql = sql;
        qualifiedSql.replace(QStringLiteral("INDEX ") + extra,
                             QStringLiteral("INDEX %1.%2").arg(str(schema), extra));
        db.exec(utf8(qualifiedSql));
    }
}

/// Brings one table to the current structure, keeping its rows.
void upgradeTable(SQLite::Database &db, const char *schema, const TableDef &t, bool oldAttached)
{
    const QString name = str(t.sqlTable);
    if (!tableExists(db, schema, name) && &t == &locationsTable()
        && tableExists(db, schema, str(kOldLocationsName))) {
        db.exec(utf8(QStringLiteral("ALTER TABLE %1.%2 RENAME TO %3")
                         .arg(str(schema), str(kOldLocationsName), name)));
        SchemaManager::setMetaValue(db,
                                    schema,
                                    QStringLiteral("ConvertedFrom"),
                                    str(kOldLocationsName));
    }
    if (!tableExists(db, schema, name)) {
        db.exec(utf8(SchemaManager::createTableSql(t)));
        if (&t == &locationsTable() && oldAttached) {
            copyOldLocations(db, schema);
            SchemaManager::setMetaValue(db,
                                        schema,
                                        QStringLiteral("ConvertedFrom"),
                                        str(kOldLocationsFile));
        }
    }
    // Fields added since the table was written get their empty value.
    const QStringList cols = columnsOf(db, schema, name);
    for (const FieldDef &f : t.fields) {
        if (!cols.contains(QString::fromLatin1(f.column), Qt::CaseInsensitive))
            db.exec(utf8(QStringLiteral("ALTER TABLE %1.%2 ADD COLUMN %3")
                             .arg(str(schema), name, columnDecl(f))));
    }
    // Key columns: the values the keys order by (case-free text, negated numbers).
    for (const auto &[keyName, decl] : SchemaManager::keyColumns(t)) {
        if (!cols.contains(keyName, Qt::CaseInsensitive))
            db.exec(utf8(
                QStringLiteral("ALTER TABLE %1.%2 ADD COLUMN %3").arg(str(schema), name, decl)));
    }
    refreshIndexes(db, schema, t, name);
    SchemaManager::setMetaValue(db,
                                schema,
                                QStringLiteral("Version:") + name,
                                QString::number(t.version));
}

} // namespace

StoreStatus SchemaManager::upgrade(SQLite::Database &db,
                                   TableFile file,
                                   const char *schema,
                                   const QString &folder,
                                   const QByteArray &ownerValue,
                                   bool fresh)
{
    // The previous version kept Locations in a file of its own; attach it (read only) before
    // the transaction, since attaching is not allowed inside one.
    const bool oldAttached = file == TableFile::Data && attachOldLocations(db, schema, folder);

    StoreStatus result;
    try {
        db.exec("SAVEPOINT pk_upgrade");
        try {
            if (fresh)
                writeFreshMeta(db, file, schema, ownerValue);
            for (const TableDef *t : tablesOf(file))
                upgradeTable(db, schema, *t, oldAttached);
            db.exec("RELEASE pk_upgrade");
        } catch (...) {
            db.exec("ROLLBACK TO pk_upgrade");
            db.exec("RELEASE pk_upgrade");
            throw;
        }
    } catch (const std::exception &e) {
        result = SqliteError::fromException(e);
    }
    if (oldAttached) {
        try {
            db.exec(utf8(QStringLiteral("DETACH DATABASE %1").arg(str(kOldSchema))));
        } catch (...) {
        }
    }
    return result;
}

} // namespace pk
