#include "shell/widgets/framehotkeys.h"

#include "platform/portalhotkeygrabber.h"
#include "platform/x11hotkeygrabber.h"
#include "shell/hotkeytext.h"
#include "shell/procedurenames.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/procedurelauncher.h"

#include <QAction>
#include <QGuiApplication>
#include <QTimer>

namespace pk {

namespace {

/// A session where global keys cannot be taken: every grab is refused.
class NoHotKeyGrabber final : public HotKeyGrabber
{
public:
    bool grab(int, quint16) override { return false; }
    bool release(int) override { return true; }
};

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

/// Off X11 (Wayland), keys come through the desktop portal where the session offers it. Asked
/// once: the answer does not change while the program runs.
bool portalOffered()
{
    static const bool offered = !onX11()
                                && PortalHotKeyGrabber::isOffered(QDBusConnection::sessionBus());
    return offered;
}

std::unique_ptr<HotKeyGrabber> sessionGrabber()
{
    if (onX11())
        return std::make_unique<X11HotKeyGrabber>();
    if (portalOffered()) {
        auto portal = std::make_unique<PortalHotKeyGrabber>();
        // The keys were granted when asked for; a later refusal is only worth a line in the log.
        QObject::connect(portal.get(), &PortalHotKeyGrabber::failed, [](const QString &why) {
            qWarning("Hot keys through the desktop portal: %s", qUtf8Printable(why));
        });
        return portal;
    }
    return std::make_unique<NoHotKeyGrabber>();
}

} // namespace

bool FrameHotKeys::sessionHasHotKeys()
{
    return onX11() || portalOffered();
}

FrameHotKeys::FrameHotKeys(MainFrame &frame,
                           std::function<void()> restore,
                           std::unique_ptr<HotKeyGrabber> grabber,
                           QObject *parent)
    : QObject(parent)
    , m_frame(frame)
    , m_restore(std::move(restore))
    , m_grabber(grabber ? std::move(grabber) : sessionGrabber())
    , m_keys(std::make_unique<HotKeys>(*m_grabber))
{
    // Handled on the next turn of the event loop, as a posted event would be.
    connect(m_keys.get(), &HotKeys::keyFired, this, &FrameHotKeys::handleFired, Qt::QueuedConnection);
}

FrameHotKeys::~FrameHotKeys()
{
    detach();
}

void FrameHotKeys::attach()
{
    if (m_keys->registered().isEmpty())
        m_keys->registerKeys({QLatin1String(RestoreKey), QLatin1String(GetUrlKey)});
}

void FrameHotKeys::detach()
{
    m_keys->unregisterAll();
}

void FrameHotKeys::handleFired()
{
    const auto key = m_keys->takeFired();
    if (!key)
        return;
    m_lastHandled = HotKeys::name(*key);
    if (key->code <= 0)
        return;
    const bool restore = key->code == HotKeyText::parse(QLatin1String(RestoreKey));
    const bool getUrl = key->code == HotKeyText::parse(QLatin1String(GetUrlKey));
    if (getUrl)
        this->getUrl();
    else if (restore)
        restoreFrame();
}

void FrameHotKeys::restoreFrame()
{
    QTimer::singleShot(0, this, [this] {
        if (m_restore)
            m_restore();
    });
}

void FrameHotKeys::getUrl()
{
    restoreFrame();
    QTimer::singleShot(0, this, [this] {
        // The Tools menu's command, so it behaves exactly as when chosen there.
        for (QAction *action : m_frame.findChildren<QAction *>()) {
            if (action->text() == QLatin1String("Get URL from Browser")) {
                action->trigger();
                return;
            }
        }
        m_frame.launcher().start(QLatin1String(Procedure::NewUrlWizard));
    });
}

} // namespace pk
