#pragma once

#include <QString>

namespace pk {

/**
 * @brief Key texts of the global hot keys, e.g. "WinU", "^%F5", "Shift KeyHome".
 *
 * A text is a key name with modifiers in front: the one-character prefixes "+" (Shift),
 * "^" (Ctrl), "%" (Alt), "*" (Win), or the words SHIFT, CTRL, ALT, WIN, recognised by their
 * first three letters (case-insensitive; a space, "-" or "+" may follow a word). A leading "-"
 * is skipped and the word "KEY" inside the name is ignored. The code holds the virtual key code
 * in its low byte and the modifiers in its high byte: 1 Alt, 2 Ctrl, 4 Shift, 8 Win.
 */
class HotKeyText final
{
public:
    enum Modifier : quint16 { Alt = 0x100, Ctrl = 0x200, Shift = 0x400, Win = 0x800 };

    /// The 16-bit code of a key text; 0 when it names no key.
    static quint16 parse(const QString &text);
    /// The virtual key code of a key name ("U", "F5", "HOME"); 0 when unknown.
    static quint8 keyCode(const QString &name);
    /// The modifiers of a code as the bits above.
    static quint16 modifiers(quint16 code) { return code & 0xFF00; }
    static quint8 key(quint16 code) { return quint8(code & 0xFF); }
};

} // namespace pk
