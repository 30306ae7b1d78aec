#pragma once

#include "report/reportdefinition.h"
#include "report/reportmetrics.h"

#include <QStringList>

#include <vector>

namespace pk {

/// Where a column sits across the page.
struct ReportColumnPlace
{
    qreal x = 0;
    qreal width = 0;
};

/**
 * @brief The layout decisions of a report: which way round the paper goes, how wide each
 * column is, and how a value wraps inside its column.
 */
class ReportLayout final
{
public:
    /// Space between two columns, in characters of the body font.
    static constexpr int ColumnGap = 2;
    /// A text column is never squeezed narrower than this many characters.
    static constexpr int MinimumCharacters = 8;
    /// Columns wider than this wrap; a page is turned when their sum would not fit upright.
    static constexpr int ComfortableCharacters = 36;

    /// True when the columns need a landscape page to be read comfortably.
    static bool wantsLandscape(const QList<ReportColumn> &columns,
                               const ReportMetrics &metrics,
                               qreal portraitWidth);

    /// Places the columns across `pageWidth`: every column at least fits its heading; columns
    /// that want more than there is share what remains in proportion to their wishes.
    static std::vector<ReportColumnPlace> place(const QList<ReportColumn> &columns,
                                                const ReportMetrics &metrics,
                                                qreal pageWidth);

    /// The narrowest the columns can be without breaking a heading's word.
    static qreal minimumWidth(const QList<ReportColumn> &columns, const ReportMetrics &metrics);

    /// `text` broken into lines no wider than `width`: at line breaks, between words, and
    /// inside a word too long for a line (after '/', '.', '-', '?', '&' or '=' when it can).
    static QStringList wrap(const QString &text,
                            qreal width,
                            ReportStyle style,
                            const ReportMetrics &metrics);

private:
    static qreal minimum(const ReportColumn &column, const ReportMetrics &metrics);
    static qreal characters(const ReportMetrics &metrics, int n);
    static qreal wanted(const ReportColumn &column, const ReportMetrics &metrics, int cap);
};

} // namespace pk
