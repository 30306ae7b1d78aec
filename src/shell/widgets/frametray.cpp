#include "shell/widgets/frametray.h"

#include "shell/procedurenames.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/procedurelauncher.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace pk {

FrameTray::FrameTray(MainFrame &frame, QObject *parent)
    : QObject(parent)
    , m_frame(frame)
{}

FrameTray::~FrameTray()
{
    m_frame.removeEventFilter(this);
    if (m_icon)
        m_icon->hide();
    delete m_menu;
}

void FrameTray::attach(bool noTray)
{
    if (!m_icon) {
        buildMenu();
        m_icon = new QSystemTrayIcon(MainFrame::programIcon(), this);
        m_icon->setToolTip(QLatin1String(Tip));
        m_icon->setContextMenu(m_menu);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](auto reason) {
            if (reason == QSystemTrayIcon::DoubleClick)
                restore();
        });
        // Off X11, a desktop without a tray on D-Bus would send Qt to its X11 tray code, which
        // has nothing to talk to there (and says so): the icon shows only where a tray is.
        if (QGuiApplication::platformName() == QLatin1String("xcb")
            || QSystemTrayIcon::isSystemTrayAvailable())
            m_icon->show();
        m_frame.installEventFilter(this);
    }
    setNoTray(noTray);
}

void FrameTray::setNoTray(bool noTray)
{
    m_hideOnMinimise = !noTray;
    if (noTray && isHidden()) {
        // Nothing would bring a hidden frame back but the tray: show it minimised instead.
        m_frame.showMinimized();
        QApplication::setQuitOnLastWindowClosed(true);
    }
}

void FrameTray::buildMenu()
{
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    QStyle *style = QApplication::style();
    QAction *add = m_menu->addAction(QIcon::fromTheme(QStringLiteral("bookmark-new"),
                                                      style->standardIcon(QStyle::SP_FileIcon)),
                                     QStringLiteral("Add New URL..."));
    connect(add, &QAction::triggered, this, [this] {
        restore();
        m_frame.launcher().start(QLatin1String(Procedure::NewUrlWizard));
    });
    m_menu->addSeparator();
    m_restore = m_menu->addAction(QIcon::fromTheme(QStringLiteral("view-restore"),
                                                   style->standardIcon(
                                                       QStyle::SP_TitleBarNormalButton)),
                                  QStringLiteral("Restore"));
    connect(m_restore, &QAction::triggered, this, &FrameTray::restore);
    m_menu->addSeparator();
    QAction *help = m_menu->addAction(QIcon::fromTheme(QStringLiteral("help-contents"),
                                                       style->standardIcon(
                                                           QStyle::SP_DialogHelpButton)),
                                      QStringLiteral("Help"));
    connect(help, &QAction::triggered, &m_frame, &MainFrame::helpContents);
    m_menu->addSeparator();
    QAction *exit = m_menu->addAction(QIcon::fromTheme(QStringLiteral("application-exit"),
                                                       style->standardIcon(
                                                           QStyle::SP_DialogCloseButton)),
                                      QStringLiteral("Exit"));
    connect(exit, &QAction::triggered, this, [this] {
        const bool hidden = isHidden();
        // A hidden frame closing is no "last window closed": end the program here.
        if (m_frame.close() && hidden)
            QCoreApplication::quit();
    });
    connect(m_menu, &QMenu::aboutToShow, this, [this] { m_restore->setEnabled(isHidden()); });
    m_restore->setEnabled(false);
}

bool FrameTray::isHidden() const
{
    return !m_frame.isVisible();
}

void FrameTray::hideFrame()
{
    // Only while a tray can bring the frame back; otherwise it stays on the task bar.
    if (!m_hideOnMinimise || !m_icon || !QSystemTrayIcon::isSystemTrayAvailable()
        || !m_frame.isMinimized())
        return;
    // Dialogs closing while the frame is hidden must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    m_frame.hide();
    m_restore->setEnabled(true);
}

void FrameTray::restore()
{
    QApplication::setQuitOnLastWindowClosed(true);
    m_frame.setWindowState((m_frame.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_frame.show();
    m_frame.raise();
    m_frame.activateWindow();
    if (m_restore)
        m_restore->setEnabled(false);
}

bool FrameTray::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_frame && event->type() == QEvent::WindowStateChange && m_frame.isMinimized()
        && m_hideOnMinimise) {
        // Hide after the state change has been handled, not inside it.
        QTimer::singleShot(0, this, &FrameTray::hideFrame);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pk
