#pragma once

#include <QString>

namespace pk {

/// The replacement every tool that rewrites a text field uses.
class TextReplacement final
{
public:
    /**
     * Replaces `search` by `replacement` in `field` (both taken without trailing blanks).
     *
     * An empty search fills a blank field with the replacement and leaves any other field
     * alone. Otherwise the field is scanned from its last character to its first; wherever the
     * text from that position on begins with the search text, the match is replaced and the
     * scan goes on one position to the left, so text a replacement produced can match again
     * further left ("aa" by "a" turns "aaa" into "a"). The result is cut to `length`
     * characters (0: no limit) and has no trailing blanks. Returns whether the field changed.
     */
    static bool apply(QString &field,
                      int length,
                      const QString &search,
                      const QString &replacement,
                      bool ignoreCase);
};

} // namespace pk
