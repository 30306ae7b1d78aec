#include "browse/forms/windowcandidates.h"

#include <algorithm>
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

bool WindowCandidates::namedAfter(const QString &windowTitle, const QString &browser)
{
    // "<page title> - <browser>"
    const qsizetype page = windowTitle.size() - browser.size() - 3;
    return page > 0 && windowTitle.endsWith(browser)
           && showsPage(windowTitle, windowTitle.left(page));
}

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

bool WindowCandidates::showsPage(const QString &windowTitle, const QString &pageTitle)
{
    if (pageTitle.isEmpty() || !windowTitle.startsWith(pageTitle))
        return false;
    const QStringView rest = QStringView(windowTitle).mid(pageTitle.size());
    static const QString dashes = QStringLiteral("-\u2013\u2014");
    return rest.isEmpty()
           || (rest.size() >= 3 && rest.front() == QLatin1Char(' ') && dashes.contains(rest.at(1))
               && rest.at(2) == QLatin1Char(' '));
}

std::vector<WindowCandidate> WindowCandidates::collect(const std::vector<TopLevelWindow> &windows,
                                                       quint32 ownWindow,
                                                       const std::vector<SessionPage> &pages)
{
    std::vector<const TopLevelWindow *> others;
    for (const TopLevelWindow &window : windows) {
        if (!window.title.isEmpty() && (ownWindow == 0 || window.id != ownWindow)
            && window.title != QLatin1String(FrameTitle))
            others.push_back(&window);
    }

    // Each window shows one page: the page whose title its own begins with. A page the
    // session keeps without a title (a browser records the title some time after the address)
    // is that of the one window named after its browser, when its browser has no other such
    // page.
    std::vector<WindowCandidate> out;
    std::vector<const TopLevelWindow *> shownBy(pages.size(), nullptr);
    std::vector<bool> used(others.size(), false);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        for (std::size_t w = 0; w < others.size() && !pages[i].title.isEmpty(); ++w) {
            if (!used[w] && showsPage(others[w]->title, pages[i].title)) {
                shownBy[i] = others[w];
                used[w] = true;
                break;
            }
        }
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i].title.isEmpty() || pages[i].browser.isEmpty())
            continue;
        const auto sameBrowser = std::count_if(pages.begin(), pages.end(), [&](const auto &p) {
            return p.title.isEmpty() && p.browser == pages[i].browser;
        });
        std::size_t named = others.size();
        int count = 0;
        for (std::size_t w = 0; w < others.size(); ++w) {
            if (!used[w] && namedAfter(others[w]->title, pages[i].browser)) {
                named = w;
                ++count;
            }
        }
        if (sameBrowser == 1 && count == 1) {
            shownBy[i] = others[named];
            used[named] = true;
        }
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (shownBy[i])
            add(out, {shownBy[i]->title.left(MaxText), pages[i].address.left(MaxText)});
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (shownBy[i])
            continue;
        const QString &title = pages[i].title.isEmpty() ? pages[i].address : pages[i].title;
        add(out, {title.left(MaxText), pages[i].address.left(MaxText)});
    }

    for (const TopLevelWindow *window : others) {
        const QString title = window->title.left(MaxText);
        QStringList texts{window->title};
        texts += window->childTexts;
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
