#pragma once

#include <QString>

namespace pk {

/// The page a browser window shows, as the browser's session file records it.
struct SessionPage
{
    QString browser; ///< "Firefox", "Chromium", ...
    QString title;
    QString address;

    bool operator==(const SessionPage &) const = default;
};

/// Whether a session's page is one to offer: a web, FTP or file address, not the browser's own
/// pages (new tab, settings, about:blank).
bool isOfferedAddress(const QString &address);

} // namespace pk
