#include "store/locationaddress.h"

#include "store/fieldtext.h"

#include <QList>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr qsizetype kShownLength = 100;

bool isControl(char32_t c)
{
    // C0 and C1 controls, DEL, and the Unicode line and paragraph separators.
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

} // namespace

LocationAddress::Problem LocationAddress::check(QStringView address, bool typed)
{
    const QStringView text = address.trimmed();
    if (text.isEmpty())
        return Problem::Blank;
    if (characterCount(text) > MaxLength)
        return Problem::TooLong;
    bool blankInside = false;
    for (const char32_t c : text.toUcs4()) {
        if (isControl(c))
            return Problem::ControlCharacter;
        if (QChar::isSpace(c))
            blankInside = true;
    }
    return typed && blankInside ? Problem::BlankInside : Problem::None;
}

QString LocationAddress::shown(QStringView address)
{
    const QStringView text = address.trimmed();
    QString out = text.size() <= kShownLength
                      ? text.toString()
                      : truncateToWidth(text, 60) + u"..."_s + text.right(30).toString();
    // A line break or another control character is shown, not obeyed.
    for (QChar &c : out) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (isControl(c.unicode()))
            c = QChar(QChar::ReplacementCharacter);
    }
    return out;
}

QString LocationAddress::message(Problem problem, QStringView address)
{
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::Blank:
        return u"The address is blank."_s;
    case Problem::TooLong:
        return u"The address is "_s + QString::number(characterCount(address.trimmed()))
               + u" characters long; an address may have at most "_s + QString::number(MaxLength)
               + u" characters. It was not stored:\n"_s + shown(address);
    case Problem::ControlCharacter:
        return u"The address holds a line break or another control character. It was not "
               u"stored:\n"_s
               + shown(address);
    case Problem::BlankInside:
        return u"The address holds a blank (write a blank inside an address as %20). It was "
               u"not stored:\n"_s
               + shown(address);
    }
    return {};
}

} // namespace pk
