#include "report/reportpaginator.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

ReportPaginator::ReportPaginator(const ReportDefinition &definition,
                                 const ReportMetrics &metrics,
                                 const QSizeF &pageSize,
                                 PageSink sink)
    : m_definition(definition)
    , m_metrics(metrics)
    , m_pageSize(pageSize)
    , m_sink(std::move(sink))
    , m_places(ReportLayout::place(definition.columns, metrics, pageSize.width()))
{
    const qreal footer = m_metrics.lineHeight(ReportStyle::Footer);
    m_bodyBottom = m_pageSize.height() - footer - line() * 0.5;
}

void ReportPaginator::placeLine(const QString &text, ReportStyle style, ReportItem::Align align)
{
    const qreal h = m_metrics.lineHeight(style);
    m_page.items.push_back({style, QRectF(0, m_y, m_pageSize.width(), h), text, align});
    m_y += h;
}

void ReportPaginator::startPage()
{
    m_page = ReportPage();
    m_page.number = ++m_pageNumber;
    m_open = true;
    m_firstRowOnPage = true;
    m_y = 0;
    placeLine(m_definition.title, ReportStyle::Title, ReportItem::Align::Center);
    for (const QString &s : m_definition.subtitles) {
        if (!s.trimmed().isEmpty())
            placeLine(s, ReportStyle::Subtitle, ReportItem::Align::Center);
    }
    m_y += line() * 0.5;
    const qreal h = m_metrics.lineHeight(ReportStyle::Heading);
    qsizetype tallest = 1;
    for (qsizetype i = 0; i < m_definition.columns.size(); ++i) {
        const ReportColumn &c = m_definition.columns.at(i);
        const ReportColumnPlace &p = m_places.at(std::size_t(i));
        const QStringList lines
            = ReportLayout::wrap(c.heading, p.width, ReportStyle::Heading, m_metrics);
        tallest = std::max(tallest, lines.size());
        for (qsizetype j = 0; j < lines.size(); ++j)
            m_page.items.push_back(
                {ReportStyle::Heading,
                 QRectF(p.x, m_y + h * qreal(j), p.width, h),
                 lines.at(j),
                 c.alignRight ? ReportItem::Align::Right : ReportItem::Align::Left});
    }
    m_y += h * qreal(tallest) + line() * 0.15;
    m_page.rules.push_back(m_y);
    m_y += line() * 0.35;
    m_bodyTop = m_y;
    const qreal footer = m_metrics.lineHeight(ReportStyle::Footer);
    m_page.items.push_back({ReportStyle::Footer,
                            QRectF(0, m_pageSize.height() - footer, m_pageSize.width(), footer),
                            u"Page "_s + QString::number(m_page.number),
                            ReportItem::Align::Center});
}

void ReportPaginator::endPage()
{
    if (!m_open)
        return;
    m_open = false;
    m_sink(m_page);
    m_page = ReportPage();
}

void ReportPaginator::addRow(const QStringList &cells)
{
    std::vector<QStringList> lines(m_places.size());
    qsizetype height = 1;
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        const ReportColumn &c = m_definition.columns.at(qsizetype(i));
        QString value = qsizetype(i) < cells.size() ? cells.at(qsizetype(i)) : QString();
        if (c.maxCharacters > 0 && value.size() > c.maxCharacters)
            value.truncate(c.maxCharacters);
        lines[i] = ReportLayout::wrap(value, m_places[i].width, ReportStyle::Body, m_metrics);
        height = std::max(height, lines[i].size());
    }
    if (!m_open)
        startPage();
    const qreal gap = m_firstRowOnPage ? 0 : line() * 0.3;
    const bool fitsHere = m_y + gap + line() * qreal(height) <= m_bodyBottom;
    // A row that cannot fit on any page is split where the page ends instead of moved on.
    const bool fitsOnAPage = line() * qreal(height) <= m_bodyBottom - m_bodyTop;
    if (!fitsHere && !m_firstRowOnPage && fitsOnAPage) {
        endPage();
        startPage();
    } else {
        m_y += gap;
    }
    for (qsizetype j = 0; j < height; ++j) {
        if (m_y + line() > m_bodyBottom && j > 0) {
            endPage();
            startPage();
        }
        for (std::size_t i = 0; i < m_places.size(); ++i) {
            if (j >= lines[i].size())
                continue;
            const ReportColumn &c = m_definition.columns.at(qsizetype(i));
            m_page.items.push_back(
                {ReportStyle::Body,
                 QRectF(m_places[i].x, m_y, m_places[i].width, line()),
                 lines[i].at(j),
                 c.alignRight ? ReportItem::Align::Right : ReportItem::Align::Left});
        }
        m_y += line();
    }
    m_firstRowOnPage = false;
    ++m_records;
}

void ReportPaginator::finish(bool cancelled)
{
    if (!m_open && m_records == 0)
        return;
    if (!m_open)
        startPage();
    const qreal needed = line() * (cancelled ? 3.0 : 2.0);
    if (m_y + needed > m_bodyBottom && !m_firstRowOnPage) {
        endPage();
        startPage();
    }
    m_y += line() * 0.5;
    m_page.rules.push_back(m_y);
    m_y += line() * 0.25;
    const qreal h = m_metrics.lineHeight(ReportStyle::Heading);
    m_page.items.push_back({ReportStyle::Heading,
                            QRectF(0, m_y, m_pageSize.width(), h),
                            QLatin1String(RecordsPrinted) + u' ' + QString::number(m_records),
                            ReportItem::Align::Left});
    m_y += h;
    if (cancelled) {
        m_page.items.push_back({ReportStyle::Heading,
                                QRectF(0, m_y, m_pageSize.width(), h),
                                QLatin1String(Cancelled),
                                ReportItem::Align::Left});
        m_y += h;
    }
    endPage();
}

} // namespace pk
