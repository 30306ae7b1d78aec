#include "procedures.h"

#include "browse/query/querytexts.h"
#include "framework/terminationrequest.h"
#include "framework/widgets/widgetuserinterface.h"
#include "net/netall.h"
#include "platform/appfolders.h"
#include "shell/passwordcheck.h"
#include "shell/screenfont.h"
#include "shell/shell.h"
#include "shell/singleinstance.h"
#include "shell/terminationsignals.h"
#include "shell/widgets/fontconversion.h"
#include "shell/widgets/framehotkeys.h"
#include "shell/widgets/frametray.h"
#include "shell/widgets/mainframe.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>

#include "pathkeepversion.h"

namespace {

/// "--restore" and "--get-url" go to the program already running on this collection, when
/// there is one; true when it took the request.
bool handedOver(int argc, char *argv[], const QString &collectionFolder)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto request = pk::SingleInstance::requestIn(arguments);
    if (!request)
        return false;
    // No display is needed for that: a plain application object is enough.
    const QCoreApplication core(argc, argv);
    return pk::SingleInstance::handOver(collectionFolder, *request);
}

} // namespace

int main(int argc, char *argv[])
{
    // Told without a display, before anything else starts.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("pathkeep %s\n", PK_VERSION);
            return EXIT_SUCCESS;
        }
    }
    // The collection is the folder the program starts in.
    const QString collectionFolder = QDir::currentPath();
    if (handedOver(argc, argv, collectionFolder))
        return EXIT_SUCCESS;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pathkeep"));
    QApplication::setApplicationVersion(QLatin1String(pk::Shell::Version));

    // Help, templates and images come from the data folder; the collection is the current folder.
    pk::AppFolders::setDataFolder(
        pk::AppFolders::resolveDataFolder(QCoreApplication::applicationDirPath(),
                                          QStringLiteral(PK_DATA_INSTALL_DIR),
                                          QStringLiteral(PK_DATA_SOURCE_DIR)));

    pk::registerProcedures();

    pk::WidgetUserInterface ui;
    pk::Shell shell(ui);

    pk::MainFrame frame(shell);
    ui.setParentWidget(&frame);
    // Tray icon and global hot keys attach once the frame is prepared; the Options window's OK
    // applies a changed "NoTray" at once.
    pk::FrameTray tray(frame);
    pk::FrameHotKeys hotKeys(frame, [&tray] { tray.restore(); });
    QObject::connect(&frame, &pk::MainFrame::prepared, &tray, [&] {
        tray.attach(shell.settings().values().noTray);
        hotKeys.attach();
    });
    QObject::connect(&frame, &pk::MainFrame::traySettingChanged, &tray, &pk::FrameTray::setNoTray);
    // SIGTERM, SIGINT and SIGHUP leave every event loop, also a message box's or a dialog's;
    // the windows waiting on them unwind first, and only then is the frame closed below.
    // A request that comes before the main loop runs (while the frame opens) would find no
    // loop to leave: it is repeated until the main loop has taken it.
    QTimer ending;
    ending.setInterval(50);
    QObject::connect(&ending, &QTimer::timeout, &app, [] { QCoreApplication::exit(0); });
    auto endProgram = [&ending] {
        QCoreApplication::exit(0);
        ending.start();
    };
    pk::TerminationSignals::install(&app, endProgram);
    // A fatal error ends the program the same way, after its message: the handler that met it
    // unwinds, and the windows close (and keep their positions) below.
    shell.setHaltHandler([&endProgram](const QString &endText) {
        std::fprintf(stderr, "pathkeep: %s\n", endText.toLocal8Bit().constData());
        pk::TerminationRequest::request();
        endProgram();
    });

    // Frame preparation: INI files, collection files, settings.
    if (!shell.prepare(pk::AppFolders::dataFile(QStringLiteral("templates"))))
        return EXIT_FAILURE;
    if (pk::TerminationRequest::isRequested())
        return shell.halted() ? EXIT_FAILURE : EXIT_SUCCESS;
    if (pk::ScreenFont::isStored(shell.positionIni()))
        pk::applyScreenFont(pk::ScreenFont::load(shell.positionIni()));
    pk::prepareComponents();
    const QString theme = shell.settings().values().theme;
    if (!theme.isEmpty() && QStyleFactory::keys().contains(theme, Qt::CaseInsensitive))
        QApplication::setStyle(theme);

    // A wrong or cancelled password ends the program at once, without a message.
    ui.setParentWidget(nullptr);
    if (!pk::PasswordCheck::confirm(ui, shell.settings().values()))
        return EXIT_SUCCESS;
    ui.setParentWidget(&frame);

    if (pk::TerminationRequest::isRequested())
        return EXIT_SUCCESS;

    frame.open();
    // Damage in the collection's files is looked for in the background, once the frame shows.
    shell.checkCollectionFiles();
    frame.showSplash();
    // Later starts with "--restore" or "--get-url" hand their request to this program, as the
    // hot keys do; this start's own request is carried out now.
    pk::SingleInstance instance;
    instance.listen(collectionFolder);
    const auto handle = [&hotKeys](pk::SingleInstance::Request request) {
        if (request == pk::SingleInstance::Request::GetUrl)
            hotKeys.getUrl();
        else
            hotKeys.restoreFrame();
    };
    QObject::connect(&instance, &pk::SingleInstance::requested, &hotKeys, handle);
    if (const auto request = pk::SingleInstance::requestIn(QCoreApplication::arguments()))
        handle(*request);
    int result = app.exec();
    ending.stop();
    if (pk::TerminationRequest::isRequested()) {
        // Told to end, or halted by a fatal error: close like "Exit" does, now that no dialog is
        // running any more.
        frame.close();
        result = shell.halted() ? EXIT_FAILURE : EXIT_SUCCESS;
    }

    // Close-down: the frame saved its position when it closed; the rest goes here.
    shell.saveIni();
    pk::_NetAll::closeDown();
    return result;
}
