#include "store/collection.h"

#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/collation.h"
#include "store/configurationmanager.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/schemamanager.h"
#include "store/sidefiles.h"
#include "store/sqlfunctions.h"
#include "store/sqliteerror.h"
#include "store/textindex.h"
#include "store/sqltext.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUrl>

#include <sqlite3.h>

#include <climits>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace pk {

using namespace sqltext;

namespace {

// The program's own owner value; a collection written with another one is refused.
constexpr const char kOwnerValue[] = "Pk.Owner/7Hq2-Wd9x-Lm4R-c83V-Ty6Zb";
static_assert(sizeof(kOwnerValue) - 1 == 34);

constexpr int kBusyTimeoutMs = 3000;
// Inserts into Locations within one transaction after which the substring index takes the new
// rows in one pass at the commit rather than one at a time.
constexpr int kDeferIndexAfter = 200;
// A modest page cache keeps an open collection of a million locations small in memory; a write
// transaction may use more, since a batch touches pages all over the keys, and gives it back at
// its end.
constexpr const char *kIdleCache = "PRAGMA cache_size = -16000";
constexpr const char *kBatchCache = "PRAGMA cache_size = -262144";

bool isCategories(const char *schema, const char *table)
{
    return schema && table
           && std::strcmp(schema, Collection::schemaName(CollectionFile::Categories)) == 0
           && std::strcmp(table, categoriesTable().sqlTable) == 0;
}

/// Runs `work` as one unit: all of it or, when it throws, none of it.
template<typename Work>
void inSavepoint(SQLite::Database &db, Work work)
{
    db.exec("SAVEPOINT pk_unit");
    try {
        work();
        db.exec("RELEASE pk_unit");
    } catch (...) {
        db.exec("ROLLBACK TO pk_unit");
        db.exec("RELEASE pk_unit");
        throw;
    }
}

int index(CollectionFile f)
{
    return static_cast<int>(f);
}

bool folderWritable(const QString &folder)
{
    const QFileInfo fi(folder);
    return fi.isDir() && fi.isWritable();
}

QString uriFor(const QString &path, const char *mode)
{
    const QFileInfo fi(path);
    QString uri = QUrl::fromLocalFile(fi.absoluteFilePath()).toString(QUrl::FullyEncoded)
                  + QStringLiteral("?mode=") + QString::fromLatin1(mode);
    // In a folder nobody can write to (read-only media), the write-ahead log's side files cannot
    // be created and nobody can change the file either: read it as it stands.
    if (qstrcmp(mode, "ro") == 0 && !folderWritable(fi.absolutePath()))
        uri += QStringLiteral("&immutable=1");
    return uri;
}

} // namespace

Collection::Collection(QString folder)
    : Collection(std::move(folder), QByteArray(kOwnerValue))
{}

void Collection::configureSqlite()
{
    // Counting every allocation takes a lock that all connections share: the list's readers,
    // sorting and scanning on threads of their own, would wait on one another for it. This
    // must come before SQLite's first use; later it changes nothing.
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
}

Collection::Collection(QString folder, QByteArray ownerValue)
    : m_folder(std::move(folder))
    , m_owner(std::move(ownerValue))
    , m_locations(std::make_unique<LocationManager>(*this))
    , m_categories(std::make_unique<CategoryManager>(*this))
    , m_details(std::make_unique<DetailManager>(*this))
    , m_keywords(std::make_unique<KeywordManager>(*this))
    , m_configuration(std::make_unique<ConfigurationManager>(*this))
    , m_catHtml(std::make_unique<CatHtmlManager>(*this))
{
    configureSqlite();
}

Collection::~Collection()
{
    close();
}

QString Collection::fileName(CollectionFile f)
{
    switch (f) {
    case CollectionFile::Data:
        return QStringLiteral("URLDATA.TPS");
    case CollectionFile::Categories:
        return QStringLiteral("URL_C.TPS");
    case CollectionFile::CatHtml:
        return QStringLiteral("URL_H.TPS");
    }
    return {};
}

const char *Collection::schemaName(CollectionFile f)
{
    switch (f) {
    case CollectionFile::Data:
        return "main";
    case CollectionFile::Categories:
        return "cat";
    case CollectionFile::CatHtml:
        return "htm";
    }
    return "main";
}

