// pathkeep-backup: copies a collection's three files to a backup folder and back.
//
//   pathkeep-backup [--collection DIR]            window with Backup and Restore buttons
//   pathkeep-backup [--collection DIR] --backup TARGET
//   pathkeep-backup [--collection DIR] --restore SOURCE
//
// The collection folder defaults to the current directory.

#include "shell/backupjob.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

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
    auto *backup = new QPushButton(QStringLiteral("&Backup to folder..."), &window);
    auto *restore = new QPushButton(QStringLiteral("&Restore from folder..."), &window);
    auto *close = new QPushButton(QStringLiteral("Cl&ose"), &window);
    layout->addWidget(backup);
    layout->addWidget(restore);
    layout->addWidget(close);

    QObject::connect(backup, &QPushButton::clicked, &window, [&] {
        const QString target
            = QFileDialog::getExistingDirectory(&window, QStringLiteral("Backup to folder"));
        if (target.isEmpty())
            return;
        QString error;
        if (pk::BackupJob::backup(collection, target, error))
            QMessageBox::information(&window,
                                     QStringLiteral("Backup"),
                                     QStringLiteral("The collection was copied to ") + target
                                         + QStringLiteral("."));
        else
            QMessageBox::warning(&window, QStringLiteral("Backup"), error);
    });
    QObject::connect(restore, &QPushButton::clicked, &window, [&] {
        const QString source
            = QFileDialog::getExistingDirectory(&window, QStringLiteral("Restore from folder"));
        if (source.isEmpty())
            return;
        if (QMessageBox::question(
                &window,
                QStringLiteral("Restore"),
                QStringLiteral("Close Pathkeep before restoring.  Replace the collection in ")
                    + collection + QStringLiteral(" with the files from ") + source
                    + QStringLiteral("?"))
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
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pathkeep-backup"));
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
    parser.addOptions({collectionOption, backupOption, restoreOption});
    parser.process(app);

    const QString collection = QDir(parser.value(collectionOption)).absolutePath();
    if (parser.isSet(backupOption))
        return runCommand(true, collection, parser.value(backupOption));
    if (parser.isSet(restoreOption))
        return runCommand(false, collection, parser.value(restoreOption));
    return runWindow(collection);
}
