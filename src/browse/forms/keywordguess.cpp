#include "browse/forms/keywordguess.h"

#include <QStringList>

#include <array>

namespace pk {

namespace {

constexpr std::array kStopWords
    = {"HOW", "WHERE", "WHEN", "WHAT", "WHICH", "FTP", "HTTP", "THE", "AND", "IF", "A"};

bool isLetter(char32_t c)
{
    return QChar::toUpper(c) != QChar::toLower(c);
}

/// Words of the description, upper-cased and cut to MaxWordLength characters.
QStringList words(const QString &description)
{
    QStringList out;
    QString current;
    int length = 0;
    const auto flush = [&] {
        if (!current.isEmpty())
            out.append(current.toUpper());
        current.clear();
        length = 0;
    };
    for (const char32_t c : description.toUcs4()) {
        if (!isLetter(c)) {
            flush();
            continue;
        }
        if (length < KeywordGuess::MaxWordLength)
            current.append(QString::fromUcs4(&c, 1));
        ++length;
    }
    flush();
    return out;
}

qsizetype codePoints(const QString &s)
{
    return s.toUcs4().size();
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
    const QStringList list = words(description);
    if (list.isEmpty())
        return {};
    const QString *best = nullptr;     // longest non-stop word
    const QString *shortest = nullptr; // shortest word of all
    for (const QString &word : list) {
        const qsizetype n = codePoints(word);
        if (!isStopWord(word)) {
            const qsizetype b = best ? codePoints(*best) : -1;
            if (n > b || (n == b && word < *best))
                best = &word;
        }
        const qsizetype s = shortest ? codePoints(*shortest) : -1;
        if (!shortest || n < s || (n == s && word < *shortest))
            shortest = &word;
    }
    return capitalised(best ? *best : *shortest);
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
