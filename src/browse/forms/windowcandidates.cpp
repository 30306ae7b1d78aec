#include "browse/forms/windowcandidates.h"

#include <array>

namespace pk {

namespace {

constexpr std::array kMarkers = {"http", "ftp", "www"};

qsizetype firstMarker(const QString &text)
{
    qsizetype best = -1;
    for (const char *marker : kMarkers) {
        const qsizetype at = text.indexOf(QLatin1String(marker));
        if (at >= 0 && (best < 0 || at < best))
            best = at;
    }
    return best;
}

bool isDelimiter(QChar c)
{
    return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char('<') || c == QLatin1Char('>');
}

} // namespace

bool WindowCandidates::mentionsAddress(const QString &text)
{
    return firstMarker(text) >= 0;
}

QString WindowCandidates::addressIn(const QString &text)
{
    const QString trimmed = text.trimmed().left(MaxText);
    const qsizetype at = firstMarker(trimmed);
    if (at < 0)
        return {};
    qsizetype begin = at;
    while (begin > 0 && !isDelimiter(trimmed.at(begin - 1)))
        --begin;
    qsizetype end = at;
    while (end < trimmed.size() && !isDelimiter(trimmed.at(end)))
        ++end;
    QString word = trimmed.mid(begin, end - begin);
    // Brackets and punctuation that wrap an address in a title are not part of it.
    static const QString leading = QStringLiteral("([{'");
    static const QString trailing = QStringLiteral(")]}',;");
    while (!word.isEmpty() && leading.contains(word.front()))
        word.remove(0, 1);
    while (!word.isEmpty() && trailing.contains(word.back()))
        word.chop(1);
    return word;
}

void WindowCandidates::add(std::vector<WindowCandidate> &list, const WindowCandidate &candidate)
{
    for (WindowCandidate &listed : list) {
        if (listed.address == candidate.address) {
            if (listed.title == listed.address)
                listed = candidate;
            return;
        }
    }
    list.push_back(candidate);
}

std::vector<WindowCandidate> WindowCandidates::collect(const std::vector<TopLevelWindow> &windows,
                                                       quint32 ownWindow)
{
    std::vector<WindowCandidate> out;
    for (const TopLevelWindow &window : windows) {
        if (window.title.isEmpty() || (ownWindow != 0 && window.id == ownWindow)
            || window.title == QLatin1String(FrameTitle))
            continue;
        const QString title = window.title.left(MaxText);
        QStringList texts{window.title};
        texts += window.childTexts;
        for (const QString &text : texts) {
            if (!mentionsAddress(text))
                continue;
            const QString address = addressIn(text);
            if (!address.isEmpty())
                add(out, {title, address});
        }
    }
    return out;
}

} // namespace pk
