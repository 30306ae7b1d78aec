#pragma once

#include <QRect>
#include <QString>

#include <optional>

namespace pk {

class IniFile;

/// A window's place as kept in POSITION.INI under the procedure's name.
struct WindowPosition
{
    QRect geometry;
    bool maximized = false;

    static std::optional<WindowPosition> load(const IniFile &ini, const QString &procedure);
    void store(IniFile &ini, const QString &procedure) const;
};

} // namespace pk
