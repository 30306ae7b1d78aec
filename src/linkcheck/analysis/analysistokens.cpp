#include "linkcheck/analysis/analysistokens.h"

#include "linkcheck/analysis/locationanalysis.h"

namespace pk {

namespace {

bool startsWith(const QString &token, QLatin1String head)
{
    return token.startsWith(head, Qt::CaseInsensitive);
}

} // namespace

void AnalysisTokens::clear()
{
    *this = AnalysisTokens();
}

void AnalysisTokens::take(std::vector<QString> &cut)
{
    for (QString &token : cut)
        keep(token);
    cut.clear();
}

void AnalysisTokens::keep(QString &token)
{
    if (m_afterTitle) {
        // Whatever follows a title tag is read as the title, even another tag.
        m_afterTitle = false;
        m_tokens.push_back(std::move(token));
        return;
    }
    if (startsWith(token, QLatin1String("<TITL"))) {
        if (m_titles < MaxTitles) {
            ++m_titles;
            m_afterTitle = true;
            m_tokens.push_back(std::move(token));
        }
        return;
    }
    if (startsWith(token, QLatin1String("<META"))) {
        if (m_metaTags >= MaxMetaTags) {
            ++m_metaLeftOut;
            return;
        }
        ++m_metaTags;
        m_tokens.push_back(std::move(token));
        return;
    }
    if (startsWith(token, QLatin1String("<A HR"))) {
        if (m_haveMailAddress || m_mailtoLinks >= MaxMailtoLinks
            || !token.contains(QLatin1String("MAILTO:"), Qt::CaseInsensitive))
            return;
        ++m_mailtoLinks;
        const qsizetype at = token.indexOf(QLatin1String("MAILTO:"), 0, Qt::CaseInsensitive) + 7;
        // The address runs to the next double quote; one that is not blank ends the search.
        const qsizetype end = token.indexOf(QLatin1Char('"'), at);
        m_haveMailAddress = !token.mid(at, end < 0 ? -1 : end - at).trimmed().isEmpty();
        m_tokens.push_back(std::move(token));
        return;
    }
    if (!m_inBody) {
        if (startsWith(token, QLatin1String("<BODY"))) {
            m_inBody = true;
            m_tokens.push_back(std::move(token));
        }
        return;
    }
    if (m_bodyFull || token.startsWith(QLatin1Char('<')))
        return;
    // Each kept text adds its length without leading blanks to the site information, which
    // takes no more than its width.
    qsizetype blanks = 0;
    while (blanks < token.size() && token.at(blanks) == QLatin1Char(' '))
        ++blanks;
    m_bodyText += token.size() - blanks;
    m_bodyFull = m_bodyText > LocationAnalysis::SiteInfoWidth;
    m_tokens.push_back(std::move(token));
}

} // namespace pk
