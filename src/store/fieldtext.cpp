#include "store/fieldtext.h"

#include <QTextBoundaryFinder>

namespace pk {

QString trimTrailingSpaces(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end).toString();
}

int characterCount(QStringView text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++n;
    }
    return n;
}

QString truncateToWidth(QStringView text, int width)
{
    if (width <= 0)
        return {};
    if (text.size() <= width) // UTF-16 units >= code points: fits already
        return text.toString();
    // Find the UTF-16 offset after `width` code points.
    qsizetype cut = 0;
    int count = 0;
    while (cut < text.size() && count < width) {
        if (text[cut].isHighSurrogate() && cut + 1 < text.size() && text[cut + 1].isLowSurrogate())
            cut += 2;
        else
            ++cut;
        ++count;
    }
    if (cut >= text.size())
        return text.toString();
    // Do not leave combining marks (or other cluster parts) of the next character behind.
    const QString s = text.toString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
    finder.setPosition(cut);
    if (!finder.isAtBoundary()) {
        const qsizetype previous = finder.toPreviousBoundary();
        cut = previous < 0 ? 0 : previous;
    }
    return s.left(cut);
}

QString fitToField(QStringView text, int width)
{
    // Cutting may leave a space at the end again.
    return trimTrailingSpaces(truncateToWidth(trimTrailingSpaces(text), width));
}

} // namespace pk