QString Collection::filePath(CollectionFile f) const
{
    return QDir(m_folder).filePath(fileName(f));
}

CollectionFile Collection::fileOf(const TableDef &table)
{
    switch (table.file) {
    case TableFile::Data:
        return CollectionFile::Data;
    case TableFile::Categories:
        return CollectionFile::Categories;
    case TableFile::CatHtml:
        return CollectionFile::CatHtml;
    }
    return CollectionFile::Data;
}

bool Collection::isOpen(CollectionFile f) const
{
    return m_files[index(f)].open;
}
bool Collection::isReadOnly(CollectionFile f) const
{
    return m_files[index(f)].readOnly;
}

StoreStatus Collection::requireOpen(CollectionFile f) const
{
    if (isOpen(f))
        return {};
    return fileStatus(f,
                      StoreError::FileNotOpen,
                      QStringLiteral("File %1 is not open").arg(fileName(f)),
                      0,
                      Msg::FileUsageError);
}

StoreStatus Collection::fileStatus(CollectionFile f,
                                   StoreError error,
                                   const QString &text,
                                   int code,
                                   std::uint16_t catalogue) const
{
    StoreStatus s = StoreStatus::failure(error, text, code);
    s.catalogueNumber = catalogue;
    s.context.file = filePath(f);
    return s;
}

SQLite::Database &Collection::db()
{
    if (!m_db) {
        // Views and batch code may ask before anything is open: give them an empty connection.
        // Callers run statements on it inside their own try blocks.
        if (StoreStatus s = connect(QStringLiteral(":memory:"), false); !s)
            throw std::runtime_error(s.describe().toStdString());
    }
    return *m_db;
}

SQLite::Statement &Collection::statement(const QString &sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.emplace(sql, std::make_unique<SQLite::Statement>(db(), utf8(sql))).first;
    it->second->reset();
    it->second->clearBindings();
    return *it->second;
}

StoreStatus Collection::connect(const QString &mainUri, bool readOnly)
{
    disconnect();
    try {
        // The URI's mode (ro, rw, rwc) decides per file; the connection's flags must allow the
        // widest of them, also for files attached later.
        Q_UNUSED(readOnly);
        int flags = SQLite::OPEN_URI | SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE;
        if (mainUri == QLatin1String(":memory:"))
            flags |= SQLite::OPEN_MEMORY;
        m_db = std::make_unique<SQLite::Database>(utf8(mainUri), flags, kBusyTimeoutMs);
        sqlite3 *h = m_db->getHandle();
        SqliteError::watchConnection(h, m_folder);
        sqlite3_extended_result_codes(h, 1);
        Collation::registerOn(h);
        registerSqlFunctions(h);
        ++m_categoriesGeneration;
        // Every row change of Categories counts, also a DELETE of all rows: SQLite would empty
        // the table at once without reporting rows unless told not to.
        sqlite3_set_authorizer(
            h,
            [](void *, int action, const char *table, const char *, const char *schema, const char *) {
                return action == SQLITE_DELETE && isCategories(schema, table) ? SQLITE_IGNORE
                                                                              : SQLITE_OK;
            },
            nullptr);
        sqlite3_update_hook(
            h,
            [](void *self, int, const char *schema, const char *table, sqlite3_int64) {
                if (isCategories(schema, table))
                    ++static_cast<Collection *>(self)->m_categoriesGeneration;
            },
            this);
        m_db->exec("PRAGMA foreign_keys = OFF");
        m_db->exec(kIdleCache);
        m_db->exec("PRAGMA temp_store = MEMORY");
    } catch (const std::exception &e) {
        if (m_db)
            SqliteError::unwatchConnection(m_db->getHandle());
        m_db.reset();
        return SqliteError::fromException(e);
    }
    return {};
}

