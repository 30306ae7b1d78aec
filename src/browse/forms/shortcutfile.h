#pragma once

#include <QString>

namespace pk {

/**
 * @brief Writes a location's address back into the Internet shortcut file it came from.
 *
 * Only an existing, writable file that is a shortcut (it has an `[InternetShortcut]`
 * section) is changed, and only the "URL" value in that section; every other line stays as
 * it was. The new file replaces the old one in one step, so a failure leaves the old one.
 */
class ShortcutFile final
{
public:
    enum class Result { Written, NotShortcutName, Missing, ReadOnly, NotShortcut, Failed };

    /// True when `fileName` names a shortcut: it contains ".URL", compared upper-cased.
    static bool hasShortcutName(const QString &fileName);
    /// True when the name is a shortcut's and the file exists.
    static bool exists(const QString &fileName);
    static Result writeUrl(const QString &fileName, const QString &url);
    /// The file's text with "URL" of `[InternetShortcut]` set to `url`; empty when the text
    /// has no such section.
    static QByteArray withUrl(const QByteArray &text, const QString &url);
};

} // namespace pk
