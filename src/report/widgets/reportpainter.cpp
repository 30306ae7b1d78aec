#include "report/widgets/reportpainter.h"

#include "report/reportpage.h"

#include <QPaintDevice>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

std::size_t index(ReportStyle style)
{
    return static_cast<std::size_t>(style);
}

QFont makeFont(ReportStyle style, qreal scale)
{
    QFont font(u"Sans Serif"_s);
    font.setStyleHint(QFont::SansSerif);
    switch (style) {
    case ReportStyle::Title:
        font.setPointSizeF(14 * scale);
        font.setBold(true);
        break;
    case ReportStyle::Subtitle:
        font.setPointSizeF(10 * scale);
        break;
    case ReportStyle::Heading:
        font.setPointSizeF(9 * scale);
        font.setBold(true);
        break;
    case ReportStyle::Body:
        font.setPointSizeF(9 * scale);
        break;
    case ReportStyle::Footer:
        font.setPointSizeF(8 * scale);
        break;
    }
    return font;
}

} // namespace

ReportPainter::ReportPainter(QPaintDevice *device, qreal scale)
    : m_fonts{makeFont(ReportStyle::Title, scale),
              makeFont(ReportStyle::Subtitle, scale),
              makeFont(ReportStyle::Heading, scale),
              makeFont(ReportStyle::Body, scale),
              makeFont(ReportStyle::Footer, scale)}
    , m_metrics{QFontMetricsF(m_fonts[0], device),
                QFontMetricsF(m_fonts[1], device),
                QFontMetricsF(m_fonts[2], device),
                QFontMetricsF(m_fonts[3], device),
                QFontMetricsF(m_fonts[4], device)}
    , m_resolution(device->logicalDpiY())
{}

qreal ReportPainter::width(ReportStyle style, const QString &text) const
{
    return m_metrics[index(style)].horizontalAdvance(text);
}

qreal ReportPainter::lineHeight(ReportStyle style) const
{
    return m_metrics[index(style)].lineSpacing();
}

QFont ReportPainter::font(ReportStyle style) const
{
    return m_fonts[index(style)];
}

void ReportPainter::paint(QPainter &painter, const ReportPage &page, qreal pageWidth) const
{
    painter.setPen(QPen(Qt::black, m_resolution / 144.0));
    for (qreal y : page.rules)
        painter.drawLine(QPointF(0, y), QPointF(pageWidth, y));
    ReportStyle current = ReportStyle::Body;
    painter.setFont(font(current));
    for (const ReportItem &item : page.items) {
        if (item.style != current) {
            current = item.style;
            painter.setFont(font(current));
        }
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        switch (item.align) {
        case ReportItem::Align::Left:
            flags |= Qt::AlignLeft;
            break;
        case ReportItem::Align::Right:
            flags |= Qt::AlignRight;
            break;
        case ReportItem::Align::Center:
            flags |= Qt::AlignHCenter;
            break;
        }
        painter.drawText(item.rect, flags, item.text);
    }
}

} // namespace pk
