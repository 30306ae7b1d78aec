#include "shell/hotkeytext.h"

#include <array>
#include <utility>

namespace pk {

namespace {

// Names of keys other than letters and digits, with their virtual key codes.
constexpr std::array<std::pair<const char *, quint8>, 26> kNamedKeys{{
    {"BACK", 0x08},   {"BACKSPACE", 0x08}, {"TAB", 0x09},    {"ENTER", 0x0D},    {"RETURN", 0x0D},
    {"PAUSE", 0x13},  {"ESC", 0x1B},       {"ESCAPE", 0x1B}, {"SPACE", 0x20},    {"PGUP", 0x21},
    {"PAGEUP", 0x21}, {"PRIOR", 0x21},     {"PGDN", 0x22},   {"PAGEDOWN", 0x22}, {"NEXT", 0x22},
    {"END", 0x23},    {"HOME", 0x24},      {"LEFT", 0x25},   {"UP", 0x26},       {"RIGHT", 0x27},
    {"DOWN", 0x28},   {"INSERT", 0x2D},    {"INS", 0x2D},    {"DELETE", 0x2E},   {"DEL", 0x2E},
    {"SCROLL", 0x91},
}};

struct Word
{
    const char *prefix;
    const char *full;
    quint16 modifier;
};

constexpr std::array<Word, 4> kWords{{
    {"SHI", "SHIFT", HotKeyText::Shift},
    {"CTR", "CTRL", HotKeyText::Ctrl},
    {"ALT", "ALT", HotKeyText::Alt},
    {"WIN", "WIN", HotKeyText::Win},
}};

} // namespace

quint8 HotKeyText::keyCode(const QString &name)
{
    const QString n = name.trimmed().toUpper();
    if (n.size() == 1) {
        const QChar c = n.at(0);
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return quint8(c.unicode());
        return 0;
    }
    if (n.size() >= 2 && n.at(0) == QLatin1Char('F')) {
        bool ok = false;
        const int number = n.mid(1).toInt(&ok);
        if (ok && number >= 1 && number <= 24)
            return quint8(0x70 + number - 1);
    }
    for (const auto &[keyName, code] : kNamedKeys)
        if (n == QLatin1String(keyName))
            return code;
    return 0;
}

quint16 HotKeyText::parse(const QString &text)
{
    QString rest = text.trimmed().toUpper();
    if (rest.startsWith(QLatin1Char('-')))
        rest.remove(0, 1);
    quint16 modifiers = 0;
    for (;;) {
        if (rest.isEmpty())
            return 0;
        const QChar c = rest.at(0);
        quint16 prefix = 0;
        if (c == QLatin1Char('+'))
            prefix = Shift;
        else if (c == QLatin1Char('^'))
            prefix = Ctrl;
        else if (c == QLatin1Char('%'))
            prefix = Alt;
        else if (c == QLatin1Char('*'))
            prefix = Win;
        // A lone "+" is the plus key's name rather than Shift with nothing.
        if (prefix != 0 && rest.size() > 1) {
            modifiers |= prefix;
            rest.remove(0, 1);
            continue;
        }
        bool word = false;
        for (const Word &w : kWords) {
            if (!rest.startsWith(QLatin1String(w.prefix)) || rest.size() <= 3)
                continue;
            // The whole word when it is written out, else its three letters.
            const QLatin1String full(w.full);
            rest.remove(0, rest.startsWith(full) && rest.size() > full.size() ? full.size() : 3);
            while (rest.size() > 1
                   && (rest.at(0) == QLatin1Char(' ') || rest.at(0) == QLatin1Char('-')
                       || rest.at(0) == QLatin1Char('+')))
                rest.remove(0, 1);
            modifiers |= w.modifier;
            word = true;
            break;
        }
        if (!word)
            break;
    }
    rest.remove(QStringLiteral("KEY"));
    const quint8 key = keyCode(rest);
    return key == 0 ? 0 : quint16(modifiers | key);
}

} // namespace pk
