#include "linkcheck/analysis/locationanalysis.h"

#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationrows.h"
#include "store/picture.h"

#include <QLocale>

namespace pk {

namespace {

QString trimmedRight(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QString trimmedLeft(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    return text.mid(start);
}

bool isBlank(const QString &text)
{
    return trimmedRight(text).isEmpty();
}

/// The text after `marker` (found without regard to case) up to the next double quote.
QString quotedAfter(const QString &text, QLatin1String marker)
{
    const qsizetype at = text.indexOf(marker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const qsizetype start = at + marker.size();
    const qsizetype end = text.indexOf(QLatin1Char('"'), start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

} // namespace

LocationAnalysis::LocationAnalysis(Collection &collection, Fetch fetch, qint32 today)
    : m_collection(collection)
    , m_fetch(std::move(fetch))
    , m_today(today)
{}

int LocationAnalysis::analyze(LocationRecord &record, StoreStatus &status)
{
    status = {};
    m_tokens.clear();
    const int result = m_fetch ? m_fetch(trimmedRight(record.Location), m_tokens) : 0;
    // A cancelled analysis says nothing about the page.
    if (result == -1)
        return result;
    if (result <= 3) {
        record.LastValidated = m_today;
        record.LastVisit = m_today;
        record.Validated = 2;
        return result;
    }
    const bool siteInfoWasBlank = isBlank(record.SiteInfo);
    status = evaluate(m_tokens, result, record);
    if (siteInfoWasBlank) {
        QString siteInfo = trimmedRight(record.SiteInfo);
        appendBodyText(m_tokens, siteInfo);
        record.SiteInfo = siteInfo;
    }
    return result;
}

void LocationAnalysis::appendBodyText(const std::vector<QString> &tokens, QString &siteInfo)
{
    static const QString crlf = QStringLiteral("\r\n");
    bool inBody = false;
    for (const QString &token : tokens) {
        if (!inBody) {
            if (!token.startsWith(QLatin1String("<BODY"), Qt::CaseInsensitive))
                continue;
            inBody = true;
            if (!isBlank(siteInfo))
                siteInfo = trimmedRight(siteInfo) + crlf;
            continue;
        }
        if (token.startsWith(QLatin1Char('<')))
            continue;
        const QString text = trimmedLeft(token);
        if (text.isEmpty())
            continue;
        if (!siteInfo.isEmpty() && !siteInfo.endsWith(crlf)) {
            if (siteInfo.size() <= 50 || text.size() > 24)
                siteInfo += QLatin1Char(' ');
            else
                siteInfo += crlf;
        }
        siteInfo += text;
        if (siteInfo.size() > SiteInfoStop)
            break;
    }
    if (siteInfo.size() > SiteInfoWidth)
        siteInfo.truncate(SiteInfoWidth);
}

qint32 LocationAnalysis::expiresDay(const QString &content)
{
    // Characters 6 to 16: the "dd mmm yyyy" part of an HTTP date.
    const QString text = content.mid(5, 11).trimmed();
    const QDate date = QLocale::c().toDate(text, QStringLiteral("d MMM yyyy"));
    return date.isValid() ? DayNumber::fromDate(date) : 0;
}

QStringList LocationAnalysis::splitKeywords(const QString &content)
{
    QStringList keywords;
    for (const QString &piece : content.split(QLatin1Char(','))) {
        const QString keyword = trimmedRight(trimmedLeft(piece).left(32));
        if (keyword.isEmpty() || keywords.contains(keyword))
            continue;
        keywords.append(keyword);
    }
    return keywords;
}

StoreStatus LocationAnalysis::evaluate(const std::vector<QString> &tokens,
                                       qint64 totalBytes,
                                       LocationRecord &record)
{
    record.PageSize = qint32(std::min<qint64>(totalBytes, std::numeric_limits<qint32>::max()));
    record.LastValidated = m_today;
    record.LastVisit = m_today;
    record.Validated = 1;
    if (m_rows)
        return evaluateTokens(tokens, record, !m_rows->details().empty());
    const QString location = trimmedRight(record.Location);
    return m_collection.transaction([&]() -> StoreStatus {
        std::vector<DetailRecord> details;
        const StoreStatus status = m_collection.details().list(location, details);
        if (!status)
            return status;
        return evaluateTokens(tokens, record, !details.empty());
    });
}

StoreStatus LocationAnalysis::evaluateTokens(const std::vector<QString> &tokens,
                                             LocationRecord &record,
                                             bool hadDetails)
{
    m_keywordsCleared = false;
    QStringList addedKeywords;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens[i];
        const QString head = token.left(5).toUpper();
        if (head == QLatin1String("<A HR")) {
            if (token.contains(QLatin1String("MAILTO:"), Qt::CaseInsensitive)
                && isBlank(record.EmailAddress))
                record.EmailAddress = quotedAfter(token, QLatin1String("MAILTO:")).left(60);
        } else if (head == QLatin1String("<TITL")) {
            if (i + 1 < tokens.size()) {
                // A one-character title is joined to the closing tag, and an empty one
                // leaves just the tag: neither tag belongs in the description.
                const QString &titleToken = tokens[++i];
                const QString title = titleToken.left(titleToken.indexOf(QLatin1Char('<')));
                if (isBlank(record.Description) && !isBlank(title))
                    record.Description = trimmedRight(title.left(255));
            }
        } else if (head == QLatin1String("<META")) {
            const StoreStatus status = evaluateMeta(token, record, hadDetails, addedKeywords);
            if (!status)
                return status;
        }
    }
    return {};
}

StoreStatus LocationAnalysis::removeKeywords(const QString &location)
{
    if (m_rows) {
        m_rows->removeAllKeywords();
        return {};
    }
    return m_collection.keywords().removeAll(location, nullptr);
}

StoreStatus LocationAnalysis::addKeyword(const QString &location, const QString &keyword)
{
    if (m_rows) {
        m_rows->addKeyword(keyword);
        return {};
    }
    KeywordRecord row;
    row.Location = location;
    row.Keyword = keyword;
    return m_collection.keywords().insert(row);
}

StoreStatus LocationAnalysis::addDetail(const QString &location,
                                        const QString &label,
                                        const QString &value)
{
    if (m_rows) {
        m_rows->addDetail(label, value);
        return {};
    }
    DetailRecord row;
    row.Location = location;
    row.DataLabel = label;
    row.DataValue = value;
    return m_collection.details().insert(row);
}

StoreStatus LocationAnalysis::evaluateMeta(const QString &token,
                                           LocationRecord &record,
                                           bool hadDetails,
                                           QStringList &addedKeywords)
{
    const QString upper = token.toUpper();
    QString name = upper.contains(QLatin1String("NAME=\""))
                       ? quotedAfter(upper, QLatin1String("NAME=\""))
                       : quotedAfter(upper, QLatin1String("HTTP-EQUIV=\""));
    const QString content = quotedAfter(token, QLatin1String("CONTENT=\""));
    name = trimmedRight(name);
    if (name.trimmed().isEmpty() || isBlank(content))
        return {};
    const QString location = trimmedRight(record.Location);

    if (name == QLatin1String("REV")) {
        if (isBlank(record.EmailAddress))
            record.EmailAddress = trimmedRight(content.left(60));
    } else if (name == QLatin1String("REFRESH")) {
        // An address is stored whole or not at all: one too long to store is left out, and so
        // is a refresh to anything but a web page (a file, a script).
        if (trimmedRight(content).size() <= 2048 && refreshesToWebPage(content))
            record.MovedTo = trimmedRight(content);
    } else if (name == QLatin1String("EXPIRES")) {
        const qint32 day = expiresDay(content);
        if (day > ValidDayAbove)
            record.Expires = day;
    } else if (name == QLatin1String("DESCRIPTION")) {
        record.SiteInfo = trimmedRight(content.left(SiteInfoWidth));
    } else if (name == QLatin1String("KEYWORDS")) {
        // A second keywords tag adds to the first one's keywords instead of removing them.
        if (addedKeywords.isEmpty() && !m_keywordsCleared) {
            const StoreStatus status = removeKeywords(location);
            if (!status)
                return status;
            m_keywordsCleared = true;
        }
        for (const QString &keyword : splitKeywords(content)) {
            if (addedKeywords.contains(keyword))
                continue;
            addedKeywords.append(keyword);
            const StoreStatus status = addKeyword(location, keyword);
            if (!status)
                return status;
        }
    } else if (!hadDetails) {
        const QString value = trimmedRight(content.left(90));
        if (!value.isEmpty())
            return addDetail(location, name.left(30), value);
    }
    return {};
}

bool LocationAnalysis::refreshesToWebPage(const QString &content)
{
    // "5; url=https://example.com/": the target follows "url=", after the delay.
    const qsizetype at = content.indexOf(QLatin1String("url="), 0, Qt::CaseInsensitive);
    if (at < 0)
        return true; // a delay alone reloads the page itself
    QString target = content.mid(at + 4).trimmed();
    if (target.startsWith(QLatin1Char('\'')) || target.startsWith(QLatin1Char('"')))
        target = target.mid(1);
    const qsizetype colon = target.indexOf(QLatin1Char(':'));
    const qsizetype slash = target.indexOf(QLatin1Char('/'));
    if (colon < 0 || (slash >= 0 && slash < colon))
        return true; // relative to the page
    const QString scheme = target.left(colon).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace pk
