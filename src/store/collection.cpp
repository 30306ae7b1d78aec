#include "store/collection.h"

#include "store/categorymanager.h"
#include "store/cathtmlmanager.h"
#include "store/collation.h"
#include "store/configurationmanager.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"
#include "store/schemamanager.h"
#include "store/sqliteerror.h"

#if defined(PK_HAVE_SQLFUNCTIONS)
#include "store/sqlfunctions.h"
#endif

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace pk {

namespace {

// The program's own owner value; a collection written with another one is refused.
constexpr const char kOwnerValue[] = "Pk.Owner/7Hq2-Wd9x-Lm4R-c83V-Ty6Zb";
static_assert(sizeof(kOwnerValue) - 1 == 34);

constexpr int kBusyTimeoutMs = 3000;
// A modest page cache keeps an open collection of a million locations small in memory; a write
// transaction may use more, since a batch touches pages all over the keys, and gives it back at
// its end.
constexpr const char *kIdleCache = "PRAGMA cache_size = -16000";
constexpr const char *kBatchCache = "PRAGMA cache_size = -262144";

std::string utf8(const QString &s) { return s.toStdString(); }

int index(CollectionFile f) { return static_cast<int>(f); }

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
{
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
}

Collection::~Collection()
{
    close();
}

QString Collection::fileName(CollectionFile f)
{
    switch (f) {
    case CollectionFile::Data: return QStringLiteral("URLDATA.TPS");
    case CollectionFile::Categories: return QStringLiteral("URL_C.TPS");
    case CollectionFile::CatHtml: return QStringLiteral("URL_H.TPS");
    }
    return {};
}

const char *Collection::schemaName(CollectionFile f)
{
    switch (f) {
    case CollectionFile::Data: return "main";
    case CollectionFile::Categories: return "cat";
    case CollectionFile::CatHtml: return "htm";
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
    case TableFile::Data: return CollectionFile::Data;
    case TableFile::Categories: return CollectionFile::Categories;
    case TableFile::CatHtml: return CollectionFile::CatHtml;
    }
    return CollectionFile::Data;
}

bool Collection::isOpen(CollectionFile f) const { return m_files[index(f)].open; }
bool Collection::isReadOnly(CollectionFile f) const { return m_files[index(f)].readOnly; }

StoreStatus Collection::requireOpen(CollectionFile f) const
{
    if (isOpen(f))
        return {};
    return fileStatus(f, StoreError::FileNotOpen,
                      QStringLiteral("File %1 is not open").arg(fileName(f)), 0, Msg::FileUsageError);
}

StoreStatus Collection::fileStatus(CollectionFile f, StoreError error, const QString &text,
                                   int code, std::uint16_t catalogue) const
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
        connect(QStringLiteral(":memory:"), false);
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
        sqlite3_extended_result_codes(h, 1);
        Collation::registerOn(h);
#if defined(PK_HAVE_SQLFUNCTIONS)
        registerSqlFunctions(h);
#endif
        m_db->exec("PRAGMA foreign_keys = OFF");
        m_db->exec(kIdleCache);
        m_db->exec("PRAGMA temp_store = MEMORY");
    } catch (const std::exception &e) {
        m_db.reset();
        return SqliteError::fromException(e);
    }
    return {};
}

void Collection::disconnect()
{
    m_statements.clear();
    // Closing the last connection to a file checkpoints its write-ahead log and removes it, so
    // a closed collection folder holds just its three files.
    m_db.reset();
}

StoreStatus Collection::reconnect()
{
    // Re-establishes the connection with whatever files are marked open.
    const auto files = m_files;
    const FileState &data = files[index(CollectionFile::Data)];
    m_files = {};
    StoreStatus s = data.open ? connect(uriFor(filePath(CollectionFile::Data), data.readOnly ? "ro" : "rw"), data.readOnly)
                              : connect(QStringLiteral(":memory:"), false);
    if (!s)
        return s;
    m_files[index(CollectionFile::Data)] = data;
    for (CollectionFile f : {CollectionFile::Categories, CollectionFile::CatHtml}) {
        const FileState &st = files[index(f)];
        if (!st.open)
            continue;
        try {
            SQLite::Statement attach(*m_db, utf8(QStringLiteral("ATTACH DATABASE ? AS %1").arg(QString::fromLatin1(schemaName(f)))));
            attach.bind(1, utf8(uriFor(filePath(f), st.readOnly ? "ro" : "rw")));
            attach.exec();
            m_files[index(f)] = st;
        } catch (const std::exception &e) {
            return SqliteError::fromException(e, filePath(f));
        }
    }
    return {};
}