std::unique_ptr<SQLite::Database> Collection::openReader(StoreStatus &status) const
{
    status = {};
    if (!isOpen(CollectionFile::Data)) {
        status = requireOpen(CollectionFile::Data);
        return nullptr;
    }
    try {
        auto db = std::make_unique<SQLite::Database>(utf8(uriFor(filePath(CollectionFile::Data),
                                                                 "ro")),
                                                     SQLite::OPEN_URI | SQLite::OPEN_READONLY,
                                                     kBusyTimeoutMs);
        sqlite3 *h = db->getHandle();
        sqlite3_extended_result_codes(h, 1);
        Collation::registerOn(h);
        registerSqlFunctions(h);
        db->exec("PRAGMA temp_store = MEMORY");
        for (CollectionFile f : {CollectionFile::Categories, CollectionFile::CatHtml}) {
            if (!isOpen(f))
                continue;
            SQLite::Statement st(*db,
                                 utf8(QStringLiteral("ATTACH DATABASE ? AS %1")
                                          .arg(QString::fromLatin1(schemaName(f)))));
            st.bind(1, utf8(uriFor(filePath(f), "ro")));
            st.exec();
        }
        return db;
    } catch (const std::exception &e) {
        status = SqliteError::fromException(e);
        return nullptr;
    }
}

void Collection::disconnect()
{
    m_statements.clear();
    if (m_db)
        SqliteError::unwatchConnection(m_db->getHandle());
    // Closing the last connection to a file checkpoints its write-ahead log and removes it, so
    // a closed collection folder holds just its three files.
    m_db.reset();
}

void Collection::attach(CollectionFile f, const char *mode)
{
    SQLite::Statement st(*m_db,
                         utf8(QStringLiteral("ATTACH DATABASE ? AS %1")
                                  .arg(QString::fromLatin1(schemaName(f)))));
    st.bind(1, utf8(uriFor(filePath(f), mode)));
    st.exec();
}

StoreStatus Collection::reconnect()
{
    // Re-establishes the connection with whatever files are marked open.
    const auto files = m_files;
    const FileState &data = files[index(CollectionFile::Data)];
    m_files = {};
    StoreStatus s = data.open ? connect(uriFor(filePath(CollectionFile::Data),
                                               data.readOnly ? "ro" : "rw"),
                                        data.readOnly)
                              : connect(QStringLiteral(":memory:"), false);
    if (!s)
        return s;
    m_files[index(CollectionFile::Data)] = data;
    for (CollectionFile f : {CollectionFile::Categories, CollectionFile::CatHtml}) {
        const FileState &st = files[index(f)];
        if (!st.open)
            continue;
        try {
            attach(f, st.readOnly ? "ro" : "rw");
            m_files[index(f)] = st;
        } catch (const std::exception &e) {
            return SqliteError::fromException(e, filePath(f));
        }
    }
    return {};
}

StoreStatus Collection::openAll(bool create)
{
    for (CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
        if (isOpen(f))
            continue;
        StoreStatus s = open(f, create);
        if (!s)
            return s;
    }
    return {};
}

StoreStatus Collection::open(CollectionFile f, bool create)
{
    if (isOpen(f))
        return {};
    if (m_txDepth > 0)
        return fileStatus(f,
                          StoreError::Other,
                          QStringLiteral("Cannot open a file inside a transaction"));
    OpenPlan plan;
    if (StoreStatus s = planOpen(f, create, plan); !s)
        return s;
    if (!plan.readOnly && !plan.creating)
        SideFiles::repair(plan.path);
    if (StoreStatus s = placeFile(f, plan); !s)
        return s;

    // The file is on the connection: any failure from here takes it off again.
    auto undo = qScopeGuard([this, f, &plan] { unplaceFile(f, plan); });
    int collationVersion = 0;
    if (StoreStatus s = checkIdentity(f, create, plan, collationVersion); !s)
        return s;
    if (StoreStatus s = prepareFile(f, plan); !s)
        return s;
    undo.dismiss();
    m_statements.clear();

    // Keys ordered by another version of the collation no longer match it.
    if (!plan.fresh && collationVersion != Collation::version()) {
        return fileStatus(f,
                          StoreError::InvalidKeyFile,
                          QStringLiteral("The keys of %1 must be rebuilt").arg(plan.path),
                          SQLITE_CORRUPT_INDEX,
                          Msg::InvalidKey);
    }
    return {};
}

