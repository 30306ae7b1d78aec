#pragma once

#include <QString>

#include <vector>

namespace pk {

/**
 * @brief Keeps, of a page's tokens as they are cut, those the location analysis reads.
 *
 * The analysis looks at the title (the token after a title tag), every meta tag, mailto links
 * until one gives an address, and the text after the body tag until the site information is
 * full. Everything else (the bulk of any large page) is let go as it passes, so the memory an
 * analysis holds does not grow with the page. The kept tokens are in page order, and the
 * evaluation reads them as it would read the whole list.
 */
class AnalysisTokens final
{
public:
    /// Meta tags kept; a page with more names no more than these.
    static constexpr int MaxMetaTags = 2000;
    /// Title tags kept (with the token after each); only a blank title lets a later one count.
    static constexpr int MaxTitles = 64;
    /// Mailto links kept while none of them has given an address.
    static constexpr int MaxMailtoLinks = 64;

    /// Looks at each of `cut` in order and keeps what the analysis reads.
    void take(std::vector<QString> &cut);
    void clear();

    const std::vector<QString> &tokens() const { return m_tokens; }
    std::vector<QString> takeTokens() { return std::move(m_tokens); }
    /// Meta tags left out because there were more than MaxMetaTags.
    int metaTagsLeftOut() const { return m_metaLeftOut; }

private:
    void keep(QString &token);

    std::vector<QString> m_tokens;
    qsizetype m_bodyText = 0; ///< characters of text kept after the body tag
    int m_metaTags = 0;
    int m_titles = 0;
    int m_mailtoLinks = 0;
    int m_metaLeftOut = 0;
    bool m_afterTitle = false; ///< the next token is a title's text
    bool m_inBody = false;
    bool m_bodyFull = false;
    bool m_haveMailAddress = false;
};

} // namespace pk
