#pragma once

#include "report/reportmetrics.h"

#include <QRectF>
#include <QString>

#include <vector>

namespace pk {

/// One text placed on a page.
struct ReportItem
{
    enum class Align { Left, Right, Center };

    ReportStyle style = ReportStyle::Body;
    QRectF rect;
    QString text;
    Align align = Align::Left;
};

/// One finished page: its number, its texts and the horizontal rules drawn across it.
struct ReportPage
{
    int number = 0;
    std::vector<ReportItem> items;
    std::vector<qreal> rules; ///< y of each rule, drawn over the full width

    /// Every text on the page, top to bottom, for tests and diagnostics.
    QString plainText() const;
};

} // namespace pk
