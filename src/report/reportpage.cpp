#include "report/reportpage.h"

#include <QStringList>

#include <algorithm>

namespace pk {

QString ReportPage::plainText() const
{
    std::vector<const ReportItem *> sorted;
    sorted.reserve(items.size());
    for (const ReportItem &i : items)
        sorted.push_back(&i);
    std::stable_sort(sorted.begin(), sorted.end(), [](const ReportItem *a, const ReportItem *b) {
        return a->rect.top() < b->rect.top()
               || (a->rect.top() == b->rect.top() && a->rect.left() < b->rect.left());
    });
    QStringList lines;
    for (const ReportItem *i : sorted)
        lines << i->text;
    return lines.join(QLatin1Char('\n'));
}

} // namespace pk