StoreStatus Collection::planOpen(CollectionFile f, bool create, OpenPlan &plan) const
{
    plan.path = filePath(f);
    const QFileInfo info(plan.path);
    if (!info.exists()) {
        if (!create)
            return fileStatus(f,
                              StoreError::FileNotFound,
                              QStringLiteral("File not found: %1").arg(plan.path),
                              SQLITE_CANTOPEN,
                              Msg::FileAccessError);
        if (!QFileInfo(m_folder).isDir())
            return fileStatus(f,
                              StoreError::CreateFailed,
                              QStringLiteral("Folder not found: %1").arg(m_folder),
                              SQLITE_CANTOPEN,
                              Msg::FileCreationError);
        if (!folderWritable(m_folder))
            return fileStatus(f,
                              StoreError::AccessDenied,
                              QStringLiteral(
                                  "Access denied: cannot create %1 in a read-only folder")
                                  .arg(plan.path),
                              SQLITE_READONLY,
                              Msg::FileCreationError);
        plan.creating = true;
        return {};
    }
    if (!info.isFile())
        return fileStatus(f,
                          StoreError::InvalidFile,
                          QStringLiteral("Not a file: %1").arg(plan.path),
                          SQLITE_NOTADB,
                          Msg::FileAccessError);
    if (!info.isReadable())
        return fileStatus(f,
                          StoreError::AccessDenied,
                          QStringLiteral("Access denied: cannot read %1").arg(plan.path),
                          SQLITE_PERM,
                          Msg::FileAccessError);
    plan.readOnly = !info.isWritable() || !folderWritable(info.absolutePath());
    return {};
}

StoreStatus Collection::placeFile(CollectionFile f, const OpenPlan &plan)
{
    // Data is the connection's main database, the others are attached to it.
    const char *mode = plan.creating ? "rwc" : (plan.readOnly ? "ro" : "rw");
    try {
        if (f == CollectionFile::Data) {
            const auto others = m_files;
            m_files = {};
            StoreStatus s = connect(uriFor(plan.path, mode), plan.readOnly);
            m_files = others;
            if (!s) {
                // The connection is gone with the failed attempt: bring back what was open.
                static_cast<void>(reconnect());
                s.context.file = plan.path;
                s.catalogueNumber = Msg::FileAccessError;
                return s;
            }
            m_files[index(f)] = {true, plan.readOnly};
            // Re-attach the files opened before Data.
            for (CollectionFile o : {CollectionFile::Categories, CollectionFile::CatHtml}) {
                if (others[index(o)].open)
                    attach(o, others[index(o)].readOnly ? "ro" : "rw");
            }
        } else {
            db();
            attach(f, mode);
            m_files[index(f)] = {true, plan.readOnly};
        }
    } catch (const std::exception &e) {
        StoreStatus s = SqliteError::fromException(e, plan.path);
        if (s.error == StoreError::FileNotOpen && plan.readOnly)
            s.error = StoreError::AccessDenied;
        s.catalogueNumber = Msg::FileAccessError;
        unplaceFile(f, plan);
        return s;
    }
    return {};
}

void Collection::unplaceFile(CollectionFile f, const OpenPlan &plan)
{
    m_files[index(f)] = {};
    if (f == CollectionFile::Data) {
        // Nothing more can be done when this fails too: the other files stay closed.
        static_cast<void>(reconnect());
    } else {
        try {
            m_db->exec(
                utf8(QStringLiteral("DETACH DATABASE %1").arg(QString::fromLatin1(schemaName(f)))));
        } catch (...) {
        }
    }
    if (plan.creating)
        QFile::remove(plan.path); // nothing but our own empty file
    else if (plan.readOnly)
        SideFiles::removeUnused(plan.path);
}

StoreStatus Collection::checkIdentity(CollectionFile f,
                                      bool create,
                                      OpenPlan &plan,
                                      int &collationVersion)
{
    // Reading only: nothing is written to a file before it passed these checks.
    SchemaManager::FileInfo fi;
    StoreStatus s = SchemaManager::inspect(*m_db, schemaName(f), fi);
    if (!s) {
        s.context.file = plan.path;
        s.catalogueNumber = Msg::FileAccessError;
        return s;
    }
    collationVersion = fi.collationVersion;
    // An empty database (a file created but never filled) is only taken over when asked to
    // create the file.
    plan.fresh = plan.creating || (fi.empty && create);
    QString why;
    if (plan.fresh) {
        if (plan.readOnly)
            why = QStringLiteral("%1 is empty").arg(plan.path);
    } else if (fi.empty) {
        why = QStringLiteral("%1 is empty").arg(plan.path);
    } else if (!fi.ours) {
        why = QStringLiteral("%1 is not a Pathkeep collection file").arg(plan.path);
    } else if (fi.kind != SchemaManager::kindName(static_cast<TableFile>(index(f)))) {
        why = QStringLiteral("%1 holds other tables than %2").arg(plan.path, fileName(f));
    } else if (f == CollectionFile::Data && fi.owner != SchemaManager::ownerCheck(m_owner)) {
        why = QStringLiteral("%1 belongs to another owner").arg(plan.path);
    }
    if (!why.isEmpty())
        return fileStatus(f,
                          StoreError::InvalidFile,
                          QStringLiteral("Invalid file: ") + why,
                          SQLITE_NOTADB,
                          Msg::FileAccessError);
    return {};
}

