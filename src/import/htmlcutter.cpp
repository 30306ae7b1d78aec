#include "import/htmlcutter.h"

#include "linkcheck/analysis/tokencutter.h"

namespace pk {

namespace {

qsizetype withoutTrailingBlanks(const QString &s)
{
    qsizetype end = s.size();
    while (end > 0 && s[end - 1] == u' ')
        --end;
    return end;
}

} // namespace

void HtmlCutter::addLine(QStringView line, bool continuation)
{
    if (continuation) {
        m_pending.append(line);
    } else {
        m_pending.truncate(withoutTrailingBlanks(m_pending));
        m_pending.append(u' ');
        m_pending.append(line);
        qsizetype lead = 0;
        while (lead < m_pending.size() && m_pending[lead] == u' ')
            ++lead;
        m_pending.remove(0, lead);
    }
    if (withoutTrailingBlanks(m_pending) >= FlushLength || m_pending.size() > MaxPending) {
        // A tag still open at the end waits for its rest, unless it is longer than any token.
        const qsizetype gt = m_pending.lastIndexOf(u'>');
        const qsizetype lt = m_pending.lastIndexOf(u'<');
        if (lt > gt && lt > 0 && m_pending.size() - lt < TokenCutter::MaxToken) {
            TokenCutter::cut(QStringView(m_pending).left(lt), m_tokens);
            m_pending.remove(0, lt);
        } else {
            TokenCutter::cut(m_pending, m_tokens);
            m_pending.clear();
        }
        return;
    }
    const qsizetype gt = m_pending.lastIndexOf(u'>');
    if (gt >= 0) {
        TokenCutter::cut(QStringView(m_pending).left(gt + 1), m_tokens);
        m_pending.remove(0, gt + 1);
    }
}

void HtmlCutter::finish()
{
    if (!m_pending.isEmpty())
        TokenCutter::cut(m_pending, m_tokens);
    m_pending.clear();
}

} // namespace pk
