#include "shell/backupjob.h"

#include "shell/collectionpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>

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

bool BackupJob::backup(const QString &collectionFolder, const QString &backupFolder, QString &error)
{
    if (CollectionPaths::sameFolder(collectionFolder, backupFolder)) {
        error = QStringLiteral("The backup folder must not be the collection folder.");
        return false;
    }
    return copyAll(collectionFolder, backupFolder, error);
}

bool BackupJob::restore(const QString &backupFolder, const QString &collectionFolder, QString &error)
{
    if (CollectionPaths::sameFolder(collectionFolder, backupFolder)) {
        error = QStringLiteral("The backup folder must not be the collection folder.");
        return false;
    }
    return copyAll(backupFolder, collectionFolder, error);
}

} // namespace pk
