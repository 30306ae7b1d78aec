#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace pk {

class ImportInsert;

/**
 * @brief The link-gathering pass of the HTML import: every tag of the token list that carries an
 * address becomes a location, described by the text that follows it.
 *
 * Character references in addresses and text are read; a "#" address or an empty HREF adds
 * nothing and is counted as passed over. The first text after the tag is the description (without a numbering prefix such as "3. ")
 * and starts the site information; up to ten more text tokens are added to the site
 * information. A "</table>" or the next address-bearing tag ends the description. Under
 * "Guess" the categories are "New - " and the first letter of the description's keyword.
 *
 * For a page fetched from the web (setPageAddress) addresses are read as a browser reads them:
 * a relative one ("/a", "b.html", "?q", "//host/x") against the page's address, or against
 * the page's first "<base href>" (itself read against the page's address, and no link of its
 * own); "javascript:" and "mailto:" links open no page and are counted as passed over.
 */
class HtmlLinkPass final
{
public:
    static constexpr int TokensPerStep = 500;
    static constexpr int SiteInfoTokens = 10;

    HtmlLinkPass(std::vector<QString> tokens, ImportInsert &insert, QString sourceFile);

    /// The address the page was fetched from; relative links are read against it.
    void setPageAddress(const QString &address);
    /// `reference` read against `base` as a browser reads a link of a page at `base`; the
    /// reference itself when it is absolute; blank when it cannot be read.
    static QString resolved(const QString &base, const QString &reference);

    /// Examines up to `budget` tokens; false once every token was examined.
    bool step(int budget = TokensPerStep);
    bool done() const { return m_index >= total(); }
    qsizetype total() const { return qsizetype(m_tokens.size()); }
    qsizetype examined() const { return std::min(m_index, total()); }
    /// "<n> items remaining."
    QString remainingText() const;

    /// The address a tag carries: its HREF attribute, else its ACTION, else the first attribute
    /// whose value is an absolute address (http, https, ftp, mailto), character references read.
    /// Nothing when the tag carries none; blank for an empty HREF.
    static std::optional<QString> addressOf(QStringView tag);
    /// The same, blank when none.
    static QString extractAddress(QStringView tag);
    /// `description` without a leading numbering ("3. ", "2005. ", "## 1. ", ". ").
    static QString withoutNumbering(const QString &description);
    /// The category "Guess" gives a description: "New - " and its keyword's first letter.
    static QString guessCategory(const QString &description);

private:
    void addLocation(const QString &address);
    /// Takes the page's first "<base href>"; true when `tag` is a "<base>" tag.
    bool takeBase(QStringView tag);

    std::vector<QString> m_tokens;
    ImportInsert &m_insert;
    QString m_source;
    QString m_category; ///< the pass's current category
    QString m_page;     ///< the page's address, blank for a file
    QString m_base;     ///< what relative links are read against
    bool m_baseTaken = false;
    qsizetype m_index = 0;
};

} // namespace pk
