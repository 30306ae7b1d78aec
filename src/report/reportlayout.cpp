#include "report/reportlayout.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace pk {

qreal ReportLayout::characters(const ReportMetrics &metrics, int n)
{
    return metrics.width(ReportStyle::Body, QString(n, u'x'));
}

qreal ReportLayout::wanted(const ReportColumn &column, const ReportMetrics &metrics, int cap)
{
    int n = std::min(column.characters, cap);
    if (column.maxCharacters > 0)
        n = std::min(n, column.maxCharacters);
    return std::max(metrics.width(ReportStyle::Heading, column.heading), characters(metrics, n));
}

qreal ReportLayout::minimum(const ReportColumn &column, const ReportMetrics &metrics)
{
    // Numbers keep their width; texts may wrap, but headings only between words.
    if (column.alignRight)
        return wanted(column, metrics, column.characters);
    qreal widest = 0;
    for (const QString &word : column.heading.split(u' ', Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.width(ReportStyle::Heading, word));
    return std::max(widest, characters(metrics, std::min(column.characters, MinimumCharacters)));
}

qreal ReportLayout::minimumWidth(const QList<ReportColumn> &columns, const ReportMetrics &metrics)
{
    qreal total = characters(metrics, ColumnGap)
                  * qreal(std::max<qsizetype>(0, columns.size() - 1));
    for (const ReportColumn &c : columns)
        total += std::min(minimum(c, metrics), wanted(c, metrics, c.characters));
    return total;
}

bool ReportLayout::wantsLandscape(const QList<ReportColumn> &columns,
                                  const ReportMetrics &metrics,
                                  qreal portraitWidth)
{
    qreal total = characters(metrics, ColumnGap)
                  * qreal(std::max<qsizetype>(0, columns.size() - 1));
    for (const ReportColumn &c : columns)
        total += wanted(c, metrics, ComfortableCharacters);
    return total > portraitWidth;
}

std::vector<ReportColumnPlace> ReportLayout::place(const QList<ReportColumn> &columns,
                                                   const ReportMetrics &metrics,
                                                   qreal pageWidth)
{
    const qsizetype n = columns.size();
    const auto count = static_cast<std::size_t>(n);
    std::vector<ReportColumnPlace> places(count);
    if (n == 0)
        return places;
    const qreal gap = characters(metrics, ColumnGap);
    const qreal available = std::max<qreal>(1, pageWidth - gap * qreal(n - 1));
    std::vector<qreal> want(count), least(count);
    qreal wantSum = 0, leastSum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const ReportColumn &c = columns.at(i);
        const std::size_t k = std::size_t(i);
        want[k] = wanted(c, metrics, c.characters);
        least[k] = std::min(want[k], minimum(c, metrics));
        wantSum += want[k];
        leastSum += least[k];
    }
    // Short values (numbers, dates, keywords) keep their width as long as the long texts can
    // still have their minimum; only then do they wrap too.
    qreal shortKept = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const std::size_t k = std::size_t(i);
        shortKept += columns.at(i).characters <= 20 ? want[k] : least[k];
    }
    if (shortKept <= available) {
        for (qsizetype i = 0; i < n; ++i) {
            if (columns.at(i).characters <= 20)
                least[std::size_t(i)] = want[std::size_t(i)];
        }
        leastSum = shortKept;
    }
    std::vector<qreal> widths(count);
    if (wantSum <= available) {
        // Room to spare: the wrapping columns take it, so their long values need fewer lines.
        qreal wrapping = 0;
        for (qsizetype i = 0; i < n; ++i)
            wrapping += columns.at(i).characters > ComfortableCharacters ? want[std::size_t(i)] : 0;
        const qreal spare = available - wantSum;
        for (qsizetype i = 0; i < n; ++i) {
            const std::size_t k = std::size_t(i);
            const bool grows = wrapping > 0 && columns.at(i).characters > ComfortableCharacters;
            widths[k] = want[k] + (grows ? spare * want[k] / wrapping : 0);
        }
    } else if (leastSum <= available) {
        const qreal spare = available - leastSum;
        const qreal deficit = wantSum - leastSum;
        for (std::size_t k = 0; k < widths.size(); ++k)
            widths[k] = least[k] + (deficit > 0 ? spare * (want[k] - least[k]) / deficit : 0);
    } else {
        // More columns than the paper holds: everything shrinks alike and wraps.
        for (std::size_t k = 0; k < widths.size(); ++k)
            widths[k] = least[k] * available / leastSum;
    }
    qreal x = 0;
    for (std::size_t k = 0; k < widths.size(); ++k) {
        places[k] = {x, widths[k]};
        x += widths[k] + gap;
    }
    return places;
}

QStringList ReportLayout::wrap(const QString &text,
                               qreal width,
                               ReportStyle style,
                               const ReportMetrics &metrics)
{
    QStringList lines;
    const auto fits = [&](const QString &s) { return metrics.width(style, s) <= width; };
    // The longest head of `s` that fits, at least one character, ending after a natural
    // break in an address when there is one in its second half.
    const auto head = [&](const QString &s) {
        qsizetype lo = 1, hi = s.size();
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (fits(s.left(mid)))
                lo = mid;
            else
                hi = mid - 1;
        }
        for (qsizetype i = lo - 1; i > lo / 2; --i) {
            if (u"/.-?&="_s.contains(s.at(i)))
                return i + 1;
        }
        return lo;
    };
    QString normalised = text;
    normalised.replace(u"\r\n"_s, u"\n"_s);
    normalised.replace(u'\r', u'\n');
    normalised.replace(u'\t', u' ');
    const QStringList paragraphs = normalised.split(u'\n');
    for (const QString &paragraph : paragraphs) {
        QString line;
        const QStringList words = paragraph.split(u' ', Qt::SkipEmptyParts);
        for (const QString &word : words) {
            const QString candidate = line.isEmpty() ? word : line + u' ' + word;
            if (fits(candidate)) {
                line = candidate;
                continue;
            }
            if (!line.isEmpty())
                lines << line;
            line = word;
            while (line.size() > 1 && !fits(line)) {
                const qsizetype cut = head(line);
                lines << line.left(cut);
                line = line.mid(cut);
            }
        }
        if (!line.isEmpty() || paragraphs.size() > 1)
            lines << line;
    }
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace pk