StoreStatus Collection::openAll(bool create)
{
    for (CollectionFile f : {CollectionFile::Data, CollectionFile::Categories, CollectionFile::CatHtml}) {
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
        return fileStatus(f, StoreError::Other, QStringLiteral("Cannot open a file inside a transaction"));
    const QString path = filePath(f);
    const QFileInfo info(path);
    const char *schema = schemaName(f);

    bool creating = false;
    bool readOnly = false;
    if (!info.exists()) {
        if (!create)
            return fileStatus(f, StoreError::FileNotFound, QStringLiteral("File not found: %1").arg(path),
                              SQLITE_CANTOPEN, Msg::FileAccessError);
        if (!QFileInfo(m_folder).isDir())
            return fileStatus(f, StoreError::CreateFailed, QStringLiteral("Folder not found: %1").arg(m_folder),
                              SQLITE_CANTOPEN, Msg::FileCreationError);
        if (!folderWritable(m_folder))
            return fileStatus(f, StoreError::AccessDenied,
                              QStringLiteral("Access denied: cannot create %1 in a read-only folder").arg(path),
                              SQLITE_READONLY, Msg::FileCreationError);
        creating = true;
    } else {
        if (!info.isFile())
            return fileStatus(f, StoreError::InvalidFile, QStringLiteral("Not a file: %1").arg(path),
                              SQLITE_NOTADB, Msg::FileAccessError);
        if (!info.isReadable())
            return fileStatus(f, StoreError::AccessDenied, QStringLiteral("Access denied: cannot read %1").arg(path),
                              SQLITE_PERM, Msg::FileAccessError);
        readOnly = !info.isWritable() || !folderWritable(info.absolutePath());
    }

    // Put the file onto the connection: as main for Data, attached for the others.
    const char *mode = creating ? "rwc" : (readOnly ? "ro" : "rw");
    auto detachOrDrop = [&] {
        if (f == CollectionFile::Data) {
            m_files[index(f)] = {};
            reconnect();
        } else {
            try {
                m_db->exec(utf8(QStringLiteral("DETACH DATABASE %1").arg(QString::fromLatin1(schema))));
            } catch (...) {
            }
            m_files[index(f)] = {};
        }
        if (creating)
            QFile::remove(path); // nothing but our own empty file
    };

    try {
        if (f == CollectionFile::Data) {
            const auto others = m_files;
            m_files = {};
            StoreStatus s = connect(uriFor(path, mode), readOnly);
            if (!s) {
                m_files = others;
                reconnect();
                s.context.file = path;
                s.catalogueNumber = Msg::FileAccessError;
                return s;
            }
            m_files = others;
            m_files[index(f)] = {true, readOnly};
            // Re-attach the files opened before Data.
            for (CollectionFile o : {CollectionFile::Categories, CollectionFile::CatHtml}) {
                if (!others[index(o)].open)
                    continue;
                SQLite::Statement attach(*m_db, utf8(QStringLiteral("ATTACH DATABASE ? AS %1").arg(QString::fromLatin1(schemaName(o)))));
                attach.bind(1, utf8(uriFor(filePath(o), others[index(o)].readOnly ? "ro" : "rw")));
                attach.exec();
            }
        } else {
            db();
            SQLite::Statement attach(*m_db, utf8(QStringLiteral("ATTACH DATABASE ? AS %1").arg(QString::fromLatin1(schema))));
            attach.bind(1, utf8(uriFor(path, mode)));
            attach.exec();
            m_files[index(f)] = {true, readOnly};
        }
    } catch (const std::exception &e) {
        StoreStatus s = SqliteError::fromException(e, path);
        if (s.error == StoreError::FileNotOpen && readOnly)
            s.error = StoreError::AccessDenied;
        s.catalogueNumber = Msg::FileAccessError;
        detachOrDrop();
        return s;
    }

    // Identity checks, reading only.
    SchemaManager::FileInfo fi;
    StoreStatus s = SchemaManager::inspect(*m_db, schema, fi);
    if (!s) {
        s.context.file = path;
        s.catalogueNumber = Msg::FileAccessError;
        detachOrDrop();
        return s;
    }
    // An empty database (a file created but never filled) is only taken over when asked to
    // create the file.
    const bool fresh = creating || (fi.empty && create);
    if (!fresh) {
        QString why;
        if (fi.empty)
            why = QStringLiteral("%1 is empty").arg(path);
        else if (!fi.ours)
            why = QStringLiteral("%1 is not a Pathkeep collection file").arg(path);
        else if (fi.kind != SchemaManager::kindName(static_cast<TableFile>(index(f))))
            why = QStringLiteral("%1 holds other tables than %2").arg(path, fileName(f));
        else if (f == CollectionFile::Data && fi.owner != SchemaManager::ownerCheck(m_owner))
            why = QStringLiteral("%1 belongs to another owner").arg(path);
        if (!why.isEmpty()) {
            detachOrDrop();
            return fileStatus(f, StoreError::InvalidFile, QStringLiteral("Invalid file: ") + why,
                              SQLITE_NOTADB, Msg::FileAccessError);
        }
    } else if (readOnly) {
        detachOrDrop();
        return fileStatus(f, StoreError::InvalidFile, QStringLiteral("Invalid file: %1 is empty").arg(path),
                          SQLITE_NOTADB, Msg::FileAccessError);
    }

    // From here on the file is ours and may be written.
    if (readOnly) {
        if (SchemaManager::needsUpgrade(*m_db, static_cast<TableFile>(index(f)), schema)) {
            detachOrDrop();
            return fileStatus(f, StoreError::AccessDenied,
                              QStringLiteral("Access denied: %1 needs converting but is read-only").arg(path),
                              SQLITE_READONLY, Msg::FileAccessError);
        }
    } else {
        try {
            m_db->exec(utf8(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(QString::fromLatin1(schema))));
            // NORMAL in WAL mode: a commit survives the process being killed; only a power
            // failure may lose the last commits, never consistency.
            m_db->exec(utf8(QStringLiteral("PRAGMA %1.synchronous = NORMAL").arg(QString::fromLatin1(schema))));
        } catch (const std::exception &e) {
            StoreStatus es = SqliteError::fromException(e, path);
            es.catalogueNumber = Msg::FileAccessError;
            detachOrDrop();
            return es;
        }
        m_statements.clear();
        if (fresh || SchemaManager::needsUpgrade(*m_db, static_cast<TableFile>(index(f)), schema)) {
            StoreStatus us = SchemaManager::upgrade(*m_db, static_cast<TableFile>(index(f)), schema,
                                                    m_folder, m_owner, fresh);
            if (!us) {
                us.context.file = path;
                us.catalogueNumber = creating ? Msg::FileCreationError : Msg::FileAccessError;
                detachOrDrop();
                return us;
            }
        }
    }
    m_statements.clear();

    // Keys ordered by another version of the collation no longer match it.
    if (!fresh && fi.collationVersion != Collation::version()) {
        return fileStatus(f, StoreError::InvalidKeyFile,
                          QStringLiteral("The keys of %1 must be rebuilt").arg(path), SQLITE_CORRUPT_INDEX,
                          Msg::InvalidKey);
    }
    return {};
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
    disconnect();
    m_files = {};
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
                m_db->exec(utf8(QStringLiteral("REINDEX %1.%2").arg(QString::fromLatin1(schema), QString::fromLatin1(k->sqlIndex))));
        }
        SQLite::Statement st(*m_db, utf8(QStringLiteral("INSERT OR REPLACE INTO %1.%2 (Name, Value) VALUES ('Collation', ?)")
                                             .arg(QString::fromLatin1(schema), QString::fromLatin1(SchemaManager::MetaTable))));
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
        return fileStatus(f, StoreError::Other, QStringLiteral("Cannot recover inside a transaction"));
    if (isOpen(f)) {
        m_files[index(f)] = {};
        if (StoreStatus s = reconnect(); !s)
            return s;
    }
    return open(f, false);
}

