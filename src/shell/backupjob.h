#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/**
 * @brief Copies a collection's three files to a backup folder and back.
 *
 * Databases are copied through SQLite's online backup, into the target itself: the copy holds
 * every committed record (also those still in the write-ahead log of a running Pathkeep), and
 * a running Pathkeep sees a restore as one more transaction. Any other file is copied to a
 * temporary name beside its target and renamed over it, its journal files travelling with it
 * and a stale journal at the target removed.
 */
class BackupJob final
{
public:
    static QStringList fileNames(); ///< URLDATA.TPS, URL_C.TPS, URL_H.TPS

    /// Copies the collection files of `collectionFolder` into `backupFolder` (created when
    /// missing). Files the collection lacks are skipped; none at all is an error.
    static bool backup(const QString &collectionFolder, const QString &backupFolder, QString &error);
    /// Copies the files of `backupFolder` back into `collectionFolder`, replacing them.
    static bool restore(const QString &backupFolder,
                        const QString &collectionFolder,
                        QString &error);

private:
    static bool copyAll(const QString &from, const QString &to, QString &error);
};

} // namespace pk
