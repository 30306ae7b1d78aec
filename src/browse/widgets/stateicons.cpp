#include "browse/widgets/stateicons.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>

namespace pk {

namespace {

QIcon draw(int validated)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (validated == 1) {
        painter.setPen(
            QPen(QColor(0x1a, 0x8f, 0x2e), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF points[] = {{3, 8.5}, {6.5, 12}, {13, 4.5}};
        painter.drawPolyline(points, 3);
    } else if (validated == 2) {
        painter.setPen(QPen(QColor(0xd1, 0x1a, 0x1a), 2.4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon StateIcons::forValidated(int validated)
{
    static const QIcon blank = draw(0);
    static const QIcon check = draw(1);
    static const QIcon redx = draw(2);
    return validated == 1 ? check : validated == 2 ? redx : blank;
}

} // namespace pk
