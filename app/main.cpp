#include "procedures.h"

#include "framework/widgets/widgetuserinterface.h"
#include "platform/appfolders.h"
#include "shell/passwordcheck.h"
#include "shell/screenfont.h"
#include "shell/shell.h"
#include "shell/widgets/fontconversion.h"
#include "shell/widgets/mainframe.h"

#ifdef PK_HAVE_NET
#include "net/netall.h"
#endif

#ifdef PK_HAVE_QUERY
#include "browse/query/querytexts.h"
#endif

#include <QApplication>
#include <QSocketNotifier>
#include <QStyleFactory>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[0], &byte, 1);
}

/// SIGTERM, SIGINT and SIGHUP close the frame like "Exit" does, so positions are saved.
void closeOnSignals(QWidget *frame)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, frame);
    QObject::connect(notifier, &QSocketNotifier::activated, frame, [frame] {
        char byte = 0;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[1], &byte, 1);
        frame->close();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pathkeep"));
    QApplication::setApplicationVersion(QLatin1String(pk::Shell::Version));

    // Help, templates and images come from the data folder; the collection is the current folder.
    pk::AppFolders::setDataFolder(pk::AppFolders::resolveDataFolder(
        QCoreApplication::applicationDirPath(), QStringLiteral(PK_DATA_INSTALL_DIR),
        QStringLiteral(PK_DATA_SOURCE_DIR)));

    pk::registerProcedures();

    pk::WidgetUserInterface ui;
    pk::Shell shell(ui);

    pk::MainFrame frame(shell);
    ui.setParentWidget(&frame);
    closeOnSignals(&frame);

    // Frame preparation: INI files, collection files, settings.
    if (!shell.prepare(pk::AppFolders::dataFile(QStringLiteral("templates"))))
        return EXIT_FAILURE;
    if (pk::ScreenFont::isStored(shell.positionIni()))
        pk::applyScreenFont(pk::ScreenFont::load(shell.positionIni()));
#ifdef PK_HAVE_QUERY
    pk::QueryTexts::shared().setDefaults();
#endif
    const QString theme = shell.settings().values().theme;
    if (!theme.isEmpty() && QStyleFactory::keys().contains(theme, Qt::CaseInsensitive))
        QApplication::setStyle(theme);

    // A wrong or cancelled password ends the program at once, without a message.
    ui.setParentWidget(nullptr);
    if (!pk::PasswordCheck::confirm(ui, shell.settings().values()))
        return EXIT_SUCCESS;
    ui.setParentWidget(&frame);

    frame.open();
    frame.showSplash();
    const int result = app.exec();

    // Close-down: the frame saved its position when it closed; the rest goes here.
    shell.saveIni();
#ifdef PK_HAVE_NET
    pk::_NetAll::closeDown();
#endif
    return result;
}
