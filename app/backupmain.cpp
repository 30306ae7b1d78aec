// pathkeep-backup: copies a collection's three files to a backup folder and back.
//
//   pathkeep-backup [--collection DIR]            window: dated backups into a chosen folder,
//                                                 the list of backups, restore of one
//   pathkeep-backup [--collection DIR] --backup TARGET
//   pathkeep-backup [--collection DIR] --restore SOURCE   (refused while the collection is open)
//   pathkeep-backup --list FOLDER                 the backups in FOLDER: date, locations, folder
//
// The collection folder defaults to the current directory.

#include "shell/backupjob.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace {

int runCommand(bool backup, const QString &collection, const QString &other)
{
    QString error;
    const bool ok = backup ? pk::BackupJob::backup(collection, other, error)
                           : pk::BackupJob::restore(other, collection, error);
    if (!ok) {
        std::fprintf(stderr, "pathkeep-backup: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

int runWindow(const QString &collection)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pathkeep Backup and Restore"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Collection folder:\n") + collection, &window));
    auto *folderLabel = new QLabel(&window);
    layout->addWidget(folderLabel);
    auto *backups = new QTreeWidget(&window);
    backups->setRootIsDecorated(false);
    backups->setHeaderLabels(
        {QStringLiteral("Taken"), QStringLiteral("Locations"), QStringLiteral("Folder")});
    backups->setAccessibleName(QStringLiteral("Backups"));
    layout->addWidget(backups, 1);
    auto *choose = new QPushButton(QStringLiteral("&Choose backup folder..."), &window);
    auto *backup = new QPushButton(QStringLiteral("&Backup"), &window);
    auto *restore = new QPushButton(QStringLiteral("&Restore the chosen backup"), &window);
    auto *close = new QPushButton(QStringLiteral("Cl&ose"), &window);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {choose, backup, restore, close})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    // The folder backups go to, each into a dated folder of its own.
    QSettings settings(QStringLiteral("pathkeep"), QStringLiteral("pathkeep-backup"));
    QString parent = settings.value(QStringLiteral("BackupFolder")).toString();
    auto refresh = [&] {
        folderLabel->setText(parent.isEmpty() ? QStringLiteral("No backup folder chosen.")
                                              : QStringLiteral("Backups in ") + parent);
        backups->clear();
        if (parent.isEmpty())
            return;
        for (const pk::BackupEntry &entry : pk::BackupJob::list(parent)) {
            auto *item = new QTreeWidgetItem(backups);
            item->setText(0, QLocale().toString(entry.taken, QLocale::ShortFormat));
            item->setText(1,
                          entry.locations < 0 ? QStringLiteral("?")
                                              : QString::number(entry.locations));
            item->setText(2, entry.folder);
        }
        backups->resizeColumnToContents(0);
        backups->resizeColumnToContents(1);
        if (backups->topLevelItemCount() > 0)
            backups->setCurrentItem(backups->topLevelItem(0));
    };
    auto chooseFolder = [&] {
        const QString folder = QFileDialog::getExistingDirectory(&window,
                                                                 QStringLiteral("Backup folder"),
                                                                 parent);
        if (folder.isEmpty())
            return false;
        parent = folder;
        settings.setValue(QStringLiteral("BackupFolder"), parent);
        refresh();
        return true;
    };
    refresh();

    QObject::connect(choose, &QPushButton::clicked, &window, [&] { chooseFolder(); });
    QObject::connect(backup, &QPushButton::clicked, &window, [&] {
        if (parent.isEmpty() && !chooseFolder())
            return;
        const QString target = pk::BackupJob::datedFolder(parent, QDateTime::currentDateTime());
        QString error;
        if (pk::BackupJob::backup(collection, target, error))
            QMessageBox::information(&window,
                                     QStringLiteral("Backup"),
                                     QStringLiteral("The collection was copied to ") + target
                                         + QStringLiteral("."));
        else
            QMessageBox::warning(&window, QStringLiteral("Backup"), error);
        refresh();
    });
    QObject::connect(restore, &QPushButton::clicked, &window, [&] {
        QTreeWidgetItem *item = backups->currentItem();
        if (!item) {
            QMessageBox::information(&window,
                                     QStringLiteral("Restore"),
                                     QStringLiteral("Choose a backup in the list first."));
            return;
        }
        const QString source = item->text(2);
        if (!pk::BackupJob::holders(collection).empty()) {
            QMessageBox::warning(&window,
                                 QStringLiteral("Restore"),
                                 QStringLiteral("Pathkeep (or another program) has the "
                                                "collection in ")
                                     + collection
                                     + QStringLiteral(" open.  Close it, then restore."));
            return;
        }
        if (QMessageBox::question(&window,
                                  QStringLiteral("Restore"),
                                  QStringLiteral("Replace the collection in ") + collection
                                      + QStringLiteral(" with the backup taken ") + item->text(0)
                                      + QStringLiteral(" (") + item->text(1)
                                      + QStringLiteral(" locations)?  Changes made since "
                                                       "then are lost."))
            != QMessageBox::Yes)
            return;
        QString error;
        if (pk::BackupJob::restore(source, collection, error))
            QMessageBox::information(&window,
                                     QStringLiteral("Restore"),
                                     QStringLiteral("The collection was restored."));
        else
            QMessageBox::warning(&window, QStringLiteral("Restore"), error);
    });
    QObject::connect(close, &QPushButton::clicked, &window, &QWidget::close);
    window.resize(640, 360);
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // The commands run without a display; only the window needs one.
    bool command = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        for (const char *option : {"--backup", "--restore", "--list", "--help", "-h"})
            command = command || arg == option
                      || arg.startsWith(QByteArray(QByteArray(option) + '='));
    }
    std::unique_ptr<QCoreApplication> application
        = command ? std::make_unique<QCoreApplication>(argc, argv)
                  : std::make_unique<QApplication>(argc, argv);
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("pathkeep-backup"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backs up and restores a Pathkeep collection."));
    parser.addHelpOption();
    const QCommandLineOption collectionOption(QStringLiteral("collection"),
                                              QStringLiteral("Collection folder."),
                                              QStringLiteral("folder"),
                                              QDir::currentPath());
    const QCommandLineOption backupOption(QStringLiteral("backup"),
                                          QStringLiteral("Copy the collection into this folder."),
                                          QStringLiteral("folder"));
    const QCommandLineOption restoreOption(QStringLiteral("restore"),
                                           QStringLiteral(
                                               "Copy the collection back from this folder."),
                                           QStringLiteral("folder"));
    const QCommandLineOption listOption(QStringLiteral("list"),
                                        QStringLiteral("List the backups in this folder."),
                                        QStringLiteral("folder"));
    parser.addOptions({collectionOption, backupOption, restoreOption, listOption});
    parser.process(app);

    const QString collection = QDir(parser.value(collectionOption)).absolutePath();
    if (parser.isSet(backupOption))
        return runCommand(true, collection, parser.value(backupOption));
    if (parser.isSet(listOption)) {
        for (const pk::BackupEntry &entry : pk::BackupJob::list(parser.value(listOption)))
            std::printf("%s\t%lld\t%s\n",
                        entry.taken.toString(Qt::ISODate).toLocal8Bit().constData(),
                        static_cast<long long>(entry.locations),
                        entry.folder.toLocal8Bit().constData());
        return 0;
    }
    if (parser.isSet(restoreOption))
        return runCommand(false, collection, parser.value(restoreOption));
    return runWindow(collection);
}
