#include "shell/backupjob.h"

#include "shell/collectionpaths.h"
#include "store/collation.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/schemamanager.h"
#include "store/sqlfunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QThread>
#include <QtEndian>

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pk {

namespace {
const QStringList journalSuffixes = {QStringLiteral("-journal"), QStringLiteral("-wal")};
/// Temporary folders: a backup being written (beside its target), a restore being prepared
/// (inside the collection folder). Hidden, so that nothing lists them.
const QString backupWorkPrefix = QStringLiteral(".pathkeep-backup.partial-");
const QString restoreWorkPrefix = QStringLiteral(".pathkeep-restore.partial-");

std::string encoded(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

bool isDatabase(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

/// The URI of `path` as an unchanging file.
std::string immutableUri(const QString &path)
{
    const QByteArray uri = QByteArray("file:")
                           + QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), "/")
                           + QByteArray("?immutable=1");
    return uri.toStdString();
}

/**
 * How `path` is opened read-only: its name, or, for a file in write-ahead-log mode in a folder
 * that cannot be written (a read-only collection, a backup on read-only media), the URI of an
 * unchanging file. Such a file cannot be read otherwise while its log is not there, and with no
 * log there is nothing besides the file to read. A connection opened with SQLite::OPEN_URI
 * takes either.
 */
std::string readOnlyName(const QString &path)
{
    try {
        SQLite::Database db(encoded(path), SQLite::OPEN_READONLY);
        db.execAndGet("SELECT count(*) FROM sqlite_schema");
    } catch (const SQLite::Exception &e) {
        const int code = e.getErrorCode() & 0xff;
        if ((code == SQLITE_CANTOPEN || code == SQLITE_READONLY)
            && QFileInfo(path + QStringLiteral("-wal")).size() == 0)
            return immutableUri(path);
    }
    return encoded(path);
}

std::unique_ptr<SQLite::Database> openReadOnly(const QString &path)
{
    auto db = std::make_unique<SQLite::Database>(readOnlyName(path),
                                                 SQLite::OPEN_READONLY | SQLite::OPEN_URI);
    // The keys are ordered by our collation and may use our functions: a check needs both.
    Collation::registerOn(db->getHandle());
    registerSqlFunctions(db->getHandle());
    return db;
}

/**
 * Copies one database page by page through SQLite: the copy holds every committed
 * transaction, those still in the write-ahead log included, and a program that has the
 * target open sees the change as one more transaction instead of losing its files.
 */
bool copyDatabase(const QString &source, const QString &target, QString &error)
{
    try {
        const std::unique_ptr<SQLite::Database> from = openReadOnly(source);
        SQLite::Database to(encoded(target), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        to.setBusyTimeout(10000);
        from->setBusyTimeout(10000);
        SQLite::Backup backup(to, *from);
        backup.executeStep(-1);
        return true;
    } catch (const std::exception &e) {
        error = QStringLiteral("Could not copy ") + source + QStringLiteral(" to ") + target
                + QStringLiteral(": ") + QString::fromUtf8(e.what());
        return false;
    }
}

void removeJournals(const QString &path)
{
    for (const QString &suffix : journalSuffixes)
        QFile::remove(path + suffix);
    QFile::remove(path + QStringLiteral("-shm"));
}

/// Copies `source` to a temporary name beside `target` and renames it over the target.
bool replaceFile(const QString &source, const QString &target, QString &error)
{
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary)) {
        error = QStringLiteral("Could not copy ") + source + QStringLiteral(" to ") + temporary;
        return false;
    }
    // A journal left beside the target would be rolled into the new file: it goes first.
    removeJournals(target);
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData())
        != 0) {
        QFile::remove(temporary);
        error = QStringLiteral("Could not write ") + target;
        return false;
    }
    return true;
}

/**
 * A temporary folder that belongs to one running backup or restore: it holds a lock on the
 * folder for as long as it lives (released by the system when the process ends, however it
 * ends), so that leftovers of killed runs can be told from folders still being written.
 */
