#pragma once

#include <QtGlobal>

#include <functional>

namespace pk {

/**
 * @brief The desktop's side of the global hot keys: takes a key code (virtual key in the low
 * byte; modifiers in the high byte: 1 Alt, 2 Ctrl, 4 Shift, 8 Win) for the
 * program and reports when it is pressed.
 */
class HotKeyGrabber
{
public:
    virtual ~HotKeyGrabber() = default;
    /// Takes the key for this program; false when the desktop refuses (another program holds
    /// it, no display).
    virtual bool grab(int id, quint16 code) = 0;
    /// Gives the key back; false when that failed.
    virtual bool release(int id) = 0;
    /// Called with the id of a grabbed key when it is pressed.
    std::function<void(int id)> pressed;
};

} // namespace pk
