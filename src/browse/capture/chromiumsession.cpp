#include "browse/capture/chromiumsession.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <map>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

// Versions 1 and 3 are plain (3 marks where the initial state ends); 2, 4 and 5 are
// encrypted with a key of the desktop's keyring.
constexpr quint32 kPlainVersion = 1;
constexpr quint32 kPlainVersionWithMarker = 3;
constexpr std::array<quint32, 3> kEncryptedVersions{2, 4, 5};

/// Reads little-endian values from a payload; every read past its end fails.
class Payload
{
public:
    Payload(const char *data, qsizetype size)
        : m_data(data)
        , m_size(size)
    {}

    bool int32(qint32 &value)
    {
        if (m_size - m_at < 4)
            return false;
        value = qFromLittleEndian<qint32>(m_data + m_at);
        m_at += 4;
        return true;
    }

    /// A pickle's field: its bytes padded to a multiple of 4.
    bool bytes(qsizetype count, QByteArrayView &out)
    {
        const qsizetype padded = (count + 3) & ~qsizetype(3);
        if (count < 0 || m_size - m_at < count)
            return false;
        out = QByteArrayView(m_data + m_at, count);
        m_at += qMin(padded, m_size - m_at);
        return true;
    }

    bool skip(qsizetype count)
    {
        if (m_size - m_at < count)
            return false;
        m_at += count;
        return true;
    }

private:
    const char *m_data;
    qsizetype m_size;
    qsizetype m_at = 0;
};

struct Navigation
{
    QString address;
    QString title;
};

struct Tab
{
    qint32 window = 0;
    qint32 position = 0;
    qint32 selectedNavigation = -1;
    std::map<qint32, Navigation> navigations;
    qint64 order = 0; ///< when first seen, to keep equal positions stable
};

struct Window
{
    qint32 selectedTab = 0;
    qint64 order = 0;
};

class Replay
{
public:
    void apply(quint8 command, Payload p)
    {
        qint32 a = 0;
        qint32 b = 0;
        switch (command) {
        case ChromiumSession::SetTabWindow:
            if (p.int32(a) && p.int32(b)) {
                tab(b).window = a;
                window(a);
            }
            break;
        case ChromiumSession::SetTabIndexInWindow:
            if (p.int32(a) && p.int32(b))
                tab(a).position = b;
            break;
        case ChromiumSession::SetSelectedNavigationIndex:
            if (p.int32(a) && p.int32(b))
                tab(a).selectedNavigation = b;
            break;
        case ChromiumSession::SetSelectedTabInIndex:
            if (p.int32(a) && p.int32(b))
                window(a).selectedTab = b;
            break;
        case ChromiumSession::SetActiveWindow:
            if (p.int32(a))
                m_active = a;
            break;
        case ChromiumSession::TabClosed:
            if (p.int32(a))
                m_tabs.erase(a);
            break;
        case ChromiumSession::WindowClosed:
            if (p.int32(a)) {
                m_windows.erase(a);
                std::erase_if(m_tabs, [a](const auto &t) { return t.second.window == a; });
            }
            break;
        case ChromiumSession::TabNavigationPathPrunedFromBack:
            // What remains: the navigations before `b`.
            if (p.int32(a) && p.int32(b))
                prune(a, b, std::numeric_limits<qint32>::max());
            break;
        case ChromiumSession::TabNavigationPathPrunedFromFront:
            if (p.int32(a) && p.int32(b))
                prune(a, 0, b);
            break;
        case ChromiumSession::TabNavigationPathPruned: {
            qint32 count = 0;
            if (p.int32(a) && p.int32(b) && p.int32(count))
                prune(a, b, count);
            break;
        }
        case ChromiumSession::UpdateTabNavigation:
            navigation(p);
            break;
        default:
            break;
        }
    }

    std::vector<SessionPage> pages(const QString &browser) const
    {
        std::vector<std::pair<qint32, const Window *>> windows;
        for (const auto &[id, w] : m_windows)
            windows.emplace_back(id, &w);
        std::stable_sort(windows.begin(), windows.end(), [this](const auto &x, const auto &y) {
            if ((x.first == m_active) != (y.first == m_active))
                return x.first == m_active;
            return x.second->order < y.second->order;
        });
        std::vector<SessionPage> out;
        for (const auto &[id, w] : windows) {
            std::vector<const Tab *> tabs;
            for (const auto &entry : m_tabs) {
                if (entry.second.window == id)
                    tabs.push_back(&entry.second);
            }
            if (tabs.empty())
                continue;
            std::stable_sort(tabs.begin(), tabs.end(), [](const Tab *x, const Tab *y) {
                return x->position != y->position ? x->position < y->position : x->order < y->order;
            });
            const Tab *selected
                = tabs[std::size_t(qBound(qint32(0), w->selectedTab, qint32(tabs.size() - 1)))];
            const Navigation *shown = current(*selected);
            if (shown && isOfferedAddress(shown->address))
                out.push_back({browser, shown->title, shown->address});
        }
        return out;
    }

private:
    Tab &tab(qint32 id)
    {
        auto [it, added] = m_tabs.try_emplace(id);
        if (added)
            it->second.order = m_next++;
        return it->second;
    }

