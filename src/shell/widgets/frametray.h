#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace pk {

class MainFrame;

/**
 * @brief The frame's icon in the notification area, its pop-up menu, and hiding the minimised
 * frame so that only the icon remains.
 *
 * Hiding on minimise is attached unless "NoTray" is on, and takes effect only while a tray is
 * there to bring the frame back from; without one the frame minimises as usual. The icon comes
 * back by itself when the tray is restarted.
 */
class FrameTray final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameTray)

public:
    static constexpr const char *Tip = "Pathkeep 2005";

    explicit FrameTray(MainFrame &frame, QObject *parent = nullptr);
    ~FrameTray() override;

    /// Shows the icon and builds its menu; hides the minimised frame unless `noTray`.
    void attach(bool noTray);
    /// Attaches or detaches hiding the minimised frame.
    void setNoTray(bool noTray);
    bool hidesOnMinimise() const { return m_hideOnMinimise; }

    QSystemTrayIcon *icon() const { return m_icon; }
    QMenu *menu() const { return m_menu; }
    QAction *restoreAction() const { return m_restore; }

    /// Shows the frame again, not minimised, in front.
    void restore();
    /// Whether the frame is hidden in the tray now.
    bool isHidden() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenu();
    void hideFrame();

    MainFrame &m_frame;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_restore = nullptr;
    bool m_hideOnMinimise = false;
};

} // namespace pk
