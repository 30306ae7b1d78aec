#pragma once

#include <QString>
#include <QStringList>

namespace pk {

/**
 * @brief Copies a collection's three files to a backup folder and back.
 *
 * Each file is copied to a temporary name beside its target and then renamed over it, so an
 * interrupted run never leaves a half-written collection file. SQLite's companion journal files
 * travel with their file; a stale journal at the target is removed.
 */
class BackupJob final
{
public:
    static QStringList fileNames(); ///< URLDATA.TPS, URL_C.TPS, URL_H.TPS

    /// Copies the collection files of `collectionFolder` into `backupFolder` (created when
    /// missing). Files the collection lacks are skipped; none at all is an error.
    static bool backup(const QString &collectionFolder, const QString &backupFolder, QString &error);
    /// Copies the files of `backupFolder` back into `collectionFolder`, replacing them.
    static bool restore(const QString &backupFolder, const QString &collectionFolder, QString &error);

private:
    static bool copyAll(const QString &from, const QString &to, QString &error);
};

} // namespace pk
