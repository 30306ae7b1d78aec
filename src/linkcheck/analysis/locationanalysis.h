#pragma once

#include "store/records.h"
#include "store/storestatus.h"

#include <QString>

#include <functional>
#include <vector>

namespace pk {

class Collection;
class LocationRows;

/**
 * @brief Fills a location's descriptive fields from its page: the operation behind the forms'
 * analyse buttons and each record of "Analyze Links".
 *
 * The page comes from `fetch` (the "Analyze URL" window, or a window-less run in a process or
 * test), which returns the analysis result and leaves the page's tokens. The record buffer is
 * changed but not written; keyword and detail rows of the location are written here, or, when
 * a form holds them (setRows()), changed in the form's rows and written when the form is saved.
 */
class LocationAnalysis final
{
public:
    using Fetch = std::function<int(const QString &url, std::vector<QString> &tokens)>;

    static constexpr qsizetype SiteInfoStop = 2008;
    static constexpr qsizetype SiteInfoWidth = 2048;
    static constexpr int ValidDayAbove = 70000;

    LocationAnalysis(Collection &collection, Fetch fetch, qint32 today);

    /// Keyword and detail rows go to `rows` instead of the collection (null: the collection).
    void setRows(LocationRows *rows) { m_rows = rows; }

    /// Analyses `record`; returns the fetch's result. A result of 3 or less marks the record
    /// failed and changes nothing else; a cancelled one (-1) changes nothing. Store failures of the keyword and detail rows are
    /// returned in `status`.
    int analyze(LocationRecord &record, StoreStatus &status);

    /// Evaluates `tokens` into `record` and its keyword and detail rows.
    StoreStatus evaluate(const std::vector<QString> &tokens,
                         qint64 totalBytes,
                         LocationRecord &record);

    /// Appends the page's visible text after its body tag to the site information.
    static void appendBodyText(const std::vector<QString> &tokens, QString &siteInfo);

    /// The date of an expires meta content ("Wed, 21 Oct 2026 07:28:00 GMT"), 0 when unreadable.
    static qint32 expiresDay(const QString &content);

    /// The keywords of a keywords meta content, in order, without blanks or repeats.
    static QStringList splitKeywords(const QString &content);

    /// A refresh meta content leads to a web page (or reloads this one): its target, when it
    /// names one, is relative or an http/https address.
    static bool refreshesToWebPage(const QString &content);

    const std::vector<QString> &tokens() const { return m_tokens; }

private:
    StoreStatus evaluateTokens(const std::vector<QString> &tokens,
                               LocationRecord &record,
                               bool hadDetails);
    StoreStatus evaluateMeta(const QString &token,
                             LocationRecord &record,
                             bool hadDetails,
                             QStringList &addedKeywords);
    StoreStatus removeKeywords(const QString &location);
    StoreStatus addKeyword(const QString &location, const QString &keyword);
    StoreStatus addDetail(const QString &location, const QString &label, const QString &value);

    Collection &m_collection;
    Fetch m_fetch;
    qint32 m_today;
    std::vector<QString> m_tokens;
    bool m_keywordsCleared = false;
    LocationRows *m_rows = nullptr;
};

} // namespace pk
