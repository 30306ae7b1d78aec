#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief Character references of HTML text turned back into the characters they stand for.
 *
 * Numeric references ("&#233;", "&#x2019;") and the named ones that bookmark files carry
 * ("&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;"). Anything else, including an "&"
 * that starts no reference, stays as written.
 */
class CharacterReferences final
{
public:
    static QString decode(QStringView text);
};

} // namespace pk