StoreStatus Collection::prepareFile(CollectionFile f, const OpenPlan &plan)
{
    const char *schema = schemaName(f);
    const auto file = static_cast<TableFile>(index(f));
    if (plan.readOnly) {
        if (SchemaManager::needsConversion(*m_db, file, schema))
            return fileStatus(f,
                              StoreError::AccessDenied,
                              QStringLiteral("Access denied: %1 needs converting but is read-only")
                                  .arg(plan.path),
                              SQLITE_READONLY,
                              Msg::FileAccessError);
        return {};
    }
    // The file is ours and may be written from here on.
    try {
        m_db->exec(
            utf8(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(QString::fromLatin1(schema))));
        // NORMAL in WAL mode: a commit survives the process being killed; only a power
        // failure may lose the last commits, never consistency.
        m_db->exec(utf8(
            QStringLiteral("PRAGMA %1.synchronous = NORMAL").arg(QString::fromLatin1(schema))));
    } catch (const std::exception &e) {
        StoreStatus s = SqliteError::fromException(e, plan.path);
        s.catalogueNumber = Msg::FileAccessError;
        return s;
    }
    m_statements.clear();
    if (plan.fresh || SchemaManager::needsUpgrade(*m_db, file, schema)) {
        StoreStatus s = SchemaManager::upgrade(*m_db, file, schema, m_folder, m_owner, plan.fresh);
        if (!s) {
            s.context.file = plan.path;
            s.catalogueNumber = plan.creating ? Msg::FileCreationError : Msg::FileAccessError;
            return s;
        }
    }
    if (f == CollectionFile::Data)
        prepareTextIndex();
    return {};
}

void Collection::prepareTextIndex()
{
    const char *schema = schemaName(CollectionFile::Data);
    try {
        const TextIndex::State state = TextIndex::state(*m_db, schema);
        const bool create = m_textIndexWanted && state == TextIndex::State::Absent;
        const bool drop = !m_textIndexWanted && TextIndex::present(*m_db, schema);
        if (!create && !drop)
            return;
        inSavepoint(*m_db, [&] {
            if (create)
                TextIndex::create(*m_db, schema);
            else
                TextIndex::drop(*m_db, schema);
        });
    } catch (const std::exception &e) {
        qWarning("Pathkeep: substring index not prepared: %s", e.what());
    }
    m_statements.clear();
}

void Collection::locationWritten(bool inserted)
{
    if (m_txDepth == 0)
        return;
    if (inserted && !m_keysDeferred && ++m_txLocationInserts >= m_bulkKeysCheck) {
        m_bulkKeysCheck = m_txLocationInserts * 2;
        deferKeys(m_txLocationInserts);
    }
    if (m_textIndexDeferred || ++m_txLocationWrites != kDeferIndexAfter)
        return;
    deferTextIndex();
}

void Collection::expectLocationWrites(qint64 rows)
{
    if (m_txDepth > 0 && !m_keysDeferred)
        deferKeys(rows);
}

void Collection::deferKeys(qint64 written)
{
    if (!isOpen(CollectionFile::Data) || isReadOnly(CollectionFile::Data))
        return;
    StoreStatus counted;
    const qint64 rows = m_locations->count(&counted);
    if (!counted || rows > 2 * written)
        return;
    const char *schema = schemaName(CollectionFile::Data);
    try {
        inSavepoint(*m_db, [&] {
            m_keysDeferred = SchemaManager::dropSecondaryKeys(*m_db, schema, locationsTable()) > 0;
        });
    } catch (const std::exception &e) {
        // A statement still reading the table holds its indexes: they stay, kept row by row.
        qWarning("Pathkeep: keys kept row by row: %s", e.what());
    }
}

