#pragma once

#include "store/fields.h"
#include "store/storestatus.h"

#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <unordered_map>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

namespace pk {

class LocationManager;
class CategoryManager;
class DetailManager;
class KeywordManager;
class ConfigurationManager;
class CatHtmlManager;

/// The three files of a collection: URLDATA.TPS, URL_C.TPS, URL_H.TPS.
enum class CollectionFile { Data, Categories, CatHtml };

/**
 * @brief One collection folder: its three SQLite files on one connection, and the record
 * managers over them.
 *
 * URLDATA.TPS is the connection's `main` schema; URL_C.TPS is attached as `cat` and URL_H.TPS as
 * `htm`. Until URLDATA.TPS is opened, `main` is a private in-memory database. A file is only
 * written after it passed the checks of `open()`, so a foreign or damaged file is never changed.
 * Not thread-safe: use one Collection per thread.
 */
class Collection final
{
public:
    explicit Collection(QString folder); ///< does not open anything
    /// A collection checked against another owner value than the program's own (tools, tests).
    Collection(QString folder, QByteArray ownerValue);
    ~Collection();
    Collection(const Collection &) = delete;
    Collection &operator=(const Collection &) = delete;

    QString folder() const { return m_folder; }
    static QString fileName(CollectionFile f);       ///< "URLDATA.TPS", "URL_C.TPS", "URL_H.TPS"
    static const char *schemaName(CollectionFile f); ///< "main", "cat", "htm"
    QString filePath(CollectionFile f) const;

    /**
     * Opens one file. FileNotFound when it is missing and `create` is false; creates it empty
     * when missing and `create` is true (AccessDenied when the folder is not writable);
     * InvalidFile for a file that is not ours (not SQLite, no meta table, other owner) — such a
     * file is never modified; AccessDenied when it cannot be read; Locked when another process
     * holds it; InvalidKeyFile when its keys need rebuilding. A file or folder without write
     * permission is opened read-only (see isReadOnly()). Brings older structures up to date,
     * keeping every record (including Locations formerly stored as URL_L).
     */
    StoreStatus open(CollectionFile f, bool create);
    /// Opens Data, Categories and CatHtml in that order; stops at the first failure.
    StoreStatus openAll(bool create);
    bool isOpen(CollectionFile f) const;
    bool isReadOnly(CollectionFile f) const;
    void close(); ///< closes every file (collection switch)

    /// Rebuilds every key of the file (REINDEX) and records the current collation version.
    StoreStatus rebuildKeys(CollectionFile f);
    /// Closes the file and opens it again, letting SQLite roll back an interrupted transaction.
    StoreStatus recover(CollectionFile f);
    /**
     * Puts the finished database `replacement` (on the same file system) in the place of file
     * `f`: the file is taken off the connection, its journal files removed, the replacement
     * renamed over it and, when it was open before, opened again. The former file is kept as
     * `keepFormerAs` when that is not empty, and removed otherwise.
     */
    StoreStatus replaceFile(CollectionFile f,
                            const QString &replacement,
                            const QString &keepFormerAs = {});
    /// Full consistency check of a file's records and keys (slow on big files).
    StoreStatus checkFile(CollectionFile f);
    /// Copies the file into a compacted copy and replaces it (VACUUM).
    StoreStatus pack(CollectionFile f);

    LocationManager &locations();
    CategoryManager &categories();
    DetailManager &details();
    KeywordManager &keywords();
    ConfigurationManager &configuration();
    CatHtmlManager &catHtml();

    /// The shared connection (views and batch work). Valid after the first open().
    SQLite::Database &db();
    /**
     * A new read-only connection to the files open on this one, under the same schema names and
     * with the same collation and functions: for reading on another thread. It sees what was
     * committed, not this connection's open transaction. Null (and the reason in `status`) when
     * the location file is not open or the connection cannot be made.
     */
    std::unique_ptr<SQLite::Database> openReader(StoreStatus &status) const;
    /// A prepared statement kept for the life of the connection; reset before it is returned.
    SQLite::Statement &statement(const QString &sql);

    /**
     * Runs `work` inside a transaction: commits when it returns success, rolls back otherwise
     * (also when it throws). Nested calls use savepoints. Batch writers use this: one commit for
     * many records is many times faster than one per record.
     */
    StoreStatus transaction(const std::function<StoreStatus()> &work);
    bool inTransaction() const { return m_txDepth > 0; }
    /**
     * Changes whenever a row of Categories changes through this connection and whenever a
     * transaction or savepoint ends (a rollback may undo such a change). Inside a transaction no
     * other connection changes what this one sees, so an answer about Categories stays true
     * while this value stays the same.
     */
    quint64 categoriesGeneration() const { return m_categoriesGeneration; }

    /// Changes to the open files committed by other connections (other programs) show as a
    /// different value; this connection's own commits do not. Cheap enough to poll.
    using DataVersion = std::array<qint64, 3>;
    DataVersion dataVersion();

