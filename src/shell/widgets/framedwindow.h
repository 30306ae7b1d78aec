#pragma once

#include <QMdiSubWindow>
#include <QObject>
#include <QWidget>

namespace pk {

/// Closes a window the frame started: the frame's child window that holds it, or the window
/// itself when it stands on its own.
inline void closeFramedWindow(QWidget *window)
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

/// Closes `window` (as closeFramedWindow() does) whenever it emits closeRequested().
template<typename Window>
void closeOnRequest(Window *window)
{
    QObject::connect(window, &Window::closeRequested, window, [window] {
        closeFramedWindow(window);
    });
}

} // namespace pk
