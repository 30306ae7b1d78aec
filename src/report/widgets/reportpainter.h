#pragma once

#include "report/reportmetrics.h"

#include <QFont>
#include <QFontMetricsF>

#include <array>

class QPainter;
class QPaintDevice;

namespace pk {

struct ReportPage;

/**
 * @brief The fonts of a report on one paint device: measures texts for the layout and paints
 * finished pages.
 */
class ReportPainter final : public ReportMetrics
{
public:
    /// `scale` shrinks every font alike, for reports with many columns.
    explicit ReportPainter(QPaintDevice *device, qreal scale = 1.0);

    qreal width(ReportStyle style, const QString &text) const override;
    qreal lineHeight(ReportStyle style) const override;

    QFont font(ReportStyle style) const;
    /// Draws `page` with the painter's origin at the top left of the printable area.
    void paint(QPainter &painter, const ReportPage &page, qreal pageWidth) const;

private:
    static constexpr std::size_t StyleCount = 5;
    std::array<QFont, StyleCount> m_fonts;
    std::array<QFontMetricsF, StyleCount> m_metrics;
    qreal m_resolution;
};

} // namespace pk
