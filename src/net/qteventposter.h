#pragma once

#include "net/eventposter.h"

#include <QEvent>
#include <QPointer>

#include <functional>

class QObject;

namespace pk {

/// The Qt event that carries a network event number to its receiver.
class NetQtEvent final : public QEvent
{
public:
    static QEvent::Type eventType();

    explicit NetQtEvent(int netEvent)
        : QEvent(eventType())
        , m_netEvent(netEvent)
    {}
    int netEvent() const { return m_netEvent; }

private:
    int m_netEvent;
};

/**
 * @brief An EventPoster for threads with a Qt event loop.
 *
 * Either posts a NetQtEvent to `receiver` (its event() hands netEvent() to the objects), or,
 * with a handler, calls the handler on the receiver's thread. Both go through the receiver's
 * event queue, so the order of the events is kept. Events for a receiver that is gone are
 * dropped.
 */
class QtEventPoster final : public EventPoster
{
public:
    explicit QtEventPoster(QObject *receiver, std::function<void(int)> handler = {});

    void post(int event) override;

private:
    QPointer<QObject> m_receiver;
    std::function<void(int)> m_handler;
};

} // namespace pk
