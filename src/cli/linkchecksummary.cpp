#include "cli/linkchecksummary.h"

#include "linkcheck/linktest.h"
#include "linkcheck/responseevaluator.h"

using namespace Qt::StringLiterals;

namespace pk {

void LinkCheckSummary::add(int result, const ResponseOutcome *outcome)
{
    if (result == LinkTest::Cancelled) {
        ++m_cancelled;
        return;
    }
    if (result != LinkTest::Evaluated || !outcome || outcome->Validated != 1) {
        ++m_failed;
        return;
    }
    ++m_passed;
    if (outcome->statusCode >= 300 && outcome->statusCode < 400 && !outcome->MovedTo.isEmpty())
        ++m_moved;
}

qint64 LinkCheckSummary::skipped() const
{
    const qint64 tested = m_passed + m_failed;
    return qMax<qint64>(m_cancelled, m_looked - tested);
}

QString LinkCheckSummary::text() const
{
    return u"Passed: "_s + QString::number(m_passed) + u", failed: "_s + QString::number(m_failed)
           + u", moved: "_s + QString::number(m_moved) + u", skipped: "_s
           + QString::number(skipped()) + u'.';
}

} // namespace pk