    Window &window(qint32 id)
    {
        auto [it, added] = m_windows.try_emplace(id);
        if (added)
            it->second.order = m_next++;
        return it->second;
    }

    void navigation(Payload p)
    {
        // A pickle: its payload size, then tab, index, address (bytes), title (UTF-16).
        qint32 tabId = 0;
        qint32 index = 0;
        qint32 length = 0;
        QByteArrayView address;
        QByteArrayView title;
        if (!p.skip(4) || !p.int32(tabId) || !p.int32(index) || !p.int32(length)
            || !p.bytes(length, address))
            return;
        Navigation n{QString::fromUtf8(address), {}};
        if (p.int32(length) && length >= 0 && length <= std::numeric_limits<qint32>::max() / 2
            && p.bytes(qsizetype(length) * 2, title)) {
            n.title.resize(length);
            for (qint32 i = 0; i < length; ++i)
                n.title[i] = QChar(qFromLittleEndian<quint16>(title.data() + 2 * i));
        }
        tab(tabId).navigations[index] = std::move(n);
    }

    /// Drops `count` navigations from `from` on; those after move down.
    void prune(qint32 tabId, qint32 from, qint32 count)
    {
        auto it = m_tabs.find(tabId);
        if (it == m_tabs.end() || count <= 0 || from < 0)
            return;
        Tab &t = it->second;
        std::map<qint32, Navigation> kept;
        for (auto &[index, n] : t.navigations) {
            if (index < from)
                kept.emplace(index, std::move(n));
            else if (index - from >= count)
                kept.emplace(index - count, std::move(n));
        }
        t.navigations = std::move(kept);
        if (t.selectedNavigation >= from) {
            t.selectedNavigation = t.selectedNavigation - from >= count
                                       ? t.selectedNavigation - count
                                       : from - 1;
        }
    }

    /// The selected navigation, else the nearest one before it, else the first.
    static const Navigation *current(const Tab &t)
    {
        if (t.navigations.empty())
            return nullptr;
        auto it = t.navigations.upper_bound(t.selectedNavigation);
        if (it == t.navigations.begin())
            return &it->second;
        return &std::prev(it)->second;
    }

    std::map<qint32, Tab> m_tabs;
    std::map<qint32, Window> m_windows;
    qint32 m_active = 0;
    qint64 m_next = 0;
};

} // namespace

ChromiumSession::Result ChromiumSession::pages(const QByteArray &data, const QString &browser)
{
    Result result;
    if (data.size() < 8 || !data.startsWith("SNSS"))
        return result;
    const quint32 version = qFromLittleEndian<quint32>(data.constData() + 4);
    if (std::find(kEncryptedVersions.begin(), kEncryptedVersions.end(), version)
        != kEncryptedVersions.end()) {
        result.outcome = Outcome::Encrypted;
        return result;
    }
    if (version != kPlainVersion && version != kPlainVersionWithMarker)
        return result;

    Replay replay;
    qsizetype at = 8;
    while (data.size() - at >= 2) {
        const quint16 size = qFromLittleEndian<quint16>(data.constData() + at);
        at += 2;
        if (size == 0 || data.size() - at < size)
            break; // cut off: the browser was writing when the file was read
        const quint8 command = quint8(data.at(at));
        replay.apply(command, Payload(data.constData() + at + 1, size - 1));
        at += size;
    }
    result.outcome = Outcome::Read;
    result.pages = replay.pages(browser);
    return result;
}

ChromiumSession::Result ChromiumSession::readFile(const QString &path,
                                                  const QString &browser,
                                                  QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    if (file.size() > MaxFileSize) {
        if (error)
            *error = u"too large"_s;
        return {};
    }
    Result result = pages(file.readAll(), browser);
    if (result.outcome == Outcome::NotSession && error)
        *error = u"not a session file of a known version"_s;
    return result;
}

} // namespace pk
