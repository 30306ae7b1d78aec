#pragma once

#include <QString>

class QWidget;

namespace pk {

class IniFile;

/// Window places of the exchange dialogs, kept in POSITION.INI under their procedure names.
namespace DialogPosition {

/// Restores `window`'s place from `ini` now and stores it there when the window hides.
/// Without an ini file nothing is kept.
void keep(QWidget *window, IniFile *ini, const QString &name);

} // namespace DialogPosition

} // namespace pk