StoreStatus Collection::checkFile(CollectionFile f)
{
    if (StoreStatus s = requireOpen(f); !s)
        return s;
    try {
        SQLite::Statement st(*m_db, utf8(QStringLiteral("PRAGMA %1.integrity_check(20)").arg(QString::fromLatin1(schemaName(f)))));
        QStringList problems;
        while (st.executeStep()) {
            const QString line = QString::fromUtf8(st.getColumn(0).getText());
            if (line != QLatin1String("ok"))
                problems << line;
        }
        if (!problems.isEmpty()) {
            const bool keysOnly = std::all_of(problems.begin(), problems.end(), [](const QString &p) {
                return p.contains(QLatin1String("index")) || p.contains(QLatin1String("missing from"));
            });
            return fileStatus(f, keysOnly ? StoreError::InvalidKeyFile : StoreError::InvalidFile,
                              problems.join(QLatin1Char('\n')), SQLITE_CORRUPT,
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
        m_db->exec(utf8(QStringLiteral("VACUUM %1").arg(QString::fromLatin1(schemaName(f)))));
    } catch (const std::exception &e) {
        return SqliteError::fromException(e, filePath(f));
    }
    return {};
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
        return fileStatus(CollectionFile::Data, StoreError::FileNotOpen, QStringLiteral("No file is open"));
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
        result = StoreStatus::failure(StoreError::Other, QStringLiteral("Unexpected failure in a transaction"));
    }
    --m_txDepth;
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

LocationManager &Collection::locations() { return *m_locations; }
CategoryManager &Collection::categories() { return *m_categories; }
DetailManager &Collection::details() { return *m_details; }
KeywordManager &Collection::keywords() { return *m_keywords; }
ConfigurationManager &Collection::configuration() { return *m_configuration; }
CatHtmlManager &Collection::catHtml() { return *m_catHtml; }

} // namespace pk
