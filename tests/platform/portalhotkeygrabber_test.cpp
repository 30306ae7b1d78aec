#include "platform/portalhotkeygrabber.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace pk;

namespace {

constexpr quint16 WinU = 0x800 | 'U';
constexpr quint16 WinG = 0x800 | 'G';

/**
 * The desktop portal's GlobalShortcuts interface as documented, on a bus connection of its
 * own: requests answer with a Response signal on the request object the caller's token names.
 */
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    explicit FakePortal(QDBusConnection bus)
        : m_bus(std::move(bus))
    {
        // Known before the object is put on the bus, so BindShortcuts shows with its signature.
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<PortalShortcuts>();
    }

    uint version() const { return 1; }

    int sessions = 0;
    QString session;
    QList<PortalShortcuts> binds;
    uint bindResponse = 0;

    void activate(const QString &sessionPath, const QString &id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(PortalHotKeyGrabber::Path),
                                                         QLatin1String(
                                                             PortalHotKeyGrabber::Interface),
                                                         u"Activated"_s);
        signal << QVariant::fromValue(QDBusObjectPath(sessionPath)) << id << qulonglong(1)
               << QVariantMap();
        m_bus.send(signal);
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap &options)
    {
        ++sessions;
        session = QLatin1String(PortalHotKeyGrabber::Path) + u"/session/"_s + sender() + u'/'
                  + options.value(u"session_handle_token"_s).toString();
        return respond(options, 0, {{u"session_handle"_s, session}});
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath &sessionPath,
                                  const QList<pk::PortalShortcut> &shortcuts,
                                  const QString &,
                                  const QVariantMap &options)
    {
        if (sessionPath.path() != session) {
            sendErrorReply(QDBusError::InvalidArgs, u"no such session"_s);
            return {};
        }
        binds << shortcuts;
        PortalShortcuts given;
        for (PortalShortcut s : shortcuts) {
            s.properties = {{u"trigger_description"_s,
                             s.properties.value(u"preferred_trigger"_s).toString().toUpper()}};
            given << s;
        }
        return respond(options, bindResponse, {{u"shortcuts"_s, QVariant::fromValue(given)}});
    }

private:
    QString sender() const { return message().service().mid(1).replace(u'.', u'_'); }

    QDBusObjectPath respond(const QVariantMap &options, uint response, const QVariantMap &results)
    {
        const QString path = QLatin1String(PortalHotKeyGrabber::Path) + u"/request/"_s + sender()
                             + u'/' + options.value(u"handle_token"_s).toString();
        // The answer comes after the call returns, as from a portal asking the user first.
        QTimer::singleShot(0, this, [this, path, response, results] {
            QDBusMessage signal = QDBusMessage::createSignal(path,
                                                             u"org.freedesktop.portal.Request"_s,
                                                             u"Response"_s);
            signal << response << results;
            m_bus.send(signal);
        });
        return QDBusObjectPath(path);
    }

    QDBusConnection m_bus;
};

/// A private message bus for one test, and the connections of the program and of the portal.
class PortalBus : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The bus connections run on the event loop of an application object.
        static int argc = 1;
        static char name[] = "portal_test";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        if (daemon.isEmpty())
            GTEST_SKIP() << "no dbus-daemon on this machine";
        m_daemon.start(daemon, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        ASSERT_TRUE(m_daemon.waitForStarted());
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        ASSERT_FALSE(m_address.isEmpty());
    }

    void TearDown() override
    {
        m_portalThread.quit();
        m_portalThread.wait();
        m_portal.reset();
        for (const QString &name : m_names)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QDBusConnection connect(const QString &name)
    {
        const QString unique = name + QString::number(qintptr(this));
        m_names << unique;
        return QDBusConnection::connectToBus(m_address, unique);
    }

    /// A portal on the bus under its name, answering on a thread of its own as a portal in
    /// another process would while the program waits for a call to return.
    FakePortal &servePortal(uint bindResponse = 0)
    {
        QDBusConnection bus = connect(u"portal"_s);
        m_portal = std::make_unique<FakePortal>(bus);
        m_portal->bindResponse = bindResponse;
        m_portal->moveToThread(&m_portalThread);
        m_portalThread.start();
        EXPECT_TRUE(bus.registerObject(QLatin1String(PortalHotKeyGrabber::Path),
                                       m_portal.get(),
                                       QDBusConnection::ExportAllSlots
                                           | QDBusConnection::ExportAllProperties));
        EXPECT_TRUE(bus.registerService(QLatin1String(PortalHotKeyGrabber::Service)));
        return *m_portal;
    }

private:
    QThread m_portalThread;
    std::unique_ptr<FakePortal> m_portal;
    QProcess m_daemon;
    QString m_address;
    QStringList m_names;
};

} // namespace