void Collection::deferTextIndex()
{
    if (m_txDepth == 0 || m_textIndexDeferred || !isOpen(CollectionFile::Data))
        return;
    try {
        inSavepoint(*m_db, [&] {
            m_textIndexDeferred = TextIndex::defer(*m_db, schemaName(CollectionFile::Data));
        });
    } catch (const std::exception &e) {
        qWarning("Pathkeep: substring index kept row by row: %s", e.what());
    }
}

void Collection::holdTextIndex()
{
    if (m_txDepth == 0)
        return;
    m_textIndexHeld = true;
    deferTextIndex();
}

StoreStatus Collection::releaseTextIndex()
{
    if (!m_textIndexHeld)
        return {};
    m_textIndexHeld = false;
    if (!isOpen(CollectionFile::Data) || isReadOnly(CollectionFile::Data))
        return {};
    const auto fillAll = [this]() -> StoreStatus {
        try {
            while (!TextIndex::fill(*m_db, schemaName(CollectionFile::Data), INT_MAX)) {
            }
        } catch (const std::exception &e) {
            return SqliteError::fromException(e, filePath(CollectionFile::Data));
        }
        return {};
    };
    // Inside a caller's transaction the rows go in with its commit.
    const StoreStatus status = transaction(fillAll);
    if (!status)
        qWarning("Pathkeep: substring index left to fill later: %s", qPrintable(status.describe()));
    return status;
}

bool Collection::textIndexComplete()
{
    if (!isOpen(CollectionFile::Data))
        return false;
    try {
        return TextIndex::state(*m_db, schemaName(CollectionFile::Data))
               == TextIndex::State::Complete;
    } catch (const std::exception &) {
        return false;
    }
}

StoreStatus Collection::fillTextIndex(int rows, bool &complete)
{
    complete = true;
    if (!isOpen(CollectionFile::Data) || isReadOnly(CollectionFile::Data))
        return {};
    // A step is worth no wait: when another writer holds the file, it is tried again later.
    m_db->setBusyTimeout(0);
    const StoreStatus status = transaction([&]() -> StoreStatus {
        try {
            complete = TextIndex::fill(*m_db, schemaName(CollectionFile::Data), rows);
        } catch (const std::exception &e) {
            return SqliteError::fromException(e, filePath(CollectionFile::Data));
        }
        return {};
    });
    m_db->setBusyTimeout(kBusyTimeoutMs);
    if (!status)
        complete = false;
    return status;
}

void Collection::close()
{
    if (m_txDepth > 0) {
        try {
            m_db->exec("ROLLBACK");
        } catch (...) {
        }
        m_txDepth = 0;
    }
    QStringList readOnly;
    for (CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml})
        if (isOpen(f) && isReadOnly(f))
            readOnly << filePath(f);
    disconnect();
    m_files = {};
    m_textIndexHeld = false; // what was left out is filled as for any file when next opened
    // Only a connection that may write takes the side files away when it closes.
    for (const QString &path : std::as_const(readOnly))
        SideFiles::removeUnused(path);
}

StoreStatus Collection::rebuildKeys(CollectionFile f)
{
    if (StoreStatus s = requireOpen(f); !s)
        return s;
    const char *schema = schemaName(f);
    try {
        m_statements.clear();
        for (const TableDef *t : collectionTables()) {
            if (fileOf(*t) != f)
                continue;
            for (const KeyDef *k : t->keys)
                m_db->exec(
                    utf8(QStringLiteral("REINDEX %1.%2")
                             .arg(QString::fromLatin1(schema), QString::fromLatin1(k->sqlIndex))));
        }
        SQLite::Statement
            st(*m_db,
               utf8(QStringLiteral(
                        "INSERT OR REPLACE INTO %1.%2 (Name, Value) VALUES ('Collation', ?)")
                        .arg(QString::fromLatin1(schema),
                             QString::fromLatin1(SchemaManager::MetaTable))));
        st.bind(1, Collation::version());
        st.exec();
    } catch (const std::exception &e) {
        StoreStatus s = SqliteError::fromException(e, filePath(f));
        s.catalogueNumber = Msg::KeyNotBuilt;
        return s;
    }
    return {};
}

StoreStatus Collection::recover(CollectionFile f)
{
    if (m_txDepth > 0)
        return fileStatus(f,
                          StoreError::Other,
                          QStringLiteral("Cannot recover inside a transaction"));
    if (isOpen(f)) {
        m_files[index(f)] = {};
        if (StoreStatus s = reconnect(); !s)
            return s;
    }
    return open(f, false);
}

