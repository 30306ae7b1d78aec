#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace pk {

/// A top-level window as the X server describes it: its id, title and the names of the
/// windows inside it.
struct TopLevelWindow
{
    quint32 id = 0;
    QString title;
    QStringList childTexts;
};

/**
 * @brief Lists the desktop's top-level windows with their titles and child window names,
 * read from the X11 window tree (`_NET_WM_NAME`, else `WM_NAME`).
 *
 * With a window manager the list follows `_NET_CLIENT_LIST`; without one it is the mapped
 * children of the root window. Nothing here waits on another program: names are window
 * properties the X server answers for itself.
 */
class X11WindowList final
{
public:
    static constexpr int MaxText = 1024;     ///< characters kept of a name
    static constexpr int MaxChildren = 4096; ///< windows read below one top-level window

    /// Windows of the display in $DISPLAY (or `display`); empty when none can be reached.
    static std::vector<TopLevelWindow> list(const QByteArray &display = {});

    /// A window name as text: UTF-8 for `_NET_WM_NAME`; for `WM_NAME` UTF-8 when the bytes are
    /// valid UTF-8, else Latin-1. Control characters become spaces; cut to MaxText.
    static QString decodeName(const QByteArray &bytes, bool utf8Property);
};

} // namespace pk