class WorkFolder final
{
public:
    WorkFolder(const QString &parent, const QString &prefix)
    {
        QTemporaryDir dir(CollectionPaths::withSlash(parent) + prefix + QStringLiteral("XXXXXX"));
        if (!dir.isValid())
            return;
        dir.setAutoRemove(false);
        m_path = dir.path();
        // Made private; it becomes a backup folder like any other the user makes.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(m_path).constData(), 0777 & ~mask);
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~WorkFolder()
    {
        if (!m_path.isEmpty() && QFileInfo::exists(m_path))
            QDir(m_path).removeRecursively();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    WorkFolder(const WorkFolder &) = delete;
    WorkFolder &operator=(const WorkFolder &) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    /// The folder was renamed away: nothing is left to remove.
    void release() { m_path.clear(); }

    /// Removes the folders starting with `prefix` in `parent` that no running program holds.
    static void removeLeftovers(const QString &parent, const QString &prefix)
    {
        const QStringList found = QDir(parent).entryList({prefix + QLatin1Char('*')},
                                                         QDir::Dirs | QDir::Hidden
                                                             | QDir::NoDotAndDotDot);
        for (const QString &name : found) {
            const QString path = CollectionPaths::withSlash(parent) + name;
            const int fd = ::open(QFile::encodeName(path).constData(),
                                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                continue;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
                QDir(path).removeRecursively();
            ::close(fd);
        }
    }

private:
    QString m_path;
    int m_fd = -1;
};

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

/// Checks one file of a backup; empty when it is sound, else what is wrong with it.
QString checkFile(const QString &path, const QString &name, TableFile kind, BackupJob::Depth depth)
{
    if (QFileInfo(path + QStringLiteral("-journal")).size() > 0)
        return name + QStringLiteral(" was not completely written (its journal is still there)");
    if (!isDatabase(path))
        return name + QStringLiteral(" is not a database");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return name + QStringLiteral(" cannot be read");
    const QByteArray header = file.read(100);
    if (header.size() < 100)
        return name + QStringLiteral(" is cut short");
    // The page count in the header is valid while its change counter matches (SQLite 3.7+);
    // without a log beside it, the file must be that long.
    const quint32 pageSize = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pages = bigEndian32(header, 28);
    const qint64 expected = qint64(pageSize == 1 ? 65536 : pageSize) * pages;
    if (bigEndian32(header, 24) == bigEndian32(header, 92) && pages > 0
        && QFileInfo(path + QStringLiteral("-wal")).size() == 0 && file.size() < expected)
        return name
               + QStringLiteral(" is cut short (%1 of %2 bytes)").arg(file.size()).arg(expected);
    file.close();
    try {
        const std::unique_ptr<SQLite::Database> db = openReadOnly(path);
        SchemaManager::FileInfo info;
        if (const StoreStatus s = SchemaManager::inspect(*db, "main", info); !s)
            return name + QStringLiteral(" cannot be read: ") + s.describe();
        if (!info.ours)
            return name + QStringLiteral(" is not a Pathkeep collection file");
        if (info.kind != SchemaManager::kindName(kind))
            return name + QStringLiteral(" holds the tables of another collection file");
        SQLite::Statement table(*db,
                                "SELECT count(*) FROM sqlite_schema WHERE type = 'table' "
                                "AND name = ? COLLATE NOCASE");
        auto exists = [&table](const char *sqlTable) {
            table.reset();
            table.bind(1, sqlTable);
            return table.executeStep() && table.getColumn(0).getInt() > 0;
        };
        for (const TableDef *t : collectionTables()) {
            if (t->file != kind)
                continue;
            // A file of an earlier structure keeps its locations as URL_L until it is opened.
            const bool found = exists(t->sqlTable)
                               || (t->file == TableFile::Data
                                   && QLatin1String(t->sqlTable) == QLatin1String("Locations")
                                   && exists("URL_L"));
            if (!found)
                return name + QStringLiteral(" has no ") + QLatin1String(t->sqlTable)
                       + QStringLiteral(" table");
        }
        if (depth == BackupJob::Depth::Full) {
            SQLite::Statement integrity(*db, "PRAGMA integrity_check(1)");
            const QString verdict = integrity.executeStep()
                                        ? QString::fromUtf8(integrity.getColumn(0).getText())
                                        : QStringLiteral("no answer");
            if (verdict != QLatin1String("ok"))
                return name + QStringLiteral(" is damaged: ") + verdict;
        }
    } catch (const std::exception &e) {
        return name + QStringLiteral(" cannot be read: ") + QString::fromUtf8(e.what());
    }
    return {};
}

/// A folder name in `parent` that is not taken: `base`, else `base (2)`, `base (3)`, ...
QString freeName(const QString &parent, const QString &base)
{
    QString path = CollectionPaths::withSlash(parent) + base;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = CollectionPaths::withSlash(parent) + base + QStringLiteral(" (%1)").arg(n);
    return path;
}
} // namespace

QStringList BackupJob::fileNames()
{
    return {QStringLiteral("URLDATA.TPS"), QStringLiteral("URL_C.TPS"), QStringLiteral("URL_H.TPS")};
}

bool BackupJob::check(const QString &folder, Depth depth, QString &problem)
{
    const QStringList names = fileNames();
    for (int i = 0; i < names.size(); ++i) {
        const QString found = CollectionPaths::findFile(folder, names.at(i));
        if (found.isEmpty()) {
            problem = names.at(i) + QStringLiteral(" is missing");
            return false;
        }
        problem = checkFile(CollectionPaths::withSlash(folder) + found,
                            names.at(i),
                            static_cast<TableFile>(i),
                            depth);
        if (!problem.isEmpty())
            return false;
    }
    return true;
}

bool BackupJob::copyFiles(const QString &from, const QString &to, QString &error)
{
    int copied = 0;
    for (const QString &name : fileNames()) {
        const QString found = CollectionPaths::findFile(from, name);
        if (found.isEmpty())
            continue;
        const QString target = CollectionPaths::withSlash(to) + name;
        const QString source = CollectionPaths::withSlash(from) + found;
        QString ignored;
        if (isDatabase(source) && copyDatabase(source, target, ignored)) {
            ++copied;
            continue;
        }
        // Not a database, or one SQLite cannot read: the bytes as they are, journals with them.
        removeJournals(target);
        if (!replaceFile(source, target, error))
            return false;
        for (const QString &suffix : journalSuffixes) {
            const QString journal = source + suffix;
            if (QFileInfo::exists(journal) && !replaceFile(journal, target + suffix, error))
                return false;
        }
        ++copied;
    }
    if (copied == 0) {
        error = QStringLiteral("There are no collection files in ") + from;
        return false;
    }
    return true;
}

bool BackupJob::putInPlace(const QString &from, const QString &to, QString &error)
{
    // The location file last: until it is in place, the collection's locations are the old ones.
    QStringList names = fileNames();
    std::reverse(names.begin(), names.end());
    for (const QString &name : names) {
        const QString source = CollectionPaths::withSlash(from) + name;
        if (!QFileInfo::exists(source))
            continue;
        const QString existing = CollectionPaths::findFile(to, name);
        const QString target = CollectionPaths::withSlash(to)
                               + (existing.isEmpty() ? name : existing);
        QString ignored;
        // Into the target itself, never beside it and renamed: a program may have it open.
        if (QFileInfo::exists(target) && isDatabase(target) && isDatabase(source)
            && copyDatabase(source, target, ignored))
            continue;
        if (!replaceFile(source, target, error))
            return false;
        if (!isDatabase(source)) {
            for (const QString &suffix : journalSuffixes) {
                if (QFileInfo::exists(source + suffix)
                    && !replaceFile(source + suffix, target + suffix, error))
                    return false;
            }
        }
    }
    return true;
}

bool BackupJob::snapshot(const QString &from, const QString &to, QString &error)
{
    struct Part
    {
        QString name;
        QString source;
        std::string schema;
    };
    std::vector<Part> parts;
    for (const QString &name : fileNames()) {
        const QString found = CollectionPaths::findFile(from, name);
        if (found.isEmpty()) {
            error = QStringLiteral("The collection in ") + from + QStringLiteral(" has no ") + name
                    + QStringLiteral(".");
            return false;
        }
        const QString source = CollectionPaths::withSlash(from) + found;
        if (!isDatabase(source)) {
            error = name + QStringLiteral(" in ") + from
                    + QStringLiteral(" is not a database: it cannot be backed up. Repair it "
                                     "first (File, Support Tools, Repair Databases).");
            return false;
        }
        parts.push_back({name,
                         source,
                         parts.empty() ? std::string("main") : "f" + std::to_string(parts.size())});
    }
    try {
        // The reader whose snapshot is copied.
        const std::unique_ptr<SQLite::Database> reader = openReadOnly(parts.front().source);
        reader->setBusyTimeout(10000);
        for (std::size_t i = 1; i < parts.size(); ++i) {
            SQLite::Statement attach(*reader, "ATTACH DATABASE ? AS " + parts[i].schema);
            attach.bind(1, readOnlyName(parts[i].source));
            attach.exec();
        }
        // A write lock on every file, held only while the reader's snapshot starts: no
        // transaction of a writer can be half committed across the files at that moment. A
        // writer waiting for a lock this one holds makes it give way and try again. A
        // collection nobody can write (read-only files or folder) needs no lock.
        bool writable = true;
        std::unique_ptr<SQLite::Database> gate;
        try {
            gate = std::make_unique<SQLite::Database>(encoded(parts.front().source),
                                                      SQLite::OPEN_READWRITE);
            for (std::size_t i = 1; i < parts.size(); ++i) {
                SQLite::Statement attach(*gate, "ATTACH DATABASE ? AS " + parts[i].schema);
                attach.bind(1, encoded(parts[i].source));
                attach.exec();
            }
            gate->setBusyTimeout(200);
        } catch (const SQLite::Exception &) {
            writable = false;
        }
        bool locked = !writable;
        for (int attempt = 0; attempt < 50 && !locked; ++attempt) {
            try {
                gate->exec("BEGIN IMMEDIATE");
                locked = true;
            } catch (const SQLite::Exception &e) {
                const int code = e.getErrorCode() & 0xff;
                if (code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_PERM) {
                    writable = false;
                    locked = true;
                    break;
                }
                QThread::msleep(50);
            }
        }
        if (!locked) {
            error = QStringLiteral("The collection in ") + from
                    + QStringLiteral(" is busy; try the backup again.");
            return false;
        }
        reader->exec("BEGIN");
        for (const Part &part : parts)
            reader->execAndGet("SELECT count(*) FROM " + part.schema + ".sqlite_master");
        if (writable)
            gate->exec("ROLLBACK");
        gate.reset();

        for (const Part &part : parts) {
            const QString target = CollectionPaths::withSlash(to) + part.name;
            removeJournals(target);
            SQLite::Database copy(encoded(target), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            copy.setBusyTimeout(10000);
            SQLite::Backup backup(copy, "main", *reader, part.schema);
            backup.executeStep(-1);
            // A backup is one file each: read without a log beside it, also on read-only media
            // (Pathkeep takes its files back to its own mode when it opens them).
            copy.exec("PRAGMA journal_mode = DELETE");
        }
        reader->exec("COMMIT");
    } catch (const std::exception &e) {
        error = QStringLiteral("Could not back up ") + from + QStringLiteral(" to ") + to
                + QStringLiteral(": ") + QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

bool BackupJob::backup(const QString &collectionFolder, const QString &backupFolder, QString &error)
{
    if (CollectionPaths::sameFolder(collectionFolder, backupFolder)) {
        error = QStringLiteral("The backup folder must not be the collection folder.");
        return false;
    }
    if (CollectionPaths::findFile(collectionFolder, fileNames().front()).isEmpty()) {
        error = QStringLiteral("There are no collection files in ") + collectionFolder;
        return false;
    }
    const QString target = QDir::cleanPath(QDir(backupFolder).absolutePath());
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent)) {
        error = QStringLiteral("Could not create the folder ") + parent;
        return false;
    }
    const bool targetExists = QFileInfo(target).isDir();
    if (QFileInfo::exists(target) && !targetExists) {
        error = target + QStringLiteral(" is not a folder.");
        return false;
    }
    // Leftovers of backups that were killed or ran out of disk go now.
    WorkFolder::removeLeftovers(parent, backupWorkPrefix);
    if (targetExists)
        WorkFolder::removeLeftovers(target, backupWorkPrefix);
    std::unique_ptr<WorkFolder> work = std::make_unique<WorkFolder>(parent, backupWorkPrefix);
    if (!work->isValid() && targetExists)
        work = std::make_unique<WorkFolder>(target, backupWorkPrefix);
    if (!work->isValid()) {
        error = QStringLiteral("Could not create a folder in ") + parent;
        return false;
    }
    if (!snapshot(collectionFolder, work->path(), error))
        return false;
    QString problem;
    if (!check(work->path(), Depth::Full, problem)) {
        error = QStringLiteral("The backup of ") + collectionFolder
                + QStringLiteral(" did not pass its check (") + problem
                + QStringLiteral("); nothing was kept.");
        return false;
    }
    if (!targetExists) {
        if (!QDir().rename(work->path(), target)) {
            error = QStringLiteral("Could not create the folder ") + target;
            return false;
        }
        work->release();
        return true;
    }
    // Into a folder that holds a backup already: each checked file is renamed over its
    // predecessor, which stays whole until then.
    QStringList names = fileNames();
    std::reverse(names.begin(), names.end());
    for (const QString &name : names) {
        const QString existing = CollectionPaths::findFile(target, name);
        const QString to = CollectionPaths::withSlash(target)
                           + (existing.isEmpty() ? name : existing);
        removeJournals(to);
        if (::rename(QFile::encodeName(CollectionPaths::withSlash(work->path()) + name).constData(),
                     QFile::encodeName(to).constData())
            != 0) {
            error = QStringLiteral("Could not write ") + to + QStringLiteral(": ")
                    + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    return true;
}

QString BackupJob::datedFolder(const QString &parent, const QDateTime &when)
{
    return CollectionPaths::withSlash(parent) + QStringLiteral("Pathkeep ")
           + when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
}

std::vector<BackupEntry> BackupJob::list(const QString &parent)
{
    std::vector<BackupEntry> out;
    auto look = [&out](const QString &folder) {
        const QString data = CollectionPaths::findFile(folder, fileNames().front());
        if (data.isEmpty())
            return;
        BackupEntry entry;
        entry.folder = folder;
        const QString path = CollectionPaths::withSlash(folder) + data;
        const QString name = QFileInfo(folder).fileName();
        entry.taken = QDateTime::fromString(name.mid(name.indexOf(QLatin1Char(' ')) + 1),
                                            QStringLiteral("yyyy-MM-dd HH.mm.ss"));
        if (!entry.taken.isValid())
            entry.taken = QFileInfo(path).lastModified();
        if (check(folder, Depth::Quick, entry.problem)) {
            try {
                const std::unique_ptr<SQLite::Database> db = openReadOnly(path);
                entry.locations = db->execAndGet("SELECT count(*) FROM Locations").getInt64();
            } catch (const std::exception &) {
                entry.locations = -1;
            }
        }
        out.push_back(entry);
    };
    look(parent);
    // Hidden folders (unfinished backups among them) are not listed.
    const QStringList folders = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                       QDir::Name);
    for (const QString &folder : folders) {
        if (!folder.startsWith(QLatin1Char('.')))
            look(CollectionPaths::withSlash(parent) + folder);
    }
    std::stable_sort(out.begin(), out.end(), [](const BackupEntry &a, const BackupEntry &b) {
        return a.taken > b.taken;
    });
    return out;
}

std::vector<FileHolder> BackupJob::holders(const QString &collectionFolder)
{
    QStringList files;
    for (const QString &name : fileNames()) {
        const QString found = CollectionPaths::findFile(collectionFolder, name);
        if (found.isEmpty())
            continue;
        const QString path
            = QFileInfo(CollectionPaths::withSlash(collectionFolder) + found).canonicalFilePath();
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            files << path + suffix;
    }
    std::vector<FileHolder> out;
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList pids
        = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pidText : pids) {
        bool ok = false;
        const qint64 pid = pidText.toLongLong(&ok);
        if (!ok || pid == self)
            continue;
        const QString fdFolder = QStringLiteral("/proc/") + pidText + QStringLiteral("/fd");
        const QStringList fds = QDir(fdFolder).entryList(QDir::AllEntries | QDir::System
                                                         | QDir::Hidden | QDir::NoDotAndDotDot);
        const bool holds = std::any_of(fds.begin(), fds.end(), [&](const QString &fd) {
            return files.contains(QFile::symLinkTarget(fdFolder + QLatin1Char('/') + fd));
        });
        if (!holds)
            continue;
        QFile comm(QStringLiteral("/proc/") + pidText + QStringLiteral("/comm"));
        QString program;
        if (comm.open(QIODevice::ReadOnly))
            program = QString::fromLocal8Bit(comm.readAll()).trimmed();
        out.push_back({pid, program});
    }
    return out;
}

QString BackupJob::keptNote(const QString &keptFolder)
{
    return QStringLiteral("The files the restore replaced are kept in ") + keptFolder
           + QStringLiteral(" (restoring from there undoes the restore).");
}

bool BackupJob::restore(const QString &backupFolder,
                        const QString &collectionFolder,
                        QString &error,
                        QString *keptFolder)
{
    if (keptFolder)
        keptFolder->clear();
    if (CollectionPaths::sameFolder(collectionFolder, backupFolder)) {
        error = QStringLiteral("The backup folder must not be the collection folder.");
        return false;
    }
    if (CollectionPaths::findFile(backupFolder, fileNames().front()).isEmpty()) {
        error = QStringLiteral("There is no backup in ") + backupFolder;
        return false;
    }
    const QString refused = QStringLiteral("The backup in ") + backupFolder
                            + QStringLiteral(" cannot be restored: ");
    QString problem;
    if (!check(backupFolder, Depth::Quick, problem)) {
        error = refused + problem + QStringLiteral(". The collection was not changed.");
        return false;
    }
    const std::vector<FileHolder> open = holders(collectionFolder);
    if (!open.empty()) {
        const FileHolder &first = open.front();
        error = QStringLiteral("The collection in ") + collectionFolder
                + QStringLiteral(" is open in ")
                + (first.program.isEmpty() ? QStringLiteral("another program") : first.program)
                + QStringLiteral(" (process ") + QString::number(first.pid)
                + QStringLiteral("). Close it, then restore.");
        return false;
    }
    if (!QDir().mkpath(collectionFolder)) {
        error = QStringLiteral("Could not create the folder ") + collectionFolder;
        return false;
    }
    WorkFolder::removeLeftovers(collectionFolder, restoreWorkPrefix);
    WorkFolder work(collectionFolder, restoreWorkPrefix);
    if (!work.isValid()) {
        error = QStringLiteral("Could not create a folder in ") + collectionFolder;
        return false;
    }
    // The backup's files are copied beside the collection and checked there: what is put in
    // place is exactly what passed.
    const QString staged = work.path() + QStringLiteral("/restored");
    if (!QDir().mkpath(staged)) {
        error = QStringLiteral("Could not create the folder ") + staged;
        return false;
    }
    for (const QString &name : fileNames()) {
        const QString source = CollectionPaths::withSlash(backupFolder)
                               + CollectionPaths::findFile(backupFolder, name);
        if (!copyDatabase(source, staged + QLatin1Char('/') + name, error))
            return false;
    }
    if (!check(staged, Depth::Full, problem)) {
        error = refused + problem + QStringLiteral(". The collection was not changed.");
        return false;
    }

    // The files about to be replaced become a backup of their own (whole before anything is
    // replaced): restoring from it undoes this restore.
    QString kept;
    if (!CollectionPaths::findFile(collectionFolder, fileNames().front()).isEmpty()
        || !CollectionPaths::findFile(collectionFolder, fileNames().at(1)).isEmpty()
        || !CollectionPaths::findFile(collectionFolder, fileNames().at(2)).isEmpty()) {
        const QString replaced = work.path() + QStringLiteral("/replaced");
        QString snapshotError;
        if (!QDir().mkpath(replaced)
            || (!snapshot(collectionFolder, replaced, snapshotError)
                && !copyFiles(collectionFolder, replaced, error))) {
            if (error.isEmpty())
                error = snapshotError;
            error = QStringLiteral("The collection's files could not be kept before the restore (")
                    + error + QStringLiteral("). The collection was not changed.");
            return false;
        }
        kept = freeName(collectionFolder,
                        QStringLiteral("Replaced ")
                            + QDateTime::currentDateTime().toString(
                                QStringLiteral("yyyy-MM-dd HH.mm.ss")));
        if (!QDir().rename(replaced, kept)) {
            error = QStringLiteral("Could not create the folder ") + kept
                    + QStringLiteral(". The collection was not changed.");
            return false;
        }
        if (keptFolder)
            *keptFolder = kept;
    }

    const bool placed = putInPlace(staged, collectionFolder, error);
    QString openError;
    if (placed) {
        Collection collection(collectionFolder);
        const StoreStatus opened = collection.openAll(false);
        if (opened)
            return true;
        openError = opened.describe();
    }
    // Not in place, or it does not open: the collection is put back as it was.
    const QString why = placed ? QStringLiteral("the restored files do not open: ") + openError
                               : error;
    QString backError;
    if (!kept.isEmpty() && putInPlace(kept, collectionFolder, backError)) {
        error = QStringLiteral("The restore failed (") + why
                + QStringLiteral("); the collection was put back as it was.");
    } else {
        error = QStringLiteral("The restore failed (") + why + QStringLiteral(").")
                + (kept.isEmpty() ? QString()
                                  : QStringLiteral(" The former files are kept in ") + kept
                                        + QStringLiteral(": restore them from there (") + backError
                                        + QStringLiteral(")."));
    }
    return false;
}

} // namespace pk
