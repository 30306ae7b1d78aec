#include "store/sqlfunctions.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstring>
#include <string>
#include <string_view>

namespace pk {

namespace {

constexpr int MatchWildcard = 1;
constexpr int MatchIgnoreCase = 16;

bool isAscii(std::string_view s)
{
    for (const char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiLowered(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = asciiLower(c);
    return out;
}

std::string_view textArg(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    if (!p)
        return {};
    return {p, static_cast<size_t>(sqlite3_value_bytes(v))};
}

QString qtext(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

/// Greedy wildcard match with backtracking to the last star; linear in practice.
template<typename Str, typename Eq>
bool globMatch(const Str &text, const Str &pattern, Eq eq)
{
    size_t t = 0, p = 0;
    size_t starP = Str::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || eq(pattern[p], text[t]))) {
            ++p;
            ++t;
        } else if (starP != Str::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

/// Decodes UTF-8 into code points, optionally case-folded one by one (malformed bytes become
/// U+FFFD). Works without building a QString, which matters when scanning a whole table.
void decodeUtf8(std::string_view s, bool fold, std::u32string &out)
{
    out.clear();
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else {
            size_t extra = 0;
            char32_t min = 0;
            if ((b & 0xE0) == 0xC0) {
                extra = 1;
                cp = b & 0x1F;
                min = 0x80;
            } else if ((b & 0xF0) == 0xE0) {
                extra = 2;
                cp = b & 0x0F;
                min = 0x800;
            } else if ((b & 0xF8) == 0xF0) {
                extra = 3;
                cp = b & 0x07;
                min = 0x10000;
            }
            bool ok = extra > 0 && i + extra < n;
            for (size_t k = 1; ok && k <= extra; ++k) {
                if (i + k >= n || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            }
            if (ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                len = extra + 1;
            } else {
                cp = 0xFFFD;
                len = 1;
            }
        }
        out.push_back(fold ? static_cast<char32_t>(QChar::toCaseFolded(static_cast<char32_t>(cp)))
                           : cp);
        i += len;
    }
}

std::u32string codePoints(const QString &s, bool fold)
{
    std::u32string out;
    const QByteArray utf8 = s.toUtf8();
    decodeUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), fold, out);
    return out;
}

/// A pattern prepared once per statement (kept as SQLite auxiliary data).
struct PreparedText
{
    std::string bytes;   // as given
    std::string lowered; // ASCII-lowered bytes, used when both sides are ASCII
    bool ascii = true;
    std::u32string folded; // case-folded code points
    std::u32string exact;  // code points as given
    QString qt;            // as given, for QString searches
};

PreparedText *prepared(sqlite3_context *ctx, int argIndex, sqlite3_value *arg)
{
    auto *cached = static_cast<PreparedText *>(sqlite3_get_auxdata(ctx, argIndex));
    const std::string_view given = textArg(arg);
    if (cached && cached->bytes == given)
        return cached;
    auto *p = new PreparedText;
    p->bytes.assign(given);
    p->lowered = asciiLowered(given);
    p->ascii = isAscii(given);
    p->qt = qtext(given);
    p->folded = codePoints(p->qt, true);
    p->exact = codePoints(p->qt, false);
    sqlite3_set_auxdata(ctx, argIndex, p, [](void *d) { delete static_cast<PreparedText *>(d); });
    // SQLite may drop the auxiliary data at once; fetch again so we never use a freed pointer.
    auto *kept = static_cast<PreparedText *>(sqlite3_get_auxdata(ctx, argIndex));
    if (kept)
        return kept;
    return nullptr;
}

/// Runs `body` with a prepared argument, falling back to a local copy when SQLite keeps none.
template<typename Body>
void withPrepared(sqlite3_context *ctx, int argIndex, sqlite3_value *arg, Body body)
{
    if (PreparedText *p = prepared(ctx, argIndex, arg)) {
        body(*p);
        return;
    }
    PreparedText local;
    const std::string_view given = textArg(arg);
    local.bytes.assign(given);
    local.lowered = asciiLowered(given);
    local.ascii = isAscii(given);
    local.qt = qtext(given);
    local.folded = codePoints(local.qt, true);
    local.exact = codePoints(local.qt, false);
    body(local);
}

bool matchText(std::string_view text, const PreparedText &pattern, bool ignoreCase)
{
    if (pattern.ascii && isAscii(text)) {
        if (ignoreCase) {
            return globMatch(std::string_view(text),
                             std::string_view(pattern.lowered),
                             [](char a, char b) { return a == asciiLower(b); });
        }
        return globMatch(std::string_view(text),
                         std::string_view(pattern.bytes),
                         [](char a, char b) { return a == b; });
    }
    thread_local std::u32string t;
    decodeUtf8(text, ignoreCase, t);
    return globMatch(t, ignoreCase ? pattern.folded : pattern.exact, [](char32_t a, char32_t b) {
        return a == b;
    });
}

void pkMatch(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const int mode = sqlite3_value_int(argv[2]);
    if ((mode & ~MatchIgnoreCase) != MatchWildcard) {
        sqlite3_result_error(ctx, "PK_MATCH: unsupported mode (use 1 or 17)", -1);
        return;
    }
    const bool ignoreCase = (mode & MatchIgnoreCase) != 0;
    const std::string_view text = textArg(argv[0]);
    withPrepared(ctx, 1, argv[1], [&](const PreparedText &pattern) {
        sqlite3_result_int(ctx, matchText(text, pattern, ignoreCase) ? 1 : 0);
    });
}

bool asciiFind(std::string_view hay, std::string_view lowNeedle, bool ignoreCase, bool prefixOnly)
{
    if (lowNeedle.size() > hay.size())
        return false;
    const size_t last = prefixOnly ? 0 : hay.size() - lowNeedle.size();
    for (size_t i = 0; i <= last; ++i) {
        size_t k = 0;
        if (ignoreCase) {
            while (k < lowNeedle.size() && asciiLower(hay[i + k]) == lowNeedle[k])
                ++k;
        } else {
            while (k < lowNeedle.size() && hay[i + k] == lowNeedle[k])
                ++k;
        }
        if (k == lowNeedle.size())
            return true;
    }
    return false;
}

void pkFind(sqlite3_context *ctx, sqlite3_value **argv, bool prefixOnly)
{
    const std::string_view text = textArg(argv[0]);
    const bool ignoreCase = sqlite3_value_int(argv[2]) != 0;
    withPrepared(ctx, 1, argv[1], [&](const PreparedText &needle) {
        bool found;
        if (needle.bytes.empty()) {
            found = true;
        } else if (needle.ascii && isAscii(text)) {
            found = asciiFind(text,
                              ignoreCase ? needle.lowered : needle.bytes,
                              ignoreCase,
                              prefixOnly);
        } else {
            const QString t = qtext(text);
            const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
            found = prefixOnly ? t.startsWith(needle.qt, cs) : t.contains(needle.qt, cs);
        }
        sqlite3_result_int(ctx, found ? 1 : 0);
    });
}

void pkContains(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    pkFind(ctx, argv, false);
}

void pkBegins(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    pkFind(ctx, argv, true);
}

void resultText(sqlite3_context *ctx, const std::string &s)
{
    sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

void pkCase(sqlite3_context *ctx, sqlite3_value **argv, bool upper)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER
        || sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
        sqlite3_result_value(ctx, argv[0]); // numbers have no letter case
        return;
    }
    const std::string_view text = textArg(argv[0]);
    if (isAscii(text)) {
        std::string out(text);
        for (char &c : out) {
            if (upper && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (!upper)
                c = asciiLower(c);
        }
        resultText(ctx, out);
        return;
    }
    const QString t = qtext(text);
    resultText(ctx, (upper ? t.toUpper() : t.toLower()).toStdString());
}

void pkUpper(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    pkCase(ctx, argv, true);
}

void pkLower(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    pkCase(ctx, argv, false);
}

} // namespace

bool wildcardMatch(const QString &text, const QString &pattern, bool ignoreCase)
{
    return globMatch(codePoints(text, ignoreCase),
                     codePoints(pattern, ignoreCase),
                     [](char32_t a, char32_t b) { return a == b; });
}

void registerSqlFunctions(sqlite3 *db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(db, "PK_MATCH", 3, flags, nullptr, pkMatch, nullptr, nullptr);
    sqlite3_create_function(db, "PK_CONTAINS", 3, flags, nullptr, pkContains, nullptr, nullptr);
    sqlite3_create_function(db, "PK_BEGINS", 3, flags, nullptr, pkBegins, nullptr, nullptr);
    sqlite3_create_function(db, "PK_UPPER", 1, flags, nullptr, pkUpper, nullptr, nullptr);
    sqlite3_create_function(db, "PK_LOWER", 1, flags, nullptr, pkLower, nullptr, nullptr);
}

} // namespace pk
