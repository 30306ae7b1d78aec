#pragma once

#include <QList>
#include <QString>

namespace pk {

/// One address found in copied text, with what the text says about it.
struct ClipboardEntry
{
    QString category;    ///< "Clipboard", or the heading the address stands under
    QString location;    ///< whole, as the text gives it (the import insert checks its length)
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
 *
 * HTML (the clipboard's text/html flavour) is read the same way, with two differences: the
 * character references of addresses, descriptions and headings are decoded ("&amp;" is "&"),
 * and an address in the page's text also ends at "<" (the tag that follows it).
 *
 * Only the first MaxText characters are looked at; an address that runs into that limit is
 * not taken, since its end is not known.
 */
class ClipboardScan final
{
public:
    /// Enough for a long selection of a page with its markup; each pass over the text reads
    /// the rest of it, so the limit also bounds the work.
    static constexpr int MaxText = 64 * 1024;
    static constexpr const char *DefaultCategory = "Clipboard";

    enum class Format { Text, Html };

    /// Every address of `text` (only its first MaxText characters are looked at).
    static QList<ClipboardEntry> scan(const QString &text, Format format = Format::Text);
};

} // namespace pk
