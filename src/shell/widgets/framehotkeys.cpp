#include "shell/widgets/framehotkeys.h"

#include "platform/x11hotkeygrabber.h"
#include "shell/hotkeytext.h"
#include "shell/procedurenames.h"
#include "shell/widgets/mainframe.h"
#include "shell/widgets/procedurelauncher.h"

#include <QAction>
#include <QTimer>

namespace pk {

FrameHotKeys::FrameHotKeys(MainFrame &frame,
                           std::function<void()> restore,
                           std::unique_ptr<HotKeyGrabber> grabber,
                           QObject *parent)
    : QObject(parent)
    , m_frame(frame)
    , m_restore(std::move(restore))
    , m_grabber(grabber ? std::move(grabber) : std::make_unique<X11HotKeyGrabber>())
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
    if (!restore && !getUrl)
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_restore)
            m_restore();
    });
    if (!getUrl)
        return;
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
