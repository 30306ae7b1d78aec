#pragma once

#include <QString>

namespace pk {

class IniFile;

/**
 * @brief The screen font every window applies when it opens (section `AnyFont`).
 *
 * Colour is 0xRRGGBB or -1 for the system's; style is the weight (100 to 900) plus 0x1000 for
 * italic, 0x2000 underline and 0x4000 strike-out, or -1 for the system's.
 */
struct ScreenFont
{
    static constexpr const char *Section = "AnyFont";
    static constexpr int Italic = 0x1000;
    static constexpr int Underline = 0x2000;
    static constexpr int StrikeOut = 0x4000;
    static constexpr int WeightMask = 0x0FFF;

    QString name = QStringLiteral("MS Sans Serif");
    int size = 8;
    int color = -1;
    int style = -1;
    int charset = 0;

    /// True when POSITION.INI holds a font (a face name).
    static bool isStored(const IniFile &ini);
    /// Reads the stored values over the defaults.
    static ScreenFont load(const IniFile &ini);
    void store(IniFile &ini) const;

    bool operator==(const ScreenFont &) const = default;
};

} // namespace pk
