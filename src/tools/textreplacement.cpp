#include "tools/textreplacement.h"

#include "store/fieldtext.h"

namespace pk {

bool TextReplacement::apply(
    QString &field, int length, const QString &search, const QString &replacement, bool ignoreCase)
{
    const QString before = field;
    const QString s = trimTrailingSpaces(search);
    const QString r = trimTrailingSpaces(replacement);
    QString text = trimTrailingSpaces(field);
    if (s.isEmpty()) {
        if (text.isEmpty())
            text = r;
    } else {
        const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (qsizetype p = text.size() - 1; p >= 0; --p) {
            if (QStringView(text).mid(p).startsWith(s, cs))
                text = text.left(p) + r + text.mid(p + s.size());
        }
    }
    field = length > 0 ? fitToField(text, length) : trimTrailingSpaces(text);
    return field != before;
}

} // namespace pk
