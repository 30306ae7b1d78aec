#pragma once

#include "browse/capture/sessionpage.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace pk {

/**
 * @brief Reads a session file of the Chromium family (`Sessions/Session_*`): the selected tab
 * of each open window.
 *
 * The file is a command log: "SNSS", an int32 version, then records of a uint16 size, a uint8
 * command and size - 1 bytes of payload, replayed in order. The commands read are those that
 * place a tab in a window and at a position, record a tab's navigation entry (a pickle: tab,
 * index, address, UTF-16 title), select a navigation of a tab and a tab of a window, prune a
 * tab's navigations, and close tabs and windows; the others are stepped over. A record cut off
 * by the end of the file ends the reading, a payload too short for its command is skipped: what
 * was read up to there stands. Only pages isOfferedAddress() accepts are returned; the window
 * last made active comes first.
 */
class ChromiumSession final
{
public:
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    enum Command : quint8 {
        SetTabWindow = 0,
        SetTabIndexInWindow = 2,
        TabNavigationPathPrunedFromBack = 5,
        UpdateTabNavigation = 6,
        SetSelectedNavigationIndex = 7,
        SetSelectedTabInIndex = 8,
        TabNavigationPathPrunedFromFront = 11,
        TabClosed = 16,
        WindowClosed = 17,
        SetActiveWindow = 20,
        TabNavigationPathPruned = 24,
    };

    enum class Outcome {
        Read,      ///< the file was read (it may list no page)
        Encrypted, ///< a session file the browser encrypted
        NotSession ///< no session file, or one of a version not known
    };

    struct Result
    {
        Outcome outcome = Outcome::NotSession;
        std::vector<SessionPage> pages;
    };

    static Result pages(const QByteArray &data, const QString &browser);
    /// Pages of the file at `path`; NotSession with `error` set when it cannot be read.
    static Result readFile(const QString &path, const QString &browser, QString *error = nullptr);
};

} // namespace pk
