#pragma once

#include <QList>
#include <QString>

namespace pk {

/// One address found in copied text, with what the text says about it.
struct ClipboardEntry
{
    QString category;    ///< "Clipboard", or the heading the address stands under
    QString location;    ///< 255
    QString description; ///< 255, blank when the text gives none
    QString siteInfo;    ///< 2048

    bool operator==(const ClipboardEntry &) const = default;
};

/**
 * @brief Finds the web addresses in text copied to the clipboard: HTML anchors (their href
 * value, the anchor text as description, a preceding heading as category) and addresses in
 * plain text.
 *
 * Plain-text addresses start at "http://", "https://", "ftp://", "telnet://" or "mailto:"
 * (whichever comes first), or at "www." (taken as "http://www."). An address ends at white
 * space; in text without white space, at a comma; otherwise at the end of the text.
 */
class ClipboardScan final
{
public:
    static constexpr int MaxText = 2000;
    static constexpr const char *DefaultCategory = "Clipboard";

    /// Every address of `text` (only its first MaxText characters are looked at).
    static QList<ClipboardEntry> scan(const QString &text);
};

} // namespace pk
