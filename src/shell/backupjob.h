#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace pk {

/// One backup found in a backup folder.
struct BackupEntry
{
    QString folder;
    QDateTime taken;       ///< when it was taken (from the folder's name, else its files)
    qint64 locations = -1; ///< locations it holds; -1 when they cannot be counted
};

/// Another program that has a file of a collection open.
struct FileHolder
{
    qint64 pid = 0;
    QString program; ///< the program's name, "pathkeep"
};

/**
 * @brief Copies a collection's three files to a backup folder and back.
 *
 * Databases are copied through SQLite's online backup. A backup of a collection whose data
 * file is a database is one snapshot of all its files: writers are held off while it is taken,
 * so the three copies belong to the same moment and hold every committed record (also those
 * still in the write-ahead log of a running Pathkeep). A restore is refused while another
 * program has a file of the collection open. Any other file is copied to a temporary name
 * beside its target and renamed over it, its journal files travelling with it and a stale
 * journal at the target removed.
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

    /// The dated folder a backup taken at `when` goes to inside `parent`.
    static QString datedFolder(const QString &parent, const QDateTime &when);
    /// The backups in `parent` (itself, or its dated folders), newest first.
    static std::vector<BackupEntry> list(const QString &parent);
    /// Other programs that have a file of `collectionFolder` open (this program not counted).
    static std::vector<FileHolder> holders(const QString &collectionFolder);

private:
    static bool snapshot(const QString &from, const QString &to, QString &error);
    static bool copyAll(const QString &from, const QString &to, QString &error);
};

} // namespace pk
