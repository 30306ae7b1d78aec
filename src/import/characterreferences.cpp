#include "import/characterreferences.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

/// The character of a reference's name or number (without "&" and ";"); 0 when unknown.
char32_t valueOf(QStringView name)
{
    if (name.startsWith(u'#')) {
        bool ok = false;
        const QStringView digits = name.sliced(1);
        uint value = 0;
        if (digits.startsWith(u'x') || digits.startsWith(u'X'))
            value = digits.sliced(1).toUInt(&ok, 16);
        else
            value = digits.toUInt(&ok, 10);
        if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return 0;
        return char32_t(value);
    }
    static const struct
    {
        const char16_t *name;
        char32_t value;
    } named[] = {{u"amp", U'&'},
                 {u"lt", U'<'},
                 {u"gt", U'>'},
                 {u"quot", U'"'},
                 {u"apos", U'\''},
                 {u"nbsp", U'\u00A0'}};
    for (const auto &n : named) {
        if (name.compare(QStringView(n.name), Qt::CaseInsensitive) == 0)
            return n.value;
    }
    return 0;
}

} // namespace

QString CharacterReferences::decode(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'&') {
            // References are short; a ";" further away ends no reference of ours.
            const qsizetype semi = text.indexOf(u';', i + 1);
            if (semi > i + 1 && semi - i <= 12) {
                if (const char32_t value = valueOf(text.sliced(i + 1, semi - i - 1)); value != 0) {
                    out += QString::fromUcs4(&value, 1);
                    i = semi + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace pk
