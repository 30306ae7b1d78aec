#pragma once

#include "shell/screenfont.h"

#include <QColor>
#include <QFont>

class QWidget;

namespace pk {

/// Between the stored screen font and Qt's font and colour.
QFont toQFont(const ScreenFont &font, const QFont &base = QFont());
ScreenFont fromQFont(const QFont &font, const QColor &color);
/// Applies the font (and colour, when not the system's) to the whole application.
void applyScreenFont(const ScreenFont &font);

} // namespace pk
