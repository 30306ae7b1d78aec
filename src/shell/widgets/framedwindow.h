#pragma once

#include <QKeySequence>
#include <QMdiSubWindow>
#include <QObject>
#include <QShortcut>
#include <QWidget>

#include <utility>

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

/// Escape does what the window's Cancel or Exit button does, as it cancels a dialog: while the
/// focus is anywhere inside `window`, also when it is one of the frame's child windows.
template<typename Action>
void cancelOnEscape(QWidget *window, Action action)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, window, std::move(action));
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
