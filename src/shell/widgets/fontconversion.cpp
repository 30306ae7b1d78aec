#include "shell/widgets/fontconversion.h"

#include <QApplication>
#include <QPalette>

namespace pk {

QFont toQFont(const ScreenFont &font, const QFont &base)
{
    QFont f = base;
    f.setFamily(font.name);
    if (font.size > 0)
        f.setPointSize(font.size);
    if (font.style >= 0) {
        const int weight = font.style & ScreenFont::WeightMask;
        if (weight > 0)
            f.setWeight(QFont::Weight(qBound(100, weight, 900)));
        f.setItalic(font.style & ScreenFont::Italic);
        f.setUnderline(font.style & ScreenFont::Underline);
        f.setStrikeOut(font.style & ScreenFont::StrikeOut);
    }
    return f;
}

ScreenFont fromQFont(const QFont &font, const QColor &color)
{
    ScreenFont s;
    s.name = font.family().left(31);
    s.size = font.pointSize() > 0 ? font.pointSize() : 8;
    s.color = color.isValid() ? int(color.rgb() & 0xFFFFFF) : -1;
    s.style = font.weight() | (font.italic() ? ScreenFont::Italic : 0)
              | (font.underline() ? ScreenFont::Underline : 0)
              | (font.strikeOut() ? ScreenFont::StrikeOut : 0);
    s.charset = 0;
    return s;
}

void applyScreenFont(const ScreenFont &font)
{
    QApplication::setFont(toQFont(font, QApplication::font()));
    if (font.color >= 0) {
        QPalette palette = QApplication::palette();
        const QColor c = QColor::fromRgb(QRgb(font.color));
        palette.setColor(QPalette::WindowText, c);
        palette.setColor(QPalette::Text, c);
        palette.setColor(QPalette::ButtonText, c);
        QApplication::setPalette(palette);
    }
}

} // namespace pk
