#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace pk {

class HotKeyGrabber;

/**
 * @brief The program's global hot keys: the keys registered, those the desktop refused, and
 * those pressed and not yet handled.
 *
 * A key's identifier is its place in the registered list, from 1. Refusals are kept without a
 * message; a press arrives through the grabber and is handled later through takeFired().
 */
class HotKeys final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HotKeys)

public:
    struct Key
    {
        int code = 0;
        QString text; ///< up to 32 characters

        bool operator==(const Key &) const = default;
    };

    explicit HotKeys(HotKeyGrabber &grabber, QObject *parent = nullptr);
    ~HotKeys() override;

    /// Registers each key text; identifiers follow on from those already registered.
    void registerKeys(const QStringList &texts);
    /// Gives every key back; those that cannot be released go to the failed list.
    void unregisterAll();

    const QList<Key> &registered() const { return m_registered; }
    const QList<Key> &failed() const { return m_failed; }
    const QList<Key> &fired() const { return m_fired; }

    /// A key was pressed: the key with this identifier goes to the fired list (an unknown
    /// identifier with code 0 and the identifier as text), then keyFired() is emitted.
    void fire(int id);
    /// The first fired key, taken out of the list.
    std::optional<Key> takeFired();
    /// "Unknown: " + text for a key with code 0 or less, else the text.
    static QString name(const Key &key);

signals:
    void keyFired();

private:
    HotKeyGrabber &m_grabber;
    QList<Key> m_registered;
    QList<int> m_ids; ///< identifier of each registered key, 0 when refused
    QList<Key> m_failed;
    QList<Key> m_fired;
};

} // namespace pk