StoreStatus Collection::replaceFile(CollectionFile f,
                                    const QString &replacement,
                                    const QString &keepFormerAs)
{
    if (m_txDepth > 0)
        return fileStatus(f,
                          StoreError::Other,
                          QStringLiteral("Cannot replace a file inside a transaction"));
    const bool wasOpen = isOpen(f);
    if (wasOpen) {
        // Closing our connection to the file checkpoints its write-ahead log into it.
        m_files[index(f)] = {};
        if (StoreStatus s = reconnect(); !s)
            return s;
    }
    const QString path = filePath(f);
    if (QFileInfo::exists(path)) {
        if (!keepFormerAs.isEmpty()) {
            QFile::remove(keepFormerAs);
            if (!QFile::rename(path, keepFormerAs))
                return fileStatus(f,
                                  StoreError::AccessDenied,
                                  QStringLiteral("Could not rename %1").arg(path));
        } else if (!QFile::remove(path)) {
            return fileStatus(f,
                              StoreError::AccessDenied,
                              QStringLiteral("Could not remove %1").arg(path));
        }
    }
    // A journal left beside the old file must never be applied to the new one.
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    if (!QFile::rename(replacement, path))
        return fileStatus(f,
                          StoreError::CreateFailed,
                          QStringLiteral("Could not move %1 to %2").arg(replacement, path));
    return wasOpen ? open(f, false) : StoreStatus{};
}

