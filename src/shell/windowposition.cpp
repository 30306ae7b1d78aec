#include "shell/windowposition.h"

#include "platform/inifile.h"

namespace pk {

std::optional<WindowPosition> WindowPosition::load(const IniFile &ini, const QString &procedure)
{
    if (!ini.contains(procedure, QStringLiteral("Width")))
        return std::nullopt;
    WindowPosition p;
    p.geometry = QRect(ini.intValue(procedure, QStringLiteral("X")),
                       ini.intValue(procedure, QStringLiteral("Y")),
                       ini.intValue(procedure, QStringLiteral("Width")),
                       ini.intValue(procedure, QStringLiteral("Height")));
    p.maximized = ini.intValue(procedure, QStringLiteral("Maximize")) != 0;
    if (p.geometry.width() <= 0 || p.geometry.height() <= 0)
        return std::nullopt;
    return p;
}

void WindowPosition::store(IniFile &ini, const QString &procedure) const
{
    ini.setValue(procedure, QStringLiteral("X"), geometry.x());
    ini.setValue(procedure, QStringLiteral("Y"), geometry.y());
    ini.setValue(procedure, QStringLiteral("Width"), geometry.width());
    ini.setValue(procedure, QStringLiteral("Height"), geometry.height());
    ini.setValue(procedure, QStringLiteral("Maximize"), maximized ? 1 : 0);
}

} // namespace pk
