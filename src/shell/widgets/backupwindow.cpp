#include "shell/widgets/backupwindow.h"

#include "framework/userinterface.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pk {

BackupWindow::BackupWindow(UserInterface &ui,
                           QString collectionFolder,
                           QString backupFolder,
                           QWidget *parent)
    : QWidget(parent)
    , m_ui(ui)
    , m_collection(std::move(collectionFolder))
    , m_parent(std::move(backupFolder))
{
    setWindowTitle(QStringLiteral("Pathkeep Backup and Restore"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Collection folder:\n") + m_collection, this));
    m_folderLabel = new QLabel(this);
    layout->addWidget(m_folderLabel);
    m_backups = new QTreeWidget(this);
    m_backups->setRootIsDecorated(false);
    m_backups->setHeaderLabels({QStringLiteral("Taken"),
                                QStringLiteral("Locations"),
                                QStringLiteral("State"),
                                QStringLiteral("Folder")});
    m_backups->setAccessibleName(QStringLiteral("Backups"));
    layout->addWidget(m_backups, 1);
    auto *choose = new QPushButton(QStringLiteral("&Choose backup folder..."), this);
    auto *backup = new QPushButton(QStringLiteral("&Backup"), this);
    auto *restore = new QPushButton(QStringLiteral("&Restore the chosen backup"), this);
    auto *close = new QPushButton(QStringLiteral("Cl&ose"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {choose, backup, restore, close})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(choose, &QPushButton::clicked, this, [this] { chooseFolder(); });
    connect(backup, &QPushButton::clicked, this, &BackupWindow::backupNow);
    connect(restore, &QPushButton::clicked, this, &BackupWindow::restoreChosen);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(720, 360);
    refresh();
}

void BackupWindow::refresh()
{
    m_folderLabel->setText(m_parent.isEmpty() ? QStringLiteral("No backup folder chosen.")
                                              : QStringLiteral("Backups in ") + m_parent);
    m_backups->clear();
    m_entries.clear();
    if (m_parent.isEmpty())
        return;
    m_entries = BackupJob::list(m_parent);
    QTreeWidgetItem *chosen = nullptr;
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (const BackupEntry &entry : m_entries) {
        auto *item = new QTreeWidgetItem(m_backups);
        item->setText(TakenColumn, QLocale().toString(entry.taken, QLocale::ShortFormat));
        item->setText(LocationsColumn,
                      entry.locations < 0 ? QStringLiteral("?") : QString::number(entry.locations));
        item->setText(StateColumn,
                      entry.usable() ? QStringLiteral("Usable")
                                     : QStringLiteral("Cannot be restored: ") + entry.problem);
        item->setText(FolderColumn, entry.folder);
        if (!entry.usable()) {
            for (int column = 0; column < m_backups->columnCount(); ++column)
                item->setForeground(column, grey);
            item->setToolTip(StateColumn, entry.problem);
        } else if (!chosen) {
            chosen = item; // newest first: the newest usable backup
        }
    }
    for (int column : {TakenColumn, LocationsColumn, StateColumn})
        m_backups->resizeColumnToContents(column);
    if (chosen)
        m_backups->setCurrentItem(chosen);
    else
        m_backups->setCurrentItem(nullptr);
}

bool BackupWindow::chooseFolder()
{
    const std::optional<QString> folder = m_ui.existingFolder(QStringLiteral("Backup folder"),
                                                              m_parent);
    if (!folder || folder->isEmpty())
        return false;
    m_parent = *folder;
    Q_EMIT backupFolderChanged(m_parent);
    refresh();
    return true;
}

void BackupWindow::backupNow()
{
    if (m_parent.isEmpty() && !chooseFolder())
        return;
    const QString target = BackupJob::datedFolder(m_parent, QDateTime::currentDateTime());
    QString error;
    if (BackupJob::backup(m_collection, target, error))
        m_ui.message(QStringLiteral("Backup"),
                     QStringLiteral("The collection was copied to ") + target + QStringLiteral("."));
    else
        m_ui.message(QStringLiteral("Backup"), error, UserInterface::Icon::Warning);
    refresh();
}

void BackupWindow::restoreChosen()
{
    QTreeWidgetItem *item = m_backups->currentItem();
    const int row = item ? m_backups->indexOfTopLevelItem(item) : -1;
    if (row < 0 || row >= int(m_entries.size())) {
        m_ui.message(QStringLiteral("Restore"),
                     QStringLiteral("Choose a backup in the list first."));
        return;
    }
    const BackupEntry entry = m_entries.at(std::size_t(row));
    if (!entry.usable()) {
        m_ui.message(QStringLiteral("Restore"),
                     QStringLiteral("The backup in ") + entry.folder
                         + QStringLiteral(" cannot be restored: ") + entry.problem
                         + QStringLiteral("."),
                     UserInterface::Icon::Warning);
        return;
    }
    if (!BackupJob::holders(m_collection).empty()) {
        m_ui.message(QStringLiteral("Restore"),
                     QStringLiteral("Pathkeep (or another program) has the collection in ")
                         + m_collection + QStringLiteral(" open.  Close it, then restore."),
                     UserInterface::Icon::Warning);
        return;
    }
    // Destroys what changed since the backup: a stray Enter answers No.
    if (!m_ui.askYesNo(QStringLiteral("Restore"),
                       QStringLiteral("Replace the collection in ") + m_collection
                           + QStringLiteral(" with the backup taken ") + item->text(TakenColumn)
                           + QStringLiteral(" (") + item->text(LocationsColumn)
                           + QStringLiteral(" locations)?  Changes made since then are lost."),
                       false,
                       UserInterface::Icon::Warning))
        return;
    QString error;
    QString kept;
    if (BackupJob::restore(entry.folder, m_collection, error, &kept))
        m_ui.message(QStringLiteral("Restore"),
                     kept.isEmpty()
                         ? QStringLiteral("The collection was restored.")
                         : QStringLiteral("The collection was restored. The files it replaced "
                                          "are kept in ")
                               + kept
                               + QStringLiteral(": restoring from there undoes this restore."));
    else
        m_ui.message(QStringLiteral("Restore"), error, UserInterface::Icon::Warning);
    refresh();
}

} // namespace pk
