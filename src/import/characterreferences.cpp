#include "import/characterreferences.h"

#include "import/htmlentities.h"

#include <algorithm>
#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// What a browser reads for the numbers 0x80 to 0x9F: the Windows-1252 characters there (0 where
// the number keeps its own meaning).
constexpr std::array<char16_t, 32> kC1 = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020,
                                          0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,
                                          0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D,
                                          0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
                                          0x0153, 0,      0x017E, 0x0178};

bool isAsciiAlnum(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool isDigit(QChar c, bool hex)
{
    if (c >= u'0' && c <= u'9')
        return true;
    return hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'));
}

const HtmlEntities::Entity *findEntity(const char *name, std::size_t length)
{
    const HtmlEntities::Entity *begin = HtmlEntities::kEntities;
    const HtmlEntities::Entity *end = begin + HtmlEntities::kEntityCount;
    const auto less = [length](const HtmlEntities::Entity &e, const char *key) {
        const std::size_t n = std::strlen(e.name);
        const int c = std::memcmp(e.name, key, std::min(n, length));
        return c < 0 || (c == 0 && n < length);
    };
    const HtmlEntities::Entity *at = std::lower_bound(begin, end, name, less);
    if (at == end || std::strlen(at->name) != length || std::memcmp(at->name, name, length) != 0)
        return nullptr;
    return at;
}

void appendCodePoint(QString &out, char32_t value)
{
    out += QString::fromUcs4(&value, 1);
}

/// A numeric reference at `i` (the "&", followed by "#"): appends its character and returns
/// the index after it, or -1 when no digits follow.
qsizetype numeric(QStringView text, qsizetype i, QString &out)
{
    qsizetype j = i + 2;
    const bool hex = j < text.size() && (text[j] == u'x' || text[j] == u'X');
    if (hex)
        ++j;
    const qsizetype start = j;
    char32_t value = 0;
    bool tooLarge = false;
    while (j < text.size() && isDigit(text[j], hex)) {
        const char16_t c = text[j].unicode();
        const int digit = c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10;
        if (!tooLarge) {
            value = value * (hex ? 16 : 10) + char32_t(digit);
            tooLarge = value > 0x10FFFF;
        }
        ++j;
    }
    if (j == start)
        return -1;
    if (j < text.size() && text[j] == u';')
        ++j;
    if (tooLarge || value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        value = kReplacement;
    else if (value >= 0x80 && value <= 0x9F && kC1[value - 0x80] != 0)
        value = kC1[value - 0x80];
    appendCodePoint(out, value);
    return j;
}

/// A named reference at `i` (the "&"): appends its characters and returns the index after it,
/// or -1 when none starts there.
qsizetype named(QStringView text, qsizetype i, CharacterReferences::Context context, QString &out)
{
    char name[HtmlEntities::LongestName + 1];
    qsizetype length = 0;
    qsizetype j = i + 1;
    while (j < text.size() && isAsciiAlnum(text[j]) && length <= HtmlEntities::LongestName)
        name[length++] = char(text[j++].unicode());
    if (length == 0)
        return -1;
    // The whole name with its semicolon.
    if (length <= HtmlEntities::LongestName && j < text.size() && text[j] == u';') {
        if (const HtmlEntities::Entity *e = findEntity(name, std::size_t(length))) {
            appendCodePoint(out, e->first);
            if (e->second != 0)
                appendCodePoint(out, e->second);
            return j + 1;
        }
    }
    // The longest legacy name at the start, without a semicolon.
    for (qsizetype n = std::min<qsizetype>(length, HtmlEntities::LongestLegacyName); n > 0; --n) {
        const HtmlEntities::Entity *e = findEntity(name, std::size_t(n));
        if (!e || !e->legacy)
            continue;
        const qsizetype after = i + 1 + n;
        if (context == CharacterReferences::Context::Attribute && after < text.size()
            && (text[after] == u'=' || isAsciiAlnum(text[after])))
            return -1;
        appendCodePoint(out, e->first);
        if (e->second != 0)
            appendCodePoint(out, e->second);
        return after;
    }
    return -1;
}

} // namespace

QString CharacterReferences::decode(QStringView text, Context context)
{
    qsizetype i = text.indexOf(u'&');
    if (i < 0)
        return text.toString();
    QString out;
    out.reserve(text.size());
    out += text.left(i);
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'&' && i + 1 < text.size()) {
            const qsizetype next = text[i + 1] == u'#' ? numeric(text, i, out)
                                                       : named(text, i, context, out);
            if (next > 0) {
                i = next;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

} // namespace pk
