#include "net/qteventposter.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

namespace pk {

QEvent::Type NetQtEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QtEventPoster::QtEventPoster(QObject *receiver, std::function<void(int)> handler)
    : m_receiver(receiver)
    , m_handler(std::move(handler))
{}

void QtEventPoster::post(int event)
{
    // QPointer is not thread-safe against the receiver's destruction; the owner unregisters
    // the poster (NetUnregisterPoster) before destroying the receiver, so this only guards
    // against a receiver that was never valid.
    QObject *receiver = m_receiver.data();
    if (!receiver)
        return;
    if (m_handler) {
        QMetaObject::invokeMethod(
            receiver, [handler = m_handler, event] { handler(event); }, Qt::QueuedConnection);
    } else {
        QCoreApplication::postEvent(receiver, new NetQtEvent(event));
    }
}

} // namespace pk
