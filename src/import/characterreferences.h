#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief Character references of HTML text turned back into the characters they stand for, as
 * a browser reads them.
 *
 * Numeric references ("&#233;", "&#x2019;", also without the semicolon; the numbers 128 to 159
 * as the Windows-1252 characters, a number that names no character as U+FFFD) and every named
 * reference of HTML5. The legacy names ("&amp", "&eacute", ...) count without a semicolon too,
 * the longest one that matches; in an attribute value such a name followed by "=" or a letter or
 * digit is no reference, so "?a=1&copy=2" stays as written. Anything else, an "&" that starts no
 * reference included, stays as written.
 */
class CharacterReferences final
{
public:
    enum class Context { Text, Attribute };

    static QString decode(QStringView text, Context context = Context::Text);
    /// Text as it stands in a tag's attribute value.
    static QString decodeAttribute(QStringView text) { return decode(text, Context::Attribute); }
};

} // namespace pk
