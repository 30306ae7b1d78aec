#include "shell/widgets/mainframe.h"

#include "framework/userinterface.h"
#include "framework/widgets/accessiblenames.h"
#include "platform/appfolders.h"
#include "platform/inifile.h"
#include "shell/procedurenames.h"
#include "shell/screenfont.h"
#include "shell/shell.h"
#include "shell/statustexts.h"
#include "shell/windowposition.h"
#include "shell/widgets/aboutwindow.h"
#include "shell/widgets/fontconversion.h"
#include "shell/widgets/helpwindow.h"
#include "shell/widgets/optionswindow.h"
#include "shell/widgets/procedurelauncher.h"
#include "shell/widgets/splashwindow.h"

#include "pathkeepversion.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProcess>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <functional>

namespace pk {

namespace {
constexpr const char *DefaultHomePage = "https://pathkeep.example.org/";
constexpr const char *DefaultSupportMail
    = "mailto:support@pathkeep.example.org?subject=Pathkeep%20" PK_VERSION;

QString text(const char *s)
{
    return QString::fromUtf8(s);
}

/// A menu whose title shows `tip` in the status bar and as its tool tip.
QMenu *menuWithTip(QMenu *menu, const char *tip)
{
    menu->menuAction()->setStatusTip(text(tip));
    menu->menuAction()->setToolTip(text(tip));
    menu->setToolTipsVisible(true);
    return menu;
}
} // namespace

MainFrame::MainFrame(Shell &shell, QWidget *parent)
    : QMainWindow(parent)
    , m_shell(shell)
    , m_mdi(new QMdiArea(this))
    , m_launcher(new ProcedureLauncher(shell, m_mdi, this))
    , m_clock(new QTimer(this))
{
    setObjectName(QStringLiteral("MainFrame"));
    AccessibleNames::installForApplication();
    setWindowTitle(QLatin1String(InitializingTitle));
    setWindowIcon(programIcon());
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    m_launcher->setBeforeStart([this] { closeSplash(); });

    buildMenus();
    buildToolBar();
    buildStatusBar();

    m_shell.setFolderChangedHandler([this] { refreshFolderZone(); });
    m_shell.setStartupListHandler([this] { openStartupList(); });

    connect(m_clock, &QTimer::timeout, this, &MainFrame::refreshClock);
    m_clock->start(1000);
    refreshClock();
    resize(900, 640);
}

MainFrame::~MainFrame()
{
    m_shell.setFolderChangedHandler({});
    m_shell.setStartupListHandler({});
    if (m_splash)
        delete m_splash.data();
    if (m_help)
        delete m_help.data();
}

QIcon MainFrame::programIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = AppFolders::dataFile(
            QStringLiteral("icons/hicolor/%1x%1/apps/pathkeep.png").arg(size));
        if (QFileInfo::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    if (icon.isNull())
        icon = QIcon(imagePath(QStringLiteral("pathkeep.png")));
    return icon;
}

QString MainFrame::helpFolder()
{
    return AppFolders::dataFile(QStringLiteral("help"));
}

QString MainFrame::imagePath(const QString &name)
{
    return AppFolders::dataFile(QStringLiteral("images/") + name);
}

QPrinter &MainFrame::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

void MainFrame::buildMenus()
{
    QMenuBar *bar = menuBar();
    buildFileMenu(bar);
    buildBrowseMenu(bar);
    // The menu titles avoid the letters the list windows' buttons use (Reset, Test, Open, ...):
    // a child window's Alt+letter must reach its own button, not open a menu.
    buildReportsMenu(bar);
    buildToolsMenu(bar);
    buildWindowMenu(bar);
    buildHelpMenu(bar);
}

void MainFrame::addCommands(QMenu *menu, std::initializer_list<MenuCommand> commands)
{
    for (const MenuCommand &command : commands) {
        QAction *action = menu->addAction(text(command.label));
        if (*command.keys)
            action->setShortcut(QKeySequence(QString::fromLatin1(command.keys)));
        if (*command.tip) {
            action->setStatusTip(text(command.tip));
            action->setToolTip(text(command.tip));
        }
        // Every command closes the splash before it runs.
        connect(action, &QAction::triggered, this, [this, run = command.run] {
            closeSplash();
            run();
        });
    }
}

std::function<void()> MainFrame::procedureCommand(const char *procedure)
{
    return [this, procedure] { start(procedure); };
}

void MainFrame::buildFileMenu(QMenuBar *bar)
{
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->setToolTipsVisible(true);
    addCommands(file,
                {{"&New Database", "Ctrl+N", "Create new database", [this] { newCollection(); }},
                 {"&Open Database", "Ctrl+O", "Open existing database", [this] { openCollection(); }},
                 {"&Backup and Restore",
                  "Ctrl+Shift+B",
                  "Backup and restore data",
                  [this] { backupAndRestore(); }},
                 {"&Import", "Ctrl+Shift+I", "", procedureCommand(Procedure::ImportWizard)},
                 {"&Export",
                  "Ctrl+Shift+E",
                  "Export to HTML or  ASCII",
                  procedureCommand(Procedure::ExportWizard)}});
    QMenu *support = menuWithTip(file->addMenu(QStringLiteral("&Support Tools")),
                                 "Tools used by BWS Support");
    addCommands(support,
                {{"&Import from Pathkeep 1.x",
                  "",
                  "Import from Pathkeep 1.x database in another directory",
                  procedureCommand(Procedure::PreviousVersionImport)},
                 {"&Repair Databases",
                  "",
                  "Options that MAY repair damaged databases",
                  procedureCommand(Procedure::RepairFiles)}});
    addCommands(file,
                {{"&Print Setup ...", "", "Setup printer", [this] { printSetup(); }},
                 {"Screen Font Setup...", "", "", [this] { screenFontSetup(); }}});
    file->addSeparator();
    addCommands(file, {{"E&xit", "", "Exit this application", [this] { close(); }}});
}

void MainFrame::buildBrowseMenu(QMenuBar *bar)
{
    QMenu *browse = bar->addMenu(QStringLiteral("&Browse"));
    browse->setToolTipsVisible(true);
    addCommands(browse,
                {{"&Locations",
                  "Ctrl+Shift+L",
                  "Browse URL (Internet locations)",
                  procedureCommand(Procedure::BrowseLocations)},
                 {"L&ocations by Category",
                  "Ctrl+Shift+C",
                  "Browse locations within each category",
                  procedureCommand(Procedure::BrowseByCategory)},
                 {"Locations by &Keyword",
                  "Ctrl+Shift+K",
                  "Browse locations by keyword",
                  procedureCommand(Procedure::BrowseKeywords)},
                 {"Locations by Detail",
                  "Ctrl+Shift+D",
                  "Details and Locations",
                  procedureCommand(Procedure::BrowseDetails)}});
    browse->addSeparator();
    addCommands(browse,
                {{"&Categories",
                  "",
                  "Browse Categories",
                  procedureCommand(Procedure::BrowseCategories)}});
}

void MainFrame::buildReportsMenu(QMenuBar *bar)
{
    QMenu *reports = menuWithTip(bar->addMenu(QStringLiteral("Report&s")), "Report data");
    const auto print = [this](const char *label, const char *tip, const char *procedure) {
        return MenuCommand{label, "", tip, procedureCommand(procedure)};
    };
    addCommands(
        reports,
        {{"Report &Wizard", "Ctrl+Shift+R", "", procedureCommand(Procedure::ReportWizard)},
         print("Locations by &Description",
               "Print ordered by Description",
               Procedure::PrintByDescription),
         print("Locations by &Location", "Print ordered by Location key", Procedure::PrintByLocation),
         print("Locations by Cate&gory", "Print ordered by Category key", Procedure::PrintByCategory),
         print("Locations by &Rating", "Print ordered by Rating key", Procedure::PrintByRating),
         print("Locations by &Keyword", "Print ordered by Keyword key", Procedure::PrintByKeyword),
         print("&Categories", "Print ordered by Category key", Procedure::PrintCategories)});
}

void MainFrame::buildToolsMenu(QMenuBar *bar)
{
    QMenu *tools = bar->addMenu(QStringLiteral("Too&ls"));
    tools->setToolTipsVisible(true);
    addCommands(tools,
                {{"&Options", "", "Options", [this] { options(); }},
                 {"Get URL from Browser",
                  "Ctrl+Shift+U",
                  "",
                  procedureCommand(Procedure::NewUrlWizard)},
                 {"&Clipboard Monitor",
                  "Ctrl+Shift+M",
                  "Monitor clipboard for URLs...",
                  procedureCommand(Procedure::ClipboardMonitor)},
                 {"Analy&ze Multiple Links",
                  "Ctrl+Shift+A",
                  "",
                  procedureCommand(Procedure::AnalyzeMultiple)},
                 {"&Validate Multiple Links", "", "", procedureCommand(Procedure::ValidateAll)},
                 {"Validate &Internet Explorer Links",
                  "",
                  "",
                  procedureCommand(Procedure::ValidateFavorites)},
                 {"&Search and Replace",
                  "",
                  "Search and replace in multiple records",
                  procedureCommand(Procedure::SearchAndReplace)},
                 {"Find D&uplicates",
                  "",
                  "Find locations whose addresses differ only in form",
                  procedureCommand(Procedure::FindDuplicates)}});
    QMenu *database = tools->addMenu(QStringLiteral("&Database"));
    database->setToolTipsVisible(true);
    addCommands(database,
                {{"&Remove Invalid Links",
                  "",
                  "Remove all invalid links",
                  procedureCommand(Procedure::RemoveInvalidLinks)},
                 {"&Query and remote", "", "", procedureCommand(Procedure::QueryAndRemove)}});
    tools->addSeparator();
    addCommands(tools, {{"&Themes", "", "Select an active theme", [this] { chooseTheme(); }}});
}

void MainFrame::buildWindowMenu(QMenuBar *bar)
{
    QMenu *window = menuWithTip(bar->addMenu(QStringLiteral("&Window")),
                                "Create and Arrange windows");
    addCommands(window,
                {{"T&ile", "", "Make all open windows visible", [this] { m_mdi->tileSubWindows(); }},
                 {"&Cascade", "", "Stack all open windows", [this] { m_mdi->cascadeSubWindows(); }},
                 {"&Arrange Icons", "", "Align all window icons", [this] { arrangeIcons(); }}});
}

void MainFrame::buildHelpMenu(QMenuBar *bar)
{
    QMenu *help = menuWithTip(bar->addMenu(QStringLiteral("&Help")), "Windows Help");
    addCommands(help,
                {{"&Contents", "", "View the contents of the help file", [this] { helpContents(); }},
                 {"&Index", "", "View the contents of the help file", [this] { helpIndex(); }},
                 {"&Pathkeep Home Page", "", "", [this] { homePage(); }},
                 {"E-Mail for &Support", "", "", [this] { supportMail(); }},
                 {"&About", "", "About This Program", [this] { about(); }}});
}

void MainFrame::buildToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Icons come from the desktop's theme by their freedesktop names; the program carries its
    // own drawing of each for themes without one.
    auto add = [this, bar](const char *name,
                           const char *label,
                           const char *icon,
                           const char *tip,
                           std::function<void()> handler) {
        const QString iconName = text(icon);
        const QIcon fallback(QStringLiteral(":/pathkeep/icons/") + iconName
                             + QStringLiteral(".svg"));
        QAction *action = bar->addAction(QIcon::fromTheme(iconName, fallback), text(label));
        action->setObjectName(text(name));
        if (*tip) {
            action->setToolTip(text(tip));
            action->setStatusTip(text(tip));
        }
        connect(action, &QAction::triggered, this, [this, handler] {
            closeSplash();
            handler();
        });
    };
    add("options", "Options", "preferences-system", "Program options", [this] { options(); });
    // No freedesktop name fits the clipboard monitor: always the program's own.
    add("clipboard",
        "Clipboard",
        "clipboard-monitor",
        "Start clipboard monitor (add many URLs quickly)",
        [this] { start(Procedure::ClipboardMonitor); });
    add("test", "Test", "network-transmit-receive", "Test all URLs", [this] {
        start(Procedure::ValidateAll);
    });
    bar->addSeparator();
    add("copy", "Copy", "edit-copy", "", [this] { clipboardCommand("copy"); });
    add("paste", "Paste", "edit-paste", "", [this] { clipboardCommand("paste"); });
    add("cut", "Cut", "edit-cut", "", [this] { clipboardCommand("cut"); });
    bar->addSeparator();
    add("print", "Print", "document-print", "Print list of locations", [this] {
        start(Procedure::ReportWizard);
    });
    add("locations", "Locations", "user-bookmarks", "View all links", [this] {
        start(Procedure::BrowseLocations);
    });
    add("byCategory", "By Category", "folder", "View links by category", [this] {
        start(Procedure::BrowseByCategory);
    });
}

