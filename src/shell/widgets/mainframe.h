#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPointer>

#include "shell/widgets/helpwindow.h"
#include "shell/widgets/splashwindow.h"

#include <functional>
#include <initializer_list>
#include <memory>

class QLabel;
class QMdiArea;
class QMenu;
class QMenuBar;
class QPrinter;
class QTimer;

namespace pk {

class HelpWindow;
class ProcedureLauncher;
class Shell;
class SplashWindow;

/**
 * @brief The main frame "Pathkeep 2005": menu, tool bar, child-window area and status bar.
 *
 * Thin over Shell: every command either starts a procedure through the launcher or calls the
 * shell's collection commands. Tray icon and global hot keys attach from outside through
 * traySettingChanged() and prepared(); the frame itself creates neither.
 */
class MainFrame final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainFrame)

public:
    static constexpr const char *PositionSection = "Main";
    static constexpr const char *InitializingTitle = "Pathkeep (Initializing...)";

    explicit MainFrame(Shell &shell, QWidget *parent = nullptr);
    ~MainFrame() override;

    ProcedureLauncher &launcher() { return *m_launcher; }
    QMdiArea *mdiArea() const { return m_mdi; }
    QPrinter &printer();

    /// The window opens: title "Pathkeep 2005", zone 2 set, position restored.
    void open();
    /// Shows the splash; when it closes the start-up list opens. `milliseconds` 0 keeps it up.
    void showSplash(int milliseconds = 2000);
    SplashWindow *splash() const { return m_splash; }
    void closeSplash();

    /// Opens BrowsePATHKEEP or the split list, as the "StartupBrowse" setting says.
    void openStartupList();

    /// Zone texts, refreshed every second.
    QString folderZone() const;
    QString dateZone() const;
    QString timeZone() const;

    /// Data-folder paths used by help, splash and About.
    static QString helpFolder();
    static QString imagePath(const QString &name);
    /// The program icon in every size shipped with it.
    static QIcon programIcon();

public Q_SLOTS:
    void newCollection();
    void openCollection();
    void backupAndRestore();
    void printSetup();
    void screenFontSetup();
    void options();
    void chooseTheme();
    void helpContents();
    void helpIndex();
    void homePage();
    void supportMail();
    void about();
    void arrangeIcons();
    void refreshFolderZone();

Q_SIGNALS:
    /// The frame's preparation is done (tray icon and hot keys may attach now).
    void prepared();
    /// Options were confirmed; the tray should follow the "NoTray" setting.
    void traySettingChanged(bool noTray);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    // One function a menu of the menu bar.
    void buildFileMenu(QMenuBar *bar);
    void buildBrowseMenu(QMenuBar *bar);
    void buildReportsMenu(QMenuBar *bar);
    void buildToolsMenu(QMenuBar *bar);
    void buildWindowMenu(QMenuBar *bar);
    void buildHelpMenu(QMenuBar *bar);
    /// A menu entry: its label, shortcut ("" for none), tip ("" for none) and what it runs.
    struct MenuCommand
    {
        const char *label;
        const char *keys;
        const char *tip;
        std::function<void()> run;
    };
    /// Adds the entries to `menu`; each closes the splash, then runs.
    void addCommands(QMenu *menu, std::initializer_list<MenuCommand> commands);
    /// The handler that starts `procedure`.
    std::function<void()> procedureCommand(const char *procedure);
    void buildToolBar();
    void buildStatusBar();
    void refreshClock();
    void clipboardCommand(const char *slot);
    void start(const char *procedure);
    HelpWindow *helpWindow();

    Shell &m_shell;
    QMdiArea *m_mdi;
    ProcedureLauncher *m_launcher;
    QLabel *m_zone1 = nullptr;
    QLabel *m_zone2 = nullptr;
    QLabel *m_zone3 = nullptr;
    QLabel *m_zone4 = nullptr;
    QTimer *m_clock;
    QPointer<SplashWindow> m_splash;
    QPointer<HelpWindow> m_help;
    std::unique_ptr<QPrinter> m_printer;
    bool m_closing = false;
};

} // namespace pk
