#pragma once

#include "report/reportdefinition.h"
#include "report/reportlayout.h"
#include "report/reportpage.h"

#include <QSizeF>

#include <functional>

namespace pk {

/**
 * @brief Lays the rows of a report out on pages and hands each page on as soon as it is full.
 *
 * Every page carries the title, the lines under it, the column headings and "Page" with its
 * number; the report ends with "Records Printed:" and, when it was cancelled, the cancelled
 * marker. Only the page being filled is held, so a report of any length needs the same memory.
 * A report without rows has no pages.
 */
class ReportPaginator final
{
public:
    using PageSink = std::function<void(const ReportPage &page)>;

    static constexpr const char *RecordsPrinted = "Records Printed:";
    static constexpr const char *Cancelled = "** Report Cancelled **";

    ReportPaginator(const ReportDefinition &definition,
                    const ReportMetrics &metrics,
                    const QSizeF &pageSize,
                    PageSink sink);

    /// One detail line of the report: a value for each column.
    void addRow(const QStringList &cells);
    /// Ends the report; the last page goes to the sink.
    void finish(bool cancelled);

    int pages() const { return m_pageNumber; }
    int recordsPrinted() const { return m_records; }

private:
    void startPage();
    void endPage();
    void placeLine(const QString &text, ReportStyle style, ReportItem::Align align);
    qreal line() const { return m_metrics.lineHeight(ReportStyle::Body); }

    const ReportDefinition &m_definition;
    const ReportMetrics &m_metrics;
    QSizeF m_pageSize;
    PageSink m_sink;
    std::vector<ReportColumnPlace> m_places;
    ReportPage m_page;
    bool m_open = false;
    bool m_firstRowOnPage = true;
    qreal m_y = 0;
    qreal m_bodyTop = 0;
    qreal m_bodyBottom = 0;
    int m_pageNumber = 0;
    int m_records = 0;
};

} // namespace pk
