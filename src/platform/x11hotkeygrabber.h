#pragma once

#include "platform/hotkeygrabber.h"

#include <QByteArray>
#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace pk {

/**
 * @brief Global hot keys on X11: passive key grabs on the root window, on a connection of its
 * own so that presses arrive whatever the rest of the program is busy with.
 *
 * Win is the Super modifier (Mod4), Alt Mod1. Each key is grabbed also with Caps Lock and
 * Num Lock on, so those do not hide a press. A key another client holds already is refused.
 */
class X11HotKeyGrabber final : public QObject, public HotKeyGrabber
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(X11HotKeyGrabber)

public:
    /// Connects to $DISPLAY (or `display`); without a display every grab is refused.
    explicit X11HotKeyGrabber(const QByteArray &display = {}, QObject *parent = nullptr);
    ~X11HotKeyGrabber() override;

    bool isConnected() const;
    bool grab(int id, quint16 code) override;
    bool release(int id) override;

    /// The X keysym of a virtual key code; 0 when there is none.
    static quint32 keysym(quint8 virtualKey);
    /// X modifier mask of the code's modifier bits.
    static quint16 modifierMask(quint16 code);

private:
    struct Grab
    {
        int id;
        quint8 keycode;
        quint16 modifiers;
    };
    struct Connection;

    void readEvents();
    void ungrab(const Grab &grab);

    std::unique_ptr<Connection> m_x;
    QSocketNotifier *m_notifier = nullptr;
    std::vector<Grab> m_grabs;
};

} // namespace pk
