#pragma once

#include "store/fields.h"
#include "store/storestatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace SQLite {
class Database;
}

namespace pk {

/**
 * @brief The SQL shape of the collection files: tables, key indexes, the meta table with the
 * owner check and structure versions, and the upgrades from older structures.
 */
class SchemaManager final
{
public:
    /// application_id written into every collection file ('PKC1').
    static constexpr int ApplicationId = 0x504B4331;
    static constexpr const char *MetaTable = "PkMeta";

    /// The check stored in URLDATA.TPS for an owner value.
    static QString ownerCheck(const QByteArray &ownerValue);

    /**
     * Keys order by generated key columns: `KeyDescription` is Description with the PKNOCASE
     * collation, `KeyRating` is -Rating (so "highest first" is ascending). Indexes on plain
     * columns let SQLite serve row-value comparisons such as (KeyRating, KeyDescription) > (?, ?)
     * from the index, which expression indexes do not.
     */
    static QString keyColumn(const KeyComponent &component);
    /// Index columns of a key in order. A NoCaseExact text adds the exact text after the
    /// case-free one: (KeyLocation, Location).
    static QStringList keyExpressions(const KeyDef &key);
    /// Index columns that belong to key component `component`.
    static QStringList componentExpressions(const KeyComponent &component);
    /// Generated key columns of a table: name and declaration.
    static std::vector<std::pair<QString, QString>> keyColumns(const TableDef &table);
    /// Indexes beside the keys: name and CREATE statement.
    static std::vector<std::pair<QString, QString>> extraIndexes(const TableDef &table);
    static QString createTableSql(const TableDef &table);
    static QString createIndexSql(const KeyDef &key);
    /**
     * Drops the indexes of `table`'s keys that need not be unique (the unique ones keep
     * refusing duplicates) and returns how many there were. A batch that writes many rows
     * into a table about as large as the batch builds them again faster in one sorted pass
     * (restoreKeys) than row by row.
     */
    static int dropSecondaryKeys(SQLite::Database &db, const char *schema, const TableDef &table);
    /// Creates every index of `table`'s keys that is missing.
    static void restoreKeys(SQLite::Database &db, const char *schema, const TableDef &table);

    /// What the meta table says about a file.
    struct FileInfo
    {
        bool sqlite = false; ///< readable SQLite database
        bool empty = false;  ///< no schema at all (a file created and never filled)
        bool ours = false;   ///< our application id and meta table of the right kind
        QString kind;        ///< "Data", "Categories", "CatHtml"
        QString owner;       ///< owner check (Data only)
        int collationVersion = 0;
    };

    /// Reads the identity of an attached schema without writing anything.
    static StoreStatus inspect(SQLite::Database &db, const char *schema, FileInfo &out);

    /**
     * Brings the tables of `file` in `schema` up to date: creates missing tables and keys,
     * renames the former URL_L table to Locations, copies an old URL_L.TPS from `folder`, adds
     * missing columns and records the versions. `fresh` writes the identity of a new file.
     */
    static StoreStatus upgrade(SQLite::Database &db,
                               TableFile file,
                               const char *schema,
                               const QString &folder,
                               const QByteArray &ownerValue,
                               bool fresh);
    /// True when upgrade() would change something.
    static bool needsUpgrade(SQLite::Database &db, TableFile file, const char *schema);
    /**
     * True when the tables, columns or keys of `file` differ from the program's. A file whose
     * only difference is an older structure version (one whose rows need no change, such as
     * the wider addresses) can be read as it is: read-only files are checked with this.
     */
    static bool needsConversion(SQLite::Database &db, TableFile file, const char *schema);

    static int storedVersion(SQLite::Database &db, const TableDef &table);
    static QString kindName(TableFile file);
    /// A value of the file's meta table (empty when there is none; `found` tells which).
    static QString metaValue(SQLite::Database &db,
                             const char *schema,
                             const QString &name,
                             bool *found = nullptr);
    static void setMetaValue(SQLite::Database &db,
                             const char *schema,
                             const QString &name,
                             const QString &value);
};

} // namespace pk
