#include "procedures.h"

#include "browse/query/querytexts.h"
#include "framework/terminationrequest.h"
#include "framework/widgets/widgetuserinterface.h"
#include "net/netall.h"
#include "platform/appfolders.h"
#include "shell/passwordcheck.h"
#include "shell/screenfont.h"
#include "shell/shell.h"
#include "shell/terminationsignals.h"
#include "shell/widgets/fontconversion.h"
#include "shell/widgets/framehotkeys.h"
#include "shell/widgets/frametray.h"
#include "shell/widgets/mainframe.h"

#include <QApplication>
#include <QTimer>
#include <QStyleFactory>

#include <cstdio>

int main(int argc, char *argv[])
{
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
