#include "shell/backupjob.h"

#include "shell/collectionpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <algorithm>

namespace pk {

namespace {
const QStringList journalSuffixes = {QStringLiteral("-journal"), QStringLiteral("-wal")};

bool isDatabase(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

/**
 * Copies one database page by page through SQLite: the copy holds every committed
 * transaction, those still in the write-ahead log included, and a program that has the
 * target open sees the change as one more transaction instead of losing its files.
 */
bool copyDatabase(const QString &source, const QString &target, QString &error)
{
    try {
        SQLite::Database from(QFile::encodeName(source).toStdString(), SQLite::OPEN_READONLY);
        SQLite::Database to(QFile::encodeName(target).toStdString(),
                            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        to.setBusyTimeout(10000);
        from.setBusyTimeout(10000);
        SQLite::Backup backup(to, from);
        backup.executeStep(-1);
        return true;
    } catch (const std::exception &e) {
        error = QStringLiteral("Could not copy ") + source + QStringLiteral(" to ") + target
                + QStringLiteral(": ") + QString::fromUtf8(e.what());
        return false;
    }
}

bool replaceFile(const QString &source, const QString &target, QString &error)
{
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary)) {
        error = QStringLiteral("Could not copy ") + source + QStringLiteral(" to ") + temporary;
        return false;
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        error = QStringLiteral("Could not write ") + target;
        return false;
    }
    return true;
}
} // namespace

QStringList BackupJob::fileNames()
{
    return {QStringLiteral("URLDATA.TPS"), QStringLiteral("URL_C.TPS"), QStringLiteral("URL_H.TPS")};
}

bool BackupJob::copyAll(const QString &from, const QString &to, QString &error)
{
    if (!QDir().mkpath(to)) {
        error = QStringLiteral("Could not create the folder ") + to;
        return false;
    }
    int copied = 0;
    for (const QString &name : fileNames()) {
        const QString found = CollectionPaths::findFile(from, name);
        if (found.isEmpty())
            continue;
        const QString target = CollectionPaths::withSlash(to) + name;
        const QString source = CollectionPaths::withSlash(from) + found;
        if (isDatabase(source) && (!QFileInfo::exists(target) || isDatabase(target))) {
            // Into the target itself, never beside it and renamed: Pathkeep may have it open.
            if (!copyDatabase(source, target, error))
                return false;
            ++copied;
            continue;
        }
        if (!replaceFile(source, target, error))
            return false;
        for (const QString &suffix : journalSuffixes) {
            QFile::remove(target + suffix);
            const QString journal = CollectionPaths::withSlash(from) + found + suffix;
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
        if (found.isEmpty() || !isDatabase(CollectionPaths::withSlash(from) + found))
            continue;
        parts.push_back({name,
                         CollectionPaths::withSlash(from) + found,
                         parts.empty() ? std::string("main") : "f" + std::to_string(parts.size())});
    }
    if (!QDir().mkpath(to)) {
        error = QStringLiteral("Could not create the folder ") + to;
        return false;
    }
    auto openAll = [&](SQLite::Database &db) {
        for (std::size_t i = 1; i < parts.size(); ++i) {
            SQLite::Statement attach(db, "ATTACH DATABASE ? AS " + parts[i].schema);
            attach.bind(1, QFile::encodeName(parts[i].source).toStdString());
            attach.exec();
        }
    };
    const std::string first = QFile::encodeName(parts.front().source).toStdString();
    try {
        // The reader whose snapshot is copied.
        SQLite::Database reader(first, SQLite::OPEN_READONLY);
        reader.setBusyTimeout(10000);
        openAll(reader);
        // A write lock on every file, held only while the reader's snapshot starts: no
        // transaction of a writer can be half committed across the files at that moment. A
        // writer waiting for a lock this one holds makes it give way and try again.
        SQLite::Database gate(first, SQLite::OPEN_READWRITE);
        openAll(gate);
        gate.setBusyTimeout(200);
        bool locked = false;
        for (int attempt = 0; attempt < 50 && !locked; ++attempt) {
            try {
                gate.exec("BEGIN IMMEDIATE");
                locked = true;
            } catch (const SQLite::Exception &) {
                QThread::msleep(50);
            }
        }
        if (!locked) {
            error = QStringLiteral("The collection in ") + from
                    + QStringLiteral(" is busy; try the backup again.");
            return false;
        }
        reader.exec("BEGIN");
        for (const Part &part : parts)
            reader.execAndGet("SELECT count(*) FROM " + part.schema + ".sqlite_master");
        gate.exec("ROLLBACK");

        for (const Part &part : parts) {
            const QString target = CollectionPaths::withSlash(to) + part.name;
            for (const QString &suffix : journalSuffixes)
                QFile::remove(target + suffix);
            SQLite::Database copy(QFile::encodeName(target).toStdString(),
                                  SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            copy.setBusyTimeout(10000);
            SQLite::Backup backup(copy, "main", reader, part.schema);
            backup.executeStep(-1);
        }
        reader.exec("COMMIT");
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
    const QString data = CollectionPaths::findFile(collectionFolder, fileNames().front());
    if (!data.isEmpty() && isDatabase(CollectionPaths::withSlash(collectionFolder) + data)) {
        // Files that are not databases (none in a sound collection) are copied as they are.
        bool allDatabases = true;
        for (const QString &name : fileNames()) {
            const QString found = CollectionPaths::findFile(collectionFolder, name);
            allDatabases = allDatabases
                           && (found.isEmpty()
                               || isDatabase(CollectionPaths::withSlash(collectionFolder) + found));
        }
        if (allDatabases)
            return snapshot(collectionFolder, backupFolder, error);
    }
    return copyAll(collectionFolder, backupFolder, error);
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
        try {
            SQLite::Database db(QFile::encodeName(path).toStdString(), SQLite::OPEN_READONLY);
            entry.locations = db.execAndGet("SELECT count(*) FROM Locations").getInt64();
        } catch (const std::exception &) {
            entry.locations = -1;
        }
        out.push_back(entry);
    };
    look(parent);
    const QStringList folders = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                       QDir::Name);
    for (const QString &folder : folders)
        look(CollectionPaths::withSlash(parent) + folder);
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

bool BackupJob::restore(const QString &backupFolder, const QString &collectionFolder, QString &error)
{
    if (CollectionPaths::sameFolder(collectionFolder, backupFolder)) {
        error = QStringLiteral("The backup folder must not be the collection folder.");
        return false;
    }
    if (CollectionPaths::findFile(backupFolder, fileNames().front()).isEmpty()) {
        error = QStringLiteral("There is no backup in ") + backupFolder;
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
    return copyAll(backupFolder, collectionFolder, error);
}

} // namespace pk
