#pragma once

#include <QString>

namespace pk {

/// The text without trailing blanks (stored values never keep them).
inline QString rtrimmed(const QString &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

} // namespace pk
