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
    QString problem;       ///< why it cannot be restored; empty for a usable backup

    bool usable() const { return problem.isEmpty(); }
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
 * Databases are copied through SQLite's online backup. A backup is one snapshot of all three
 * files: writers are held off while it starts, so the three copies belong to the same moment
 * and hold every committed record (also those still in the write-ahead log of a running
 * Pathkeep). It is written into a hidden temporary folder beside its target and takes the
 * target's name only once it is complete and has passed check(); a backup that was killed or
 * ran out of disk leaves only such a temporary folder, which is never listed and which the next
 * backup into the same place removes.
 *
 * A restore checks the backup first and refuses one that fails. Before it replaces anything it
 * keeps the collection's files as they are in a folder of their own inside the collection
 * folder ("Replaced yyyy-MM-dd HH.mm.ss", itself a backup: restoring from it undoes the
 * restore). The restored files are written into the collection's own files (a program that
 * has them open sees one more transaction); when they do not open afterwards, the kept files
 * are put back. A restore is refused while another program has a file of the collection open.
 */
class BackupJob final
{
public:
    static QStringList fileNames(); ///< URLDATA.TPS, URL_C.TPS, URL_H.TPS

    /// How thoroughly check() looks at a backup.
    enum class Depth {
        Quick, ///< files, headers, lengths, tables: reads a few pages (listing)
        Full,  ///< and SQLite's integrity check of every page (before a backup or restore counts)
    };

    /// Copies the collection files of `collectionFolder` into `backupFolder` (created when
    /// missing, its collection files replaced when it holds a backup already). Fails when the
    /// copy does not pass check(), and then leaves `backupFolder` as it was.
    static bool backup(const QString &collectionFolder, const QString &backupFolder, QString &error);
    /// What a restore tells about `keptFolder`, the folder that holds the files it replaced.
    static QString keptNote(const QString &keptFolder);
    /// Copies the files of `backupFolder` back into `collectionFolder`, replacing them.
    /// `keptFolder` receives the folder that holds the replaced files (empty when the collection
    /// had none).
    static bool restore(const QString &backupFolder,
                        const QString &collectionFolder,
                        QString &error,
                        QString *keptFolder = nullptr);

    /**
     * Whether `folder` holds a backup that can be restored: all three files, each a complete
     * SQLite database with no unfinished write beside it, of the right kind and with its
     * tables. False with `problem` naming the file and what is wrong with it.
     */
    static bool check(const QString &folder, Depth depth, QString &problem);

    /// The dated folder a backup taken at `when` goes to inside `parent`.
    static QString datedFolder(const QString &parent, const QDateTime &when);
    /// The backups in `parent` (itself, or its dated folders), newest first, each checked
    /// quickly; temporary folders of unfinished backups are left out.
    static std::vector<BackupEntry> list(const QString &parent);
    /// Other programs that have a file of `collectionFolder` open (this program not counted).
    static std::vector<FileHolder> holders(const QString &collectionFolder);

private:
    static bool snapshot(const QString &from, const QString &to, QString &error);
    static bool copyFiles(const QString &from, const QString &to, QString &error);
    static bool putInPlace(const QString &from, const QString &to, QString &error);
};

} // namespace pk