void MainFrame::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    auto zone = [this](const char *name) {
        auto *label = new QLabel(this);
        label->setObjectName(text(name));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        return label;
    };
    m_zone1 = zone("zone1");
    m_zone2 = zone("zone2");
    m_zone3 = zone("zone3");
    m_zone4 = zone("zone4");
    m_zone2->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 38);
    bar->addWidget(m_zone1, 1);
    bar->addPermanentWidget(m_zone2);
    bar->addPermanentWidget(m_zone3);
    bar->addPermanentWidget(m_zone4);
}

QString MainFrame::folderZone() const
{
    return m_zone2->text();
}

QString MainFrame::dateZone() const
{
    return m_zone3->text();
}

QString MainFrame::timeZone() const
{
    return m_zone4->text();
}

void MainFrame::refreshClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_zone3->setText(StatusTexts::dateText(now.date()));
    m_zone4->setText(StatusTexts::timeText(now.time()));
}

void MainFrame::refreshFolderZone()
{
    m_zone2->setText(StatusTexts::shortenFolder(Shell::collectionFolder()));
    m_zone2->setToolTip(Shell::collectionFolder());
}

void MainFrame::open()
{
    if (const auto position = WindowPosition::load(m_shell.positionIni(),
                                                   QLatin1String(PositionSection))) {
        setGeometry(position->geometry);
        if (position->maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    setWindowTitle(QLatin1String(Shell::ProductName));
    refreshFolderZone();
    show();
    Q_EMIT prepared();
}

void MainFrame::showSplash(int milliseconds)
{
    closeSplash();
    m_splash = new SplashWindow(imagePath(QStringLiteral("splash.png")),
                                QLatin1String(Shell::Version));
    connect(m_splash,
            &SplashWindow::finished,
            this,
            &MainFrame::openStartupList,
            Qt::QueuedConnection);
    m_splash->adjustSize();
    const QRect area = geometry();
    m_splash->move(area.center() - m_splash->rect().center());
    m_splash->show();
    m_splash->start(milliseconds);
}

void MainFrame::closeSplash()
{
    if (m_splash)
        m_splash->finish();
}

void MainFrame::openStartupList()
{
    if (m_closing)
        return;
    m_launcher->start(m_shell.startupProcedure());
}

void MainFrame::start(const char *procedure)
{
    m_launcher->start(QLatin1String(procedure));
}

void MainFrame::clipboardCommand(const char *slot)
{
    if (QWidget *focus = QApplication::focusWidget())
        QMetaObject::invokeMethod(focus, slot);
}

void MainFrame::newCollection()
{
    m_shell.newCollection();
}

void MainFrame::openCollection()
{
    m_shell.openCollection();
}

void MainFrame::backupAndRestore()
{
    const QString program = QCoreApplication::applicationDirPath()
                            + QStringLiteral("/pathkeep-backup");
    if (!QFileInfo(program).isExecutable()
        || !QProcess::startDetached(program,
                                    {QStringLiteral("--collection"), Shell::collectionFolder()})) {
        m_shell.ui().message(QStringLiteral("Backup and Restore"),
                             QStringLiteral("Could not start ") + program + QStringLiteral("."),
                             UserInterface::Icon::Warning);
    }
}

void MainFrame::printSetup()
{
    QPageSetupDialog dialog(&printer(), this);
    dialog.exec();
}

void MainFrame::screenFontSetup()
{
    IniFile &ini = m_shell.positionIni();
    ScreenFont current = ScreenFont::isStored(ini) ? ScreenFont::load(ini)
                                                   : fromQFont(QApplication::font(), QColor());
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok,
                                              toQFont(current, QApplication::font()),
                                              this,
                                              QStringLiteral("Select Font"));
    if (!ok)
        return;
    ScreenFont font = fromQFont(chosen, QColor());
    font.color = current.color;
    font.charset = current.charset;
    applyScreenFont(font);
    font.store(ini);
    ini.save();
}

void MainFrame::options()
{
    OptionsWindow window(m_shell.settings(), m_shell.ui(), this, &m_shell.pathkeepIni());
    connect(&window, &OptionsWindow::traySettingChanged, this, &MainFrame::traySettingChanged);
    window.exec();
}

void MainFrame::chooseTheme()
{
    QStringList themes = QStyleFactory::keys();
    const QString current = m_shell.settings().values().theme;
    int preset = 0;
    for (int i = 0; i < themes.size(); ++i) {
        if (themes.at(i).compare(current, Qt::CaseInsensitive) == 0)
            preset = i;
    }
    QStringList buttons = themes;
    buttons << QStringLiteral("Cancel");
    const int choice = m_shell.ui().ask(QStringLiteral("Themes"),
                                        QStringLiteral("Select an active theme"),
                                        buttons,
                                        preset);
    if (choice < 0 || choice >= themes.size())
        return;
    const QString theme = themes.at(choice);
    if (m_shell.settings().writeSetting(QLatin1String(SettingName::Theme), theme))
        m_shell.settings().values().theme = theme;
    QApplication::setStyle(theme);
}

HelpWindow *MainFrame::helpWindow()
{
    if (!m_help) {
        // A window of the frame's own: it stays above the frame and opens over its middle.
        m_help = new HelpWindow(helpFolder(), this);
        m_help->centreOn(this);
    }
    m_help->show();
    m_help->raise();
    return m_help;
}

void MainFrame::helpContents()
{
    helpWindow()->showContents();
}

void MainFrame::helpIndex()
{
    helpWindow()->showIndex();
}

void MainFrame::homePage()
{
    const QString url = m_shell.pathkeepIni().value(QStringLiteral("Support"),
                                                    QStringLiteral("HomePage"),
                                                    QLatin1String(DefaultHomePage));
    if (!QDesktopServices::openUrl(QUrl(url)))
        m_shell.ui().message(QStringLiteral("Pathkeep"),
                             QStringLiteral("Could not start ") + url + QStringLiteral("."));
}

void MainFrame::supportMail()
{
    const QString url = m_shell.pathkeepIni().value(QStringLiteral("Support"),
                                                    QStringLiteral("Mail"),
                                                    QLatin1String(DefaultSupportMail));
    if (!QDesktopServices::openUrl(QUrl(url)))
        m_shell.ui().message(QStringLiteral("Pathkeep"),
                             QStringLiteral("Could not start ") + url + QStringLiteral("."));
}

void MainFrame::about()
{
    AboutWindow window(imagePath(QStringLiteral("pathkeep.png")),
                       QLatin1String(Shell::Version),
                       this);
    window.exec();
}

void MainFrame::arrangeIcons()
{
    // Minimised child windows line up along the bottom edge, left to right.
    int x = 0;
    const int bottom = m_mdi->viewport()->height();
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (!sub->isMinimized())
            continue;
        sub->move(x, bottom - sub->height());
        x += sub->width();
    }
}

void MainFrame::closeEvent(QCloseEvent *event)
{
    m_closing = true;
    closeSplash();
    m_mdi->closeAllSubWindows();
    for (const QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->isVisible()) {
            m_closing = false;
            event->ignore();
            return;
        }
    }
    WindowPosition position;
    position.maximized = isMaximized();
    position.geometry = isMaximized() ? normalGeometry() : geometry();
    if (position.geometry.isValid())
        position.store(m_shell.positionIni(), QLatin1String(PositionSection));
    m_shell.saveIni();
    if (m_help)
        m_help->close();
    event->accept();
}

} // namespace pk
