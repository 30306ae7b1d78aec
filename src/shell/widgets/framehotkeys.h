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
 */
class FrameHotKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameHotKeys)

public:
    static constexpr const char *RestoreKey = "WinU";
    static constexpr const char *GetUrlKey = "WinG";

    /// `restore` shows the frame again; `grabber` null means the X11 one.
    FrameHotKeys(MainFrame &frame,
                 std::function<void()> restore,
                 std::unique_ptr<HotKeyGrabber> grabber = nullptr,
                 QObject *parent = nullptr);
    ~FrameHotKeys() override;

    HotKeys &keys() { return *m_keys; }
    /// Registers Win+U and Win+G; keys the desktop refuses stay in the failed list, unreported.
    void attach();
    void detach();

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