    /**
     * Whether URLDATA.TPS carries the substring index of "contains" searches (on unless
     * switched off before the file is opened). On, a writable open creates a missing index;
     * off, it removes one.
     */
    void setTextIndexWanted(bool wanted) { m_textIndexWanted = wanted; }
    /// True when the substring index is complete and may narrow searches.
    bool textIndexComplete();
    /**
     * Indexes up to `rows` more locations of an index still being filled, in one transaction;
     * `complete` tells whether the index is complete (or there is none to fill).
     */
    StoreStatus fillTextIndex(int rows, bool &complete);
    /// Told by LocationManager after each insert, change and delete: a batch of many has its
    /// rows indexed in one pass when it commits. A batch inserting at least as many locations
    /// as the collection held before it also builds the list's other keys in one pass then.
    void locationWritten(bool inserted = false);
    /// Leaves the substring index of the rows the current transaction writes from now on to
    /// one pass at its commit (a batch known to write many rows).
    void deferTextIndex();
    /// A batch about to write `rows` locations (changes whose columns the list's keys order
    /// by): when that is at least half the collection, those keys are built in one sorted pass
    /// at the commit instead of row by row. Call inside the batch's transaction.
    void expectLocationWrites(qint64 rows);
    /**
     * For an import of many batches: the substring index leaves every row written from now on
     * to releaseTextIndex(), over all the commits until then, instead of indexing each batch
     * at its commit (each such pass costs a new part of the index and its merging). Until the
     * release the index is not used for searches; should the program end before it, the index
     * is left to fill as for any file with rows not yet indexed. Call inside a transaction.
     */
    void holdTextIndex();
    /// Ends holdTextIndex(): indexes the rows left out, in one pass and one transaction (or in
    /// the caller's). Nothing when the index is not held.
    StoreStatus releaseTextIndex();
    /// Rows this connection inserted, changed or deleted since it opened: with dataVersion(),
    /// tells whether anything may have changed since an earlier look.
    qint64 ownChanges() const;

    /// Schema version stored for a table (0 when the table's file is not open).
    int storedVersion(const TableDef &table);

    /// FileNotOpen status when `f` is not open, success otherwise.
    StoreStatus requireOpen(CollectionFile f) const;
    /// The file a table lives in.
    static CollectionFile fileOf(const TableDef &table);

private:
    /// Process-wide SQLite settings, made once before the first connection.
    static void configureSqlite();
    /// Leaves the list's secondary location keys to the commit when the batch writes at least
    /// half as many rows as the table holds (`written`, so far or expected).
    void deferKeys(qint64 written);

    struct FileState
    {
        bool open = false;
        bool readOnly = false;
    };

    /// How open() puts one file on the connection.
    struct OpenPlan
    {
        QString path;
        bool creating = false; ///< the file does not exist yet and is made empty
        bool readOnly = false;
        bool fresh = false; ///< new or empty: gets the current structure
    };

    StoreStatus planOpen(CollectionFile f, bool create, OpenPlan &plan) const;
    /// Puts the file on the connection; takes it off again itself when that fails.
    StoreStatus placeFile(CollectionFile f, const OpenPlan &plan);
    /// Takes a placed file off the connection again (and removes it when it was just created).
    void unplaceFile(CollectionFile f, const OpenPlan &plan);
    StoreStatus checkIdentity(CollectionFile f, bool create, OpenPlan &plan, int &collationVersion);
    /// Write-ahead log, structure upgrades; for a read-only file, only the check that it
    /// needs none.
    StoreStatus prepareFile(CollectionFile f, const OpenPlan &plan);
    /// Creates or removes the substring index as wanted; a failure only leaves searches
    /// scanning.
    void prepareTextIndex();
    /// ATTACHes `f` under its schema name (throws on failure).
    void attach(CollectionFile f, const char *mode);
    StoreStatus connect(const QString &mainUri, bool readOnly);
    StoreStatus reconnect();
    void disconnect();
    StoreStatus fileStatus(CollectionFile f,
                           StoreError error,
                           const QString &text,
                           int code = 0,
                           std::uint16_t catalogue = 0) const;

    QString m_folder;
    QByteArray m_owner;
    std::unique_ptr<SQLite::Database> m_db;
    std::array<FileState, 3> m_files;
    struct SqlHash
    {
        std::size_t operator()(const QString &s) const noexcept { return qHash(s); }
    };
    std::unordered_map<QString, std::unique_ptr<SQLite::Statement>, SqlHash> m_statements;
    int m_txDepth = 0;
    quint64 m_categoriesGeneration = 0;
    bool m_textIndexWanted = true;
    int m_txLocationWrites = 0;  ///< in the current outer transaction
    int m_txLocationInserts = 0; ///< in the current outer transaction
    /// Inserts into Locations within one transaction after which building the list's other keys
    /// in one sorted pass at the commit is considered, and again at each doubling: it pays once
    /// the batch has inserted at least as many rows as the table held before it.
    static constexpr int BulkKeysAfter = 5000;
    int m_bulkKeysCheck = BulkKeysAfter; ///< inserts at which bulk keys are considered next
    bool m_keysDeferred = false;         ///< the secondary location keys are built at the commit
    bool m_textIndexDeferred = false;    ///< the transaction's new rows are indexed at its commit
    bool m_textIndexHeld = false;        ///< ... or at releaseTextIndex(), over many commits

    std::unique_ptr<LocationManager> m_locations;
    std::unique_ptr<CategoryManager> m_categories;
    std::unique_ptr<DetailManager> m_details;
    std::unique_ptr<KeywordManager> m_keywords;
    std::unique_ptr<ConfigurationManager> m_configuration;
    std::unique_ptr<CatHtmlManager> m_catHtml;

    friend class SchemaManager;
};

} // namespace pk
