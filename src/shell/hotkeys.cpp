#include "shell/hotkeys.h"

#include "platform/hotkeygrabber.h"
#include "shell/hotkeytext.h"

namespace pk {

HotKeys::HotKeys(HotKeyGrabber &grabber, QObject *parent)
    : QObject(parent)
    , m_grabber(grabber)
{
    m_grabber.pressed = [this](int id) { fire(id); };
}

HotKeys::~HotKeys()
{
    m_grabber.pressed = {};
}

void HotKeys::registerKeys(const QStringList &texts)
{
    for (const QString &text : texts) {
        const Key key{HotKeyText::parse(text), text.left(32)};
        const int id = int(m_registered.size()) + 1;
        const bool taken = key.code != 0 && m_grabber.grab(id, quint16(key.code));
        m_registered << key;
        m_ids << (taken ? id : 0);
        if (!taken)
            m_failed << key;
    }
}

void HotKeys::unregisterAll()
{
    for (qsizetype i = 0; i < m_registered.size(); ++i) {
        if (m_ids[i] != 0 && !m_grabber.release(m_ids[i]))
            m_failed << m_registered[i];
    }
    m_registered.clear();
    m_ids.clear();
}

void HotKeys::fire(int id)
{
    if (id >= 1 && id <= m_registered.size() && m_ids[id - 1] != 0)
        m_fired << m_registered[id - 1];
    else
        m_fired << Key{0, QString::number(id)};
    emit keyFired();
}

std::optional<HotKeys::Key> HotKeys::takeFired()
{
    if (m_fired.isEmpty())
        return std::nullopt;
    return m_fired.takeFirst();
}

QString HotKeys::name(const Key &key)
{
    return key.code <= 0 ? QStringLiteral("Unknown: ") + key.text : key.text;
}

} // namespace pk
