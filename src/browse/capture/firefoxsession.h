#pragma once

#include "browse/capture/sessionpage.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace pk {

/**
 * @brief Reads the session file of the Firefox family (`sessionstore-backups/recovery.jsonlz4`,
 * which a running browser rewrites shortly after every change): the selected tab of each open
 * window.
 *
 * A window's "selected" is the 1-based place of its selected tab in "tabs"; a tab's "index" the
 * 1-based place of its current entry in "entries" (the last entry when it is missing). Places
 * out of range are clamped. Only pages isOfferedAddress() accepts are returned.
 */
class FirefoxSession final
{
public:
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

    /// Pages of the session JSON `json`; nullopt with `error` set when it is no session.
    static std::optional<std::vector<SessionPage>> pages(const QByteArray &json,
                                                         const QString &browser,
                                                         QString *error = nullptr);
    /// Pages of the compressed session file at `path`.
    static std::optional<std::vector<SessionPage>> readFile(const QString &path,
                                                            const QString &browser,
                                                            QString *error = nullptr);
};

} // namespace pk
