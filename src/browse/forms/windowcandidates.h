#pragma once

#include "browse/capture/sessionpage.h"
#include "platform/x11windowlist.h"

#include <QString>

#include <vector>

namespace pk {

/// An address seen in an open window, with that window's title.
struct WindowCandidate
{
    QString title;
    QString address;
};

/**
 * @brief Picks the addresses the New-location wizard offers from the open windows and the
 * pages the running browsers' sessions show.
 *
 * A browser's page comes first, under the title of the top-level window that shows it (the
 * window's title is the page's title and the browser's name), else under its own title (its
 * address when it has none). Then every top-level window with a title, except the wizard itself and the program's main frame,
 * is read: its own title (desktop browsers show the page address there rather than in a child
 * window) and the names of its child windows. A text containing "http", "ftp" or "www" gives a
 * candidate: the address is the word of the text where that begins, the title the top-level
 * window's title. Addresses are unique; a later candidate with a listed address replaces the
 * listed one only when the listed entry's title is just its address.
 */
class WindowCandidates final
{
public:
    static constexpr const char *FrameTitle = "Pathkeep 2005";
    static constexpr int MaxText = 1024;

    /// True when the text mentions "http", "ftp" or "www" (letter case as written).
    static bool mentionsAddress(const QString &text);
    /// The address in `text`: the whitespace-delimited word in which "http", "ftp" or "www"
    /// first occurs, without surrounding brackets or quotes; the whole text when it has no
    /// spaces.
    static QString addressIn(const QString &text);
    /// Adds `candidate` under the uniqueness rule above.
    static void add(std::vector<WindowCandidate> &list, const WindowCandidate &candidate);
    /// Whether a window titled `windowTitle` shows the page titled `pageTitle`: the same
    /// title, or the page's title followed by a dash and the browser's name.
    static bool showsPage(const QString &windowTitle, const QString &pageTitle);
    /// Whether `windowTitle` is a page's title, a dash and `browser`.
    static bool namedAfter(const QString &windowTitle, const QString &browser);
    /// Candidates of `pages` and `windows`, leaving out the window `ownWindow` and the main
    /// frame.
    static std::vector<WindowCandidate> collect(const std::vector<TopLevelWindow> &windows,
                                                quint32 ownWindow,
                                                const std::vector<SessionPage> &pages = {});
};

} // namespace pk
