#include "platform/portalhotkeygrabber.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace pk {

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

constexpr const char *RequestInterface = "org.freedesktop.portal.Request";

QString shortcutId(int id)
{
    return u"pathkeep-key-"_s + QString::number(id);
}

/// The part of a request's object path that names the caller: its unique bus name without the
/// colon, dots made underscores.
QString senderPart(const QDBusConnection &bus)
{
    QString name = bus.baseService();
    if (name.startsWith(u':'))
        name.remove(0, 1);
    return name.replace(u'.', u'_');
}

} // namespace

PortalHotKeyGrabber::PortalHotKeyGrabber(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
    m_bus.connect(QLatin1String(Service),
                  QLatin1String(Path),
                  QLatin1String(Interface),
                  u"Activated"_s,
                  this,
                  SLOT(activated(QDBusMessage)));
}

bool PortalHotKeyGrabber::isOffered(const QDBusConnection &bus, int timeoutMs)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(QLatin1String(Service),
                                                      QLatin1String(Path),
                                                      u"org.freedesktop.DBus.Properties"_s,
                                                      u"Get"_s);
    get << QLatin1String(Interface) << u"version"_s;
    const QDBusMessage reply = bus.call(get, QDBus::Block, timeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString PortalHotKeyGrabber::trigger(quint16 code)
{
    const quint8 key = quint8(code & 0xff);
    QString name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        name = QChar(char16_t(key)).toLower();
    else if (key >= 0x70 && key <= 0x87) // F1 to F24
        name = u"F"_s + QString::number(key - 0x70 + 1);
    else
        return {};
    QStringList parts;
    if (code & 0x200)
        parts << u"CTRL"_s;
    if (code & 0x100)
        parts << u"ALT"_s;
    if (code & 0x400)
        parts << u"SHIFT"_s;
    if (code & 0x800)
        parts << u"LOGO"_s;
    parts << name;
    return parts.join(u'+');
}

bool PortalHotKeyGrabber::grab(int id, quint16 code)
{
    if (!m_bus.isConnected() || trigger(code).isEmpty() || m_keys.count(id))
        return false;
    m_keys[id] = code;
    m_pending[id] = code;
    if (m_session.isEmpty() && !m_creating) {
        m_creating = true;
        const QString sessionToken = u"pathkeep"_s + QString::number(m_tokens);
        if (!request(u"CreateSession"_s,
                     {},
                     {{u"session_handle_token"_s, sessionToken}},
                     SLOT(sessionCreated(uint, QVariantMap)))) {
            m_creating = false;
            m_keys.erase(id);
            m_pending.erase(id);
            return false;
        }
    } else if (!m_session.isEmpty() && !m_bindQueued) {
        // Keys grabbed on this turn go together.
        m_bindQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_bindQueued = false;
            bindPending();
        });
    }
    return true;
}

bool PortalHotKeyGrabber::release(int id)
{
    m_pending.erase(id);
    return m_keys.erase(id) > 0;
}

bool PortalHotKeyGrabber::request(const QString &method,
                                  QVariantList arguments,
                                  QVariantMap options,
                                  const char *slot)
{
    // The answer is a signal on an object named after the token: listen before asking, so that
    // a quick answer is not missed.
    const QString token = u"pathkeep"_s + QString::number(++m_tokens);
    options.insert(u"handle_token"_s, token);
    const QString expected = QLatin1String(Path) + u"/request/"_s + senderPart(m_bus) + u'/'
                             + token;
    m_bus.connect(QLatin1String(Service),
                  expected,
                  QLatin1String(RequestInterface),
                  u"Response"_s,
                  this,
                  slot);
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(Service),
                                                       QLatin1String(Path),
                                                       QLatin1String(Interface),
                                                       method);
    arguments << options;
    call.setArguments(arguments);
    const QDBusReply<QDBusObjectPath> reply = m_bus.call(call, QDBus::Block, 10000);
    if (!reply.isValid()) {
        m_bus.disconnect(QLatin1String(Service),
                         expected,
                         QLatin1String(RequestInterface),
                         u"Response"_s,
                         this,
                         slot);
        emit failed(method + u": "_s + reply.error().message());
        return false;
    }
    const QString handle = reply.value().path();
    if (handle != expected) // an older portal names its requests otherwise
        m_bus.connect(QLatin1String(Service),
                      handle,
                      QLatin1String(RequestInterface),
                      u"Response"_s,
                      this,
                      slot);
    return true;
}

void PortalHotKeyGrabber::sessionCreated(uint response, const QVariantMap &results)
{
    m_creating = false;
    // A string in the documented interface; some portals send an object path.
    const QVariant handle = results.value(u"session_handle"_s);
    m_session = response != 0 ? QString()
                : handle.canConvert<QDBusObjectPath>() && handle.userType() != QMetaType::QString
                    ? handle.value<QDBusObjectPath>().path()
                    : handle.toString();
    if (m_session.isEmpty()) {
        m_keys.clear();
        m_pending.clear();
        emit failed(u"the desktop did not open a shortcut session"_s);
        return;
    }
    bindPending();
}

void PortalHotKeyGrabber::bindPending()
{
    if (m_pending.empty() || m_session.isEmpty())
        return;
    PortalShortcuts shortcuts;
    for (const auto &[id, code] : m_pending) {
        const QString description = u"Pathkeep: "_s + trigger(code);
        shortcuts.append(PortalShortcut{shortcutId(id),
                                        {{u"description"_s, description},
                                         {u"preferred_trigger"_s, trigger(code)}}});
    }
    m_pending.clear();
    request(u"BindShortcuts"_s,
            {QVariant::fromValue(QDBusObjectPath(m_session)),
             QVariant::fromValue(shortcuts),
             QString()},
            {},
            SLOT(shortcutsBound(uint, QVariantMap)));
}

void PortalHotKeyGrabber::shortcutsBound(uint response, const QVariantMap &results)
{
    if (response != 0) {
        emit failed(response == 1 ? u"the shortcuts were not allowed"_s
                                  : u"the desktop could not bind the shortcuts"_s);
        return;
    }
    QMap<QString, QString> triggers;
    PortalShortcuts shortcuts;
    const QVariant given = results.value(u"shortcuts"_s);
    if (given.canConvert<QDBusArgument>())
        given.value<QDBusArgument>() >> shortcuts;
    for (const PortalShortcut &s : shortcuts)
        triggers.insert(s.id, s.properties.value(u"trigger_description"_s).toString());
    emit bound(triggers);
}

void PortalHotKeyGrabber::activated(const QDBusMessage &message)
{
    // (session_handle o, shortcut_id s, timestamp t, options a{sv})
    const QVariantList args = message.arguments();
    if (args.size() < 2 || !pressed || m_session.isEmpty()
        || args[0].value<QDBusObjectPath>().path() != m_session)
        return;
    const QString shortcut = args[1].toString();
    for (const auto &[id, code] : m_keys) {
        if (shortcutId(id) == shortcut) {
            pressed(id);
            return;
        }
    }
}

} // namespace pk
