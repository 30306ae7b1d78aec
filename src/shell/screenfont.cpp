#include "shell/screenfont.h"

#include "platform/inifile.h"

namespace pk {

namespace {
const QString section = QString::fromLatin1(ScreenFont::Section);
}

bool ScreenFont::isStored(const IniFile &ini)
{
    return !ini.value(section, QStringLiteral("FontName")).isEmpty();
}

ScreenFont ScreenFont::load(const IniFile &ini)
{
    ScreenFont font;
    font.name = ini.value(section, QStringLiteral("FontName"), font.name).left(31);
    font.size = ini.intValue(section, QStringLiteral("FontSize"), font.size);
    font.color = ini.intValue(section, QStringLiteral("FontColor"), font.color);
    font.style = ini.intValue(section, QStringLiteral("FontStyle"), font.style);
    font.charset = ini.intValue(section, QStringLiteral("FontCharset"), font.charset);
    if (font.size <= 0)
        font.size = 8;
    return font;
}

void ScreenFont::store(IniFile &ini) const
{
    ini.setValue(section, QStringLiteral("FontName"), name.left(31));
    ini.setValue(section, QStringLiteral("FontSize"), size);
    ini.setValue(section, QStringLiteral("FontColor"), color);
    ini.setValue(section, QStringLiteral("FontStyle"), style);
    ini.setValue(section, QStringLiteral("FontCharset"), charset);
}

} // namespace pk
