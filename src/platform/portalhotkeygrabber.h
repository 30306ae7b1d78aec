#pragma once

#include "platform/hotkeygrabber.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <map>

class QDBusArgument;

namespace pk {

/// One shortcut as the desktop portal passes it: an id and its properties.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

/**
 * @brief Global hot keys through the desktop portal's GlobalShortcuts interface, for sessions
 * (Wayland) where a program cannot take keys itself.
 *
 * The first grab opens a portal session (CreateSession); the keys grabbed on the same turn of the
 * event loop are then bound together (BindShortcuts), each with its key as the preferred trigger
 * ("LOGO+u"); the desktop may ask the user and bind other keys. A press comes as the Activated
 * signal. Every answer comes later as the Response of a request object, so grab() says only
 * whether the key can be asked for; bound() or failed() tells the outcome. The portal has no
 * call to unbind one key: release() stops reporting it.
 */
class PortalHotKeyGrabber final : public QObject, public HotKeyGrabber
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortalHotKeyGrabber)

public:
    static constexpr const char *Service = "org.freedesktop.portal.Desktop";
    static constexpr const char *Path = "/org/freedesktop/portal/desktop";
    static constexpr const char *Interface = "org.freedesktop.portal.GlobalShortcuts";

    explicit PortalHotKeyGrabber(const QDBusConnection &bus = QDBusConnection::sessionBus(),
                                 QObject *parent = nullptr);

    /// Whether `bus` offers the interface (its "version" can be read within `timeoutMs`).
    static bool isOffered(const QDBusConnection &bus, int timeoutMs = 3000);
    /// The trigger text for a key code ("CTRL+SHIFT+u", "LOGO+g", "F5"); blank when the key
    /// has no name there.
    static QString trigger(quint16 code);

    bool grab(int id, quint16 code) override;
    bool release(int id) override;

    /// The portal session's object; blank until it is open.
    QString sessionHandle() const { return m_session; }

signals:
    /// The desktop bound the keys: the shortcut ids with the triggers it chose.
    void bound(const QMap<QString, QString> &triggers);
    /// A request was refused or could not be made.
    void failed(const QString &why);

private slots:
    void sessionCreated(uint response, const QVariantMap &results);
    void shortcutsBound(uint response, const QVariantMap &results);
    void activated(const QDBusMessage &message);

private:
    /// Calls `method` on the portal, its Response going to `slot`; false when the call failed.
    bool request(const QString &method,
                 QVariantList arguments,
                 QVariantMap options,
                 const char *slot);
    void bindPending();

    QDBusConnection m_bus;
    QString m_session;
    bool m_creating = false;
    bool m_bindQueued = false;
    int m_tokens = 0;
    std::map<int, quint16> m_keys;    ///< granted ids and their codes
    std::map<int, quint16> m_pending; ///< ids waiting to be bound
};

} // namespace pk

Q_DECLARE_METATYPE(pk::PortalShortcut)
