#include "import/htmllinkpass.h"

#include "browse/forms/keywordguess.h"
#include "import/importinsert.h"
#include "store/fieldtext.h"
#include "store/records.h"

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kLocationWidth = 255;
constexpr int kDescriptionWidth = 255;
constexpr int kSiteInfoWidth = 2048;
constexpr qsizetype kWorkBuffer = 1096;

QString leftTrimmed(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    return s.sliced(i).toString();
}

/// Drops leading `c`, then cuts before the next `c`.
QStringView trimAt(QStringView s, QChar c)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == c)
        ++i;
    s = s.sliced(i);
    if (const qsizetype next = s.indexOf(c); next >= 0)
        s = s.left(next);
    return s;
}

QString trimAddress(QStringView s)
{
    s = s.left(kWorkBuffer);
    s = trimAt(s, u'"');
    s = trimAt(s, u'>');
    s = trimAt(s, u'<');
    return s.toString();
}

bool isEndOfTable(const QString &token)
{
    if (!token.startsWith(u"</table>", Qt::CaseInsensitive))
        return false;
    return token.size() == 8 || token[8] == u' ';
}

bool isPositiveNumber(QStringView s)
{
    if (s.isEmpty())
        return false;
    bool nonZero = false;
    for (const QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
        nonZero = nonZero || c != u'0';
    }
    return nonZero;
}

} // namespace

HtmlLinkPass::HtmlLinkPass(std::vector<QString> tokens, ImportInsert &insert, QString sourceFile)
    : m_tokens(std::move(tokens))
    , m_insert(insert)
    , m_source(std::move(sourceFile))
{}

QString HtmlLinkPass::extractAddress(QStringView tag)
{
    for (const QStringView marker :
         {QStringView(u"http:"), QStringView(u"ftp:"), QStringView(u"mailto:")}) {
        if (const qsizetype at = tag.indexOf(marker, 0, Qt::CaseInsensitive); at >= 0)
            return trimAddress(tag.sliced(at));
    }
    for (const QStringView marker : {QStringView(u"href"), QStringView(u"action")}) {
        const qsizetype at = tag.indexOf(marker, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        QStringView rest = tag.sliced(at);
        qsizetype lead = 0;
        while (lead < rest.size() && rest[lead] == u'=')
            ++lead;
        rest = rest.sliced(lead);
        if (const qsizetype eq = rest.indexOf(u'='); eq >= 0)
            rest = rest.sliced(eq + 1);
        return trimAddress(rest);
    }
    return {};
}

QString HtmlLinkPass::withoutNumbering(const QString &description)
{
    const qsizetype dot = description.indexOf(u". ");
    if (dot == 0)
        return leftTrimmed(QStringView(description).sliced(1));
    if (dot >= 1 && dot <= 4
        && (isPositiveNumber(QStringView(description).left(dot)) || description.startsWith(u"##")))
        return leftTrimmed(QStringView(description).sliced(dot + 2));
    return description;
}

QString HtmlLinkPass::guessCategory(const QString &description)
{
    const QString keyword = KeywordGuess::fromDescription(description);
    if (keyword.isEmpty())
        return u"New -"_s;
    return u"New - "_s + keyword.left(keyword.front().isHighSurrogate() ? 2 : 1).toUpper();
}

QString HtmlLinkPass::remainingText() const
{
    return QString::number(total() - examined()) + u" items remaining."_s;
}

bool HtmlLinkPass::step(int budget)
{
    while (budget-- > 0 && m_index < total()) {
        const QString &token = m_tokens[std::size_t(m_index)];
        ++m_index;
        if (!token.startsWith(u'<'))
            continue;
        const QString address = extractAddress(token);
        if (!address.trimmed().isEmpty())
            addLocation(address);
    }
    return !done();
}

void HtmlLinkPass::addLocation(const QString &address)
{
    LocationRecord record;
    record.Location = fitToField(leftTrimmed(address), kLocationWidth);
    int budget = SiteInfoTokens;
    while (m_index < total()) {
        const QString &token = m_tokens[std::size_t(m_index)];
        if (token.startsWith(u'<')) {
            if (isEndOfTable(token)) {
                ++m_index;
                break;
            }
            if (!extractAddress(token).trimmed().isEmpty())
                break; // examined again as the next tag
            ++m_index;
            continue;
        }
        ++m_index;
        if (record.Description.isEmpty()) {
            const QString text = leftTrimmed(token);
            record.Description = withoutNumbering(fitToField(text, kDescriptionWidth));
            record.SiteInfo = fitToField(text, kSiteInfoWidth);
            continue;
        }
        const QString joined = trimTrailingSpaces(record.SiteInfo) + u' ' + leftTrimmed(token);
        record.SiteInfo = fitToField(joined, kSiteInfoWidth);
        if (--budget == 0)
            break;
    }

    const QString derived = m_insert.mode() == CategoryMode::Guess
                                ? guessCategory(record.Description)
                                : m_category;
    m_category = m_insert.assignCategory(derived, record);
    record.Category = m_category;
    record.Keyword = KeywordGuess::fromDescription(record.Description);
    if (record.Location.trimmed().isEmpty() || record.Location.startsWith(u'#'))
        return;
    if (record.Description.isEmpty())
        record.Description = record.Location;
    record.OriginalFilename = m_source;
    m_insert.insert(record);
}

} // namespace pk