TEST(PortalHotKeyGrabber, NamesTriggersAsTheShortcutsPortalWritesThem)
{
    EXPECT_EQ(PortalHotKeyGrabber::trigger(WinU), u"LOGO+u"_s);
    EXPECT_EQ(PortalHotKeyGrabber::trigger(0x200 | 0x400 | 0x74), u"CTRL+SHIFT+F5"_s);
    EXPECT_EQ(PortalHotKeyGrabber::trigger(0x100 | '7'), u"ALT+7"_s);
    EXPECT_EQ(PortalHotKeyGrabber::trigger(0x800 | 0x24), QString()); // Home: no name there
}

TEST_F(PortalBus, BindsTheKeysOfOneTurnTogetherAndReportsTheirPresses)
{
    FakePortal &portal = servePortal();
    QDBusConnection programBus = connect(u"program"_s);
    ASSERT_TRUE(PortalHotKeyGrabber::isOffered(programBus));

    PortalHotKeyGrabber grabber(programBus);
    QList<int> pressed;
    grabber.pressed = [&pressed](int id) { pressed << id; };
    QSignalSpy bound(&grabber, &PortalHotKeyGrabber::bound);
    EXPECT_TRUE(grabber.grab(1, WinU));
    EXPECT_TRUE(grabber.grab(2, WinG));
    EXPECT_FALSE(grabber.grab(2, WinG));         // already held
    EXPECT_FALSE(grabber.grab(3, 0x800 | 0x24)); // no trigger name
    ASSERT_TRUE(bound.wait(10000));

    EXPECT_EQ(portal.sessions, 1);
    ASSERT_EQ(portal.binds.size(), 1);
    const PortalShortcuts &asked = portal.binds.front();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].properties.value(u"preferred_trigger"_s).toString(), u"LOGO+u"_s);
    EXPECT_EQ(asked[1].properties.value(u"preferred_trigger"_s).toString(), u"LOGO+g"_s);
    EXPECT_FALSE(asked[0].properties.value(u"description"_s).toString().isEmpty());
    EXPECT_EQ(grabber.sessionHandle(), portal.session);
    const auto triggers = bound.front().front().value<QMap<QString, QString>>();
    EXPECT_EQ(triggers.value(asked[1].id), u"LOGO+G"_s);

    // A press of the second key; one in another session and an unknown id are not ours.
    portal.activate(portal.session + u"x"_s, asked[0].id);
    portal.activate(portal.session, u"someone-else"_s);
    portal.activate(portal.session, asked[1].id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pressed.isEmpty(); }, 10000));
    EXPECT_EQ(pressed, QList<int>({2}));

    // A released key is no longer reported; a key grabbed later is bound in the same session.
    EXPECT_TRUE(grabber.release(2));
    EXPECT_FALSE(grabber.release(2));
    EXPECT_TRUE(grabber.grab(4, 0x200 | 'K'));
    ASSERT_TRUE(bound.wait(10000));
    EXPECT_EQ(portal.sessions, 1);
    ASSERT_EQ(portal.binds.size(), 2);
    EXPECT_EQ(portal.binds[1].size(), 1);
    portal.activate(portal.session, asked[1].id);
    portal.activate(portal.session, asked[0].id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pressed.size() > 1; }, 10000));
    EXPECT_EQ(pressed, QList<int>({2, 1}));
}

TEST_F(PortalBus, AMissingOrRefusingPortalIsReported)
{
    QDBusConnection programBus = connect(u"program"_s);
    EXPECT_FALSE(PortalHotKeyGrabber::isOffered(programBus));
    {
        PortalHotKeyGrabber grabber(programBus);
        QSignalSpy failed(&grabber, &PortalHotKeyGrabber::failed);
        EXPECT_FALSE(grabber.grab(1, WinU));
        EXPECT_EQ(failed.size(), 1);
    }

    servePortal(1); // the user says no
    PortalHotKeyGrabber grabber(programBus);
    QSignalSpy failed(&grabber, &PortalHotKeyGrabber::failed);
    QSignalSpy bound(&grabber, &PortalHotKeyGrabber::bound);
    EXPECT_TRUE(grabber.grab(1, WinU));
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_EQ(failed.front().front().toString(), u"the shortcuts were not allowed"_s);
    EXPECT_TRUE(bound.isEmpty());
}

#include "portalhotkeygrabber_test.moc"
