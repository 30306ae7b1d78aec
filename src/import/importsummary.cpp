#include "import/importsummary.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

int total(const auto &counts)
{
    int n = 0;
    for (const int c : counts)
        n += c;
    return n;
}

/// "(category rule 1, too long 2)": the reasons that occurred, in a fixed order.
QString reasons(const QStringList &names, const auto &counts)
{
    QStringList parts;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int n = counts[std::size_t(i)];
        if (n > 0)
            parts << names[i] + u' ' + QString::number(n);
    }
    return u" ("_s + parts.join(u", "_s) + u')';
}

} // namespace

int ImportCounts::refusedTotal() const
{
    return total(refused);
}

int ImportCounts::skippedTotal() const
{
    return total(skipped);
}

QString ImportSummary::text(const QString &firstLine, const ImportCounts &counts)
{
    static const QStringList refusalNames{u"category not in Categories"_s,
                                          u"not an address"_s,
                                          u"address too long"_s,
                                          u"bad date"_s};
    static const QStringList skipNames{u"relative address"_s,
                                       u"anchor"_s,
                                       u"empty address"_s,
                                       u"script or mail link"_s};
    static_assert(int(ImportCounts::Refusal::Count) == 4 && int(ImportCounts::Skip::Count) == 4);

    QStringList lines{firstLine,
                      u"Added: "_s + QString::number(counts.added),
                      u"Already stored (left as they were): "_s
                          + QString::number(counts.duplicates)};
    if (const int refused = counts.refusedTotal(); refused > 0)
        lines << u"Refused: "_s + QString::number(refused) + reasons(refusalNames, counts.refused);
    if (const int skipped = counts.skippedTotal(); skipped > 0)
        lines << u"Skipped: "_s + QString::number(skipped) + reasons(skipNames, counts.skipped);
    if (counts.failed > 0)
        lines << u"Not written (the store failed): "_s + QString::number(counts.failed);
    if (counts.cancelled)
        lines << u"The import was cancelled before the end of its source; what it added "
                 u"stays."_s;
    return lines.join(u'\n');
}

QString ImportSummary::title(const ImportCounts &counts)
{
    return counts.cancelled ? u"Import Cancelled"_s : u"Complete"_s;
}

UserInterface::Icon ImportSummary::icon(const ImportCounts &counts)
{
    return counts.refusedTotal() > 0 || counts.failed > 0 ? UserInterface::Icon::Warning
                                                          : UserInterface::Icon::Information;
}

void ImportSummary::show(UserInterface &ui, const QString &firstLine, const ImportCounts &counts)
{
    ui.message(title(counts), text(firstLine, counts), icon(counts));
}

} // namespace pk