StoreStatus Collection::checkFile(CollectionFile f)
{
    if (StoreStatus s = requireOpen(f); !s)
        return s;
    try {
        SQLite::Statement st(*m_db,
                             utf8(QStringLiteral("PRAGMA %1.integrity_check(20)")
                                      .arg(QString::fromLatin1(schemaName(f)))));
        QStringList problems;
        while (st.executeStep()) {
            const QString line = QString::fromUtf8(st.getColumn(0).getText());
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (!problems.isEmpty()) {
            const bool keysOnly = std::all_of(problems.begin(), problems.end(), [](const QString &p) {
                return p.contains(QLatin1String("index"))
                       || p.contains(QLatin1String("missing from"));
            });
            return fileStatus(f,
                              keysOnly ? StoreError::InvalidKeyFile : StoreError::InvalidFile,
                              problems.join(QLatin1Char('\n')),
                              SQLITE_CORRUPT,
                              keysOnly ? Msg::InvalidKey : Msg::FileAccessError);
        }
    } catch (const std::exception &e) {
        return SqliteError::fromException(e, filePath(f));
    }
    return {};
}

StoreStatus Collection::pack(CollectionFile f)
{
    if (StoreStatus s = requireOpen(f); !s)
        return s;
    if (m_txDepth > 0)
        return fileStatus(f, StoreError::Other, QStringLiteral("Cannot pack inside a transaction"));
    try {
        m_statements.clear();
        // The substring index finds locations by row id. VACUUM keeps the row ids in practice
        // but is free to number them anew; should it have, the index is filled again.
        const bool indexed = f == CollectionFile::Data && TextIndex::present(*m_db, schemaName(f));
        const auto rowIds = [this] {
            SQLite::Statement st(*m_db, "SELECT count(*), total(rowid) FROM main.Locations");
            st.executeStep();
            return std::pair<qint64, double>(st.getColumn(0).getInt64(),
                                             st.getColumn(1).getDouble());
        };
        const auto before = indexed ? rowIds() : std::pair<qint64, double>();
        m_db->exec(utf8(QStringLiteral("VACUUM %1").arg(QString::fromLatin1(schemaName(f)))));
        if (indexed && rowIds() != before) {
            inSavepoint(*m_db, [&] { TextIndex::create(*m_db, schemaName(f)); });
        }
    } catch (const std::exception &e) {
        return SqliteError::fromException(e, filePath(f));
    }
    return {};
}

Collection::DataVersion Collection::dataVersion()
{
    DataVersion version = {};
    if (!m_db)
        return version;
    for (CollectionFile f :
         {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
        if (!isOpen(f))
            continue;
        try {
            SQLite::Statement &st = statement(
                QStringLiteral("PRAGMA %1.data_version").arg(QString::fromLatin1(schemaName(f))));
            if (st.executeStep())
                version[std::size_t(index(f))] = st.getColumn(0).getInt64();
            st.reset();
        } catch (const std::exception &) {
            // Unreadable now: the next read of the list reports it.
            version[std::size_t(index(f))] = -1;
        }
    }
    return version;
}

qint64 Collection::ownChanges() const
{
    return m_db ? qint64(sqlite3_total_changes64(m_db->getHandle())) : 0;
}

int Collection::storedVersion(const TableDef &table)
{
    if (!isOpen(fileOf(table)))
        return 0;
    return SchemaManager::storedVersion(*m_db, table);
}

StoreStatus Collection::transaction(const std::function<StoreStatus()> &work)
{
    if (!m_db)
        return fileStatus(CollectionFile::Data,
                          StoreError::FileNotOpen,
                          QStringLiteral("No file is open"));
    const bool outer = m_txDepth == 0;
    const std::string name = "pk_tx" + std::to_string(m_txDepth);
    try {
        if (outer) {
            bool anyReadOnly = false;
            for (const FileState &st : m_files)
                anyReadOnly = anyReadOnly || (st.open && st.readOnly);
            m_db->exec(anyReadOnly ? "BEGIN" : "BEGIN IMMEDIATE");
            m_db->exec(kBatchCache);
        } else {
            m_db->exec("SAVEPOINT " + name);
        }
    } catch (const std::exception &e) {
        StoreStatus s = SqliteError::fromException(e, filePath(CollectionFile::Data));
        s.catalogueNumber = 24 /* Transaction cancelled */;
        return s;
    }
    ++m_txDepth;
    StoreStatus result;
    try {
        result = work();
    } catch (const std::exception &e) {
        result = SqliteError::fromException(e);
    } catch (...) {
        result = StoreStatus::failure(StoreError::Other,
                                      QStringLiteral("Unexpected failure in a transaction"));
    }
    --m_txDepth;
    ++m_categoriesGeneration;
    if (outer && result && m_keysDeferred) {
        // Part of the batch: should the keys not be built (a full disk), nothing is committed.
        try {
            SchemaManager::restoreKeys(*m_db, schemaName(CollectionFile::Data), locationsTable());
        } catch (const std::exception &e) {
            result = SqliteError::fromException(e, filePath(CollectionFile::Data));
        }
    }
    if (outer && result && m_textIndexDeferred && !m_textIndexHeld) {
        // The batch's new rows go into the substring index in one pass, in its transaction.
        // Should that fail, the index stays marked as filling and is not used until filled.
        try {
            while (!TextIndex::fill(*m_db, schemaName(CollectionFile::Data), INT_MAX)) {
            }
        } catch (const std::exception &e) {
            qWarning("Pathkeep: substring index left to fill later: %s", e.what());
        }
    }
    if (outer) {
        m_textIndexDeferred = false;
        m_keysDeferred = false;
        m_txLocationWrites = 0;
        m_txLocationInserts = 0;
        m_bulkKeysCheck = BulkKeysAfter;
    }
    auto idle = [this] {
        try {
            m_db->exec(kIdleCache);
        } catch (...) {
        }
    };
    try {
        if (result) {
            m_db->exec(outer ? std::string("COMMIT") : "RELEASE " + name);
            if (outer)
                idle();
        } else if (outer) {
            m_db->exec("ROLLBACK");
            idle();
        } else {
            m_db->exec("ROLLBACK TO " + name);
            m_db->exec("RELEASE " + name);
        }
    } catch (const std::exception &e) {
        StoreStatus s = SqliteError::fromException(e, filePath(CollectionFile::Data));
        if (outer) {
            try {
                if (!m_db->getHandle() || !sqlite3_get_autocommit(m_db->getHandle()))
                    m_db->exec("ROLLBACK");
            } catch (...) {
            }
            idle();
        }
        return result ? s : result;
    }
    return result;
}

LocationManager &Collection::locations()
{
    return *m_locations;
}
CategoryManager &Collection::categories()
{
    return *m_categories;
}
DetailManager &Collection::details()
{
    return *m_details;
}
KeywordManager &Collection::keywords()
{
    return *m_keywords;
}
ConfigurationManager &Collection::configuration()
{
    return *m_configuration;
}
CatHtmlManager &Collection::catHtml()
{
    return *m_catHtml;
}

} // namespace pk
