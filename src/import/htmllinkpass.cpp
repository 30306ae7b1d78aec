#include "import/htmllinkpass.h"

#include "browse/forms/keywordguess.h"
#include "import/characterreferences.h"
#include "import/htmltag.h"
#include "import/importinsert.h"
#include "store/fieldtext.h"
#include "store/records.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr int kDescriptionWidth = 255;
constexpr int kSiteInfoWidth = 2048;

QString leftTrimmed(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    return s.sliced(i).toString();
}

/// The tag of a token: the token itself, or what follows the one character the cutter keeps in
/// front of a tag (" <a href=...>" after "</a> "); empty for text.
QStringView tagOf(const QString &token)
{
    const qsizetype lt = token.indexOf(u'<');
    if (lt < 0 || lt > 1 || !token.endsWith(u'>'))
        return {};
    return QStringView(token).sliced(lt);
}

bool isEndOfTable(QStringView token)
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

void HtmlLinkPass::setPageAddress(const QString &address)
{
    m_page = address.trimmed();
    m_base = m_page;
}

QString HtmlLinkPass::resolved(const QString &base, const QString &reference)
{
    // A browser drops tabs and line breaks anywhere in an address.
    QString ref = reference;
    ref.remove(u'\t');
    ref.remove(u'\n');
    ref.remove(u'\r');
    const QUrl url(ref, QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    if (!url.isRelative())
        return ref;
    const QUrl baseUrl(base, QUrl::TolerantMode);
    if (!baseUrl.isValid() || baseUrl.isRelative())
        return {};
    return baseUrl.resolved(url).toString(QUrl::FullyEncoded);
}

bool HtmlLinkPass::takeBase(QStringView token)
{
    const HtmlTag tag = HtmlTag::parse(token);
    if (tag.closing || !tag.is(u"BASE"))
        return false;
    if (!m_baseTaken && tag.has(u"HREF")) {
        m_baseTaken = true;
        const QString href = CharacterReferences::decodeAttribute(tag.value(u"HREF")).trimmed();
        const QString base = resolved(m_page, href);
        if (!base.isEmpty())
            m_base = base;
    }
    return true;
}

std::optional<QString> HtmlLinkPass::addressOf(QStringView token)
{
    const HtmlTag tag = HtmlTag::parse(token);
    if (tag.name.isEmpty() || tag.closing)
        return std::nullopt;
    for (const QStringView name : {QStringView(u"HREF"), QStringView(u"ACTION")}) {
        if (tag.has(name))
            return CharacterReferences::decodeAttribute(tag.value(name)).trimmed();
    }
    // Any other tag that names an absolute address (an image, a frame) gives it as well.
    for (const auto &[name, written] : tag.attributes) {
        const QString value = CharacterReferences::decodeAttribute(written).trimmed();
        for (const QStringView scheme : {QStringView(u"http:"),
                                         QStringView(u"https:"),
                                         QStringView(u"ftp:"),
                                         QStringView(u"mailto:")}) {
            if (value.startsWith(scheme, Qt::CaseInsensitive))
                return value;
        }
    }
    return std::nullopt;
}

QString HtmlLinkPass::extractAddress(QStringView tag)
{
    return addressOf(tag).value_or(QString());
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
        const QStringView token = tagOf(m_tokens[std::size_t(m_index)]);
        ++m_index;
        if (token.isEmpty() || (!m_page.isEmpty() && takeBase(token)))
            continue;
        const std::optional<QString> address = addressOf(token);
        if (!address)
            continue;
        if (address->isEmpty())
            m_insert.countSkipped(ImportInsert::Skip::Empty);
        else
            addLocation(*address);
    }
    return !done();
}

void HtmlLinkPass::addLocation(const QString &address)
{
    LocationRecord record;
    record.Location = address;
    int budget = SiteInfoTokens;
    while (m_index < total()) {
        const QString &token = m_tokens[std::size_t(m_index)];
        if (const QStringView tag = tagOf(token); !tag.isEmpty()) {
            if (isEndOfTable(tag)) {
                ++m_index;
                break;
            }
            if (addressOf(tag))
                break; // examined again as the next tag
            ++m_index;
            continue;
        }
        ++m_index;
        const QString decoded = CharacterReferences::decode(token);
        if (record.Description.isEmpty()) {
            const QString text = leftTrimmed(decoded);
            record.Description = withoutNumbering(fitToField(text, kDescriptionWidth));
            record.SiteInfo = fitToField(text, kSiteInfoWidth);
            continue;
        }
        const QString joined = trimTrailingSpaces(record.SiteInfo) + u' ' + leftTrimmed(decoded);
        record.SiteInfo = fitToField(joined, kSiteInfoWidth);
        if (--budget == 0)
            break;
    }

    // An anchor within the page is read past (its text is no other link's) and never asked about.
    if (record.Location.startsWith(u'#')) {
        m_insert.countSkipped(ImportInsert::Skip::Anchor);
        return;
    }
    if (!m_page.isEmpty()) {
        for (const QStringView scheme : {QStringView(u"javascript:"), QStringView(u"mailto:")}) {
            if (record.Location.startsWith(scheme, Qt::CaseInsensitive)) {
                m_insert.countSkipped(ImportInsert::Skip::NotAPage);
                return;
            }
        }
        const QString absolute = resolved(m_base, record.Location);
        if (absolute.isEmpty()) {
            m_insert.countSkipped(ImportInsert::Skip::Relative);
            return;
        }
        record.Location = absolute;
    }
    const QString derived = m_insert.mode() == CategoryMode::Guess
                                ? guessCategory(record.Description)
                                : m_category;
    m_category = m_insert.assignCategory(derived, record);
    record.Category = m_category;
    record.Keyword = KeywordGuess::fromDescription(record.Description);
    if (record.Description.isEmpty())
        record.Description = record.Location;
    record.OriginalFilename = m_source;
    m_insert.insert(record);
}

} // namespace pk
