#pragma once

#include "platform/hotkeygrabber.h"
#include "shell/hotkeys.h"

#include <QObject>

#include <functional>
#include <memory>

namespace pk {

class MainFrame;

/**
 * @brief The frame's global hot keys: Win+U brings the frame back, Win+G brings it back and
 * then gets the address from an open browser (Tools, "Get URL from Browser").
 *
 * The keys are X11 key grabs, taken only when the program runs on X11. In another session
 * (Wayland) nothing is grabbed; the desktop's own shortcut settings can start
 * "pathkeep --restore" and "pathkeep --get-url", which reach the running program (see
 * SingleInstance) and end up in restoreFrame() and getUrl() as the keys do.
 */
class FrameHotKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameHotKeys)

public:
    static constexpr const char *RestoreKey = "WinU";
    static constexpr const char *GetUrlKey = "WinG";

    /// `restore` shows the frame again; `grabber` null means the X11 one on X11, and none
    /// elsewhere.
    FrameHotKeys(MainFrame &frame,
                 std::function<void()> restore,
                 std::unique_ptr<HotKeyGrabber> grabber = nullptr,
                 QObject *parent = nullptr);
    ~FrameHotKeys() override;

    HotKeys &keys() { return *m_keys; }
    /// Registers Win+U and Win+G; keys the desktop refuses stay in the failed list, unreported.
    void attach();
    void detach();

    /// Whether the session lets the program take global keys (it runs on X11).
    static bool sessionHasHotKeys();

    /// Win+U: shows the frame again.
    void restoreFrame();
    /// Win+G: shows the frame again, then Tools, "Get URL from Browser".
    void getUrl();

    /// What the frame did for the last key handled ("WinU", "Unknown: 3"), for the log.
    const QString &lastHandled() const { return m_lastHandled; }

private:
    void handleFired();

    MainFrame &m_frame;
    std::function<void()> m_restore;
    std::unique_ptr<HotKeyGrabber> m_grabber;
    std::unique_ptr<HotKeys> m_keys;
    QString m_lastHandled;
};

} // namespace pk
