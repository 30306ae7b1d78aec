#pragma once

#include "shell/backupjob.h"

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace pk {

class UserInterface;

/**
 * @brief The backup utility's window: dated backups of one collection into a folder the user
 * chose, the list of the backups there, and the restore of one.
 *
 * Backups that cannot be restored are listed with what is wrong with them, greyed, and never
 * chosen for the user: the newest usable backup is. Restoring asks first, with No as the
 * answer a stray Enter gives.
 */
class BackupWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackupWindow)

public:
    static constexpr int TakenColumn = 0;
    static constexpr int LocationsColumn = 1;
    static constexpr int StateColumn = 2;
    static constexpr int FolderColumn = 3;

    BackupWindow(UserInterface &ui,
                 QString collectionFolder,
                 QString backupFolder,
                 QWidget *parent = nullptr);

    QString backupFolder() const { return m_parent; }
    QTreeWidget *backupList() const { return m_backups; }
    /// The backups as listed, in the list's order.
    const std::vector<BackupEntry> &entries() const { return m_entries; }

    /// Lists the backups in the backup folder again.
    void refresh();
    /// Asks for the backup folder; false when cancelled.
    bool chooseFolder();
    /// Takes a backup into a dated folder of the backup folder.
    void backupNow();
    /// Restores the chosen backup after asking.
    void restoreChosen();

Q_SIGNALS:
    void backupFolderChanged(const QString &folder);

private:
    UserInterface &m_ui;
    QString m_collection;
    QString m_parent;
    std::vector<BackupEntry> m_entries;
    QLabel *m_folderLabel = nullptr;
    QTreeWidget *m_backups = nullptr;
};

} // namespace pk
