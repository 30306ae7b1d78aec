#include "browse/forms/keywordguess.h"

#include <QStringList>

#include <array>
#include <vector>

namespace pk {

namespace {

constexpr std::array kStopWords
    = {"HOW", "WHERE", "WHEN", "WHAT", "WHICH", "FTP", "HTTP", "THE", "AND", "IF", "A"};

bool isLetter(char32_t c)
{
    return QChar::toUpper(c) != QChar::toLower(c);
}

qsizetype codePoints(const QString &s)
{
    qsizetype n = s.size();
    for (const QChar c : s)
        if (c.isLowSurrogate())
            --n;
    return n;
}

struct Word
{
    QString upper;      ///< upper-cased, cut to MaxWordLength characters
    qsizetype points{}; ///< its length in code points
};

/// Words of the description, upper-cased and cut to MaxWordLength characters.
std::vector<Word> words(const QString &description)
{
    std::vector<Word> out;
    QString current;
    int length = 0;
    const auto flush = [&] {
        if (!current.isEmpty()) {
            QString upper = current.toUpper();
            const qsizetype points = codePoints(upper);
            out.push_back({std::move(upper), points});
        }
        current.clear();
        length = 0;
    };
    for (const char32_t c : description.toUcs4()) {
        if (!isLetter(c)) {
            flush();
            continue;
        }
        if (length < KeywordGuess::MaxWordLength) {
            if (QChar::requiresSurrogates(c)) {
                current.append(QChar(QChar::highSurrogate(c)));
                current.append(QChar(QChar::lowSurrogate(c)));
            } else {
                current.append(QChar(char16_t(c)));
            }
        }
        ++length;
    }
    flush();
    return out;
}

QString capitalised(const QString &upperWord)
{
    const QString lower = upperWord.toLower();
    const QList<uint> ucs = lower.toUcs4();
    if (ucs.isEmpty())
        return {};
    const char32_t first = QChar::toUpper(char32_t(ucs.first()));
    return QString::fromUcs4(&first, 1)
           + QString::fromUcs4(reinterpret_cast<const char32_t *>(ucs.constData()) + 1,
                               ucs.size() - 1);
}

} // namespace

bool KeywordGuess::isStopWord(const QString &upperWord)
{
    for (const char *stop : kStopWords) {
        if (upperWord == QLatin1String(stop))
            return true;
    }
    return false;
}

QString KeywordGuess::fromDescription(const QString &description)
{
    const std::vector<Word> list = words(description);
    if (list.empty())
        return {};
    const Word *best = nullptr;     // longest non-stop word
    const Word *shortest = nullptr; // shortest word of all
    for (const Word &word : list) {
        const qsizetype n = word.points;
        if (!isStopWord(word.upper)) {
            const qsizetype b = best ? best->points : -1;
            if (n > b || (n == b && word.upper < best->upper))
                best = &word;
        }
        const qsizetype s = shortest ? shortest->points : -1;
        if (!shortest || n < s || (n == s && word.upper < shortest->upper))
            shortest = &word;
    }
    return capitalised(best ? best->upper : shortest->upper);
}

QString KeywordGuess::fromLocation(const QString &location)
{
    const qsizetype scheme = location.indexOf(QLatin1String("://"));
    if (scheme >= 0)
        return location.left(scheme).trimmed();
    if (location.contains(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return QStringLiteral("mailto:");
    return QStringLiteral("?");
}

} // namespace pk
