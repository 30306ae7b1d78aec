// pathkeep-backup: copies a collection's three files to a backup folder and back.
//
//   pathkeep-backup [--collection DIR]            window: dated backups into a chosen folder,
//                                                 the list of backups, restore of one
//   pathkeep-backup [--collection DIR] --backup TARGET
//   pathkeep-backup [--collection DIR] --restore SOURCE   (refused while the collection is open)
//   pathkeep-backup --list FOLDER                 the backups in FOLDER: date, locations, folder
//                                                 (and why, for one that cannot be restored)
//
// The collection folder defaults to the current directory.

#include "framework/widgets/widgetuserinterface.h"
#include "shell/backupjob.h"
#include "shell/widgets/backupwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>

#include <cstdio>
#include <memory>

#include "pathkeepversion.h"

namespace {

int runCommand(bool backup, const QString &collection, const QString &other)
{
    QString error;
    QString kept;
    const bool ok = backup ? pk::BackupJob::backup(collection, other, error)
                           : pk::BackupJob::restore(other, collection, error, &kept);
    if (!ok) {
        std::fprintf(stderr, "pathkeep-backup: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (!kept.isEmpty())
        std::printf("%s\n", pk::BackupJob::keptNote(kept).toLocal8Bit().constData());
    return 0;
}

int runWindow(const QString &collection)
{
    // The folder backups go to, each into a dated folder of its own.
    QSettings settings(QStringLiteral("pathkeep"), QStringLiteral("pathkeep-backup"));
    pk::WidgetUserInterface ui;
    pk::BackupWindow window(ui,
                            collection,
                            settings.value(QStringLiteral("BackupFolder")).toString());
    ui.setParentWidget(&window);
    QObject::connect(&window,
                     &pk::BackupWindow::backupFolderChanged,
                     &window,
                     [&settings](const QString &folder) {
                         settings.setValue(QStringLiteral("BackupFolder"), folder);
                     });
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
        for (const char *option : {"--backup", "--restore", "--list", "--help", "-h", "--version"})
            command = command || arg == option
                      || arg.startsWith(QByteArray(QByteArray(option) + '='));
    }
    std::unique_ptr<QCoreApplication> application
        = command ? std::make_unique<QCoreApplication>(argc, argv)
                  : std::make_unique<QApplication>(argc, argv);
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("pathkeep-backup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PK_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Backs up and restores a Pathkeep collection."));
    parser.addHelpOption();
    parser.addVersionOption();
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
            std::printf("%s\t%lld\t%s%s\n",
                        entry.taken.toString(Qt::ISODate).toLocal8Bit().constData(),
                        static_cast<long long>(entry.locations),
                        entry.folder.toLocal8Bit().constData(),
                        entry.usable() ? ""
                                       : (QStringLiteral("\tcannot be restored: ") + entry.problem)
                                             .toLocal8Bit()
                                             .constData());
        return 0;
    }
    if (parser.isSet(restoreOption))
        return runCommand(false, collection, parser.value(restoreOption));
    return runWindow(collection);
}
