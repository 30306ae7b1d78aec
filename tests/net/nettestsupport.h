#pragma once

#include "net/netsimple.h"
#include "net/queueeventposter.h"

#include "loopbackserver.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pk::test {

using namespace std::chrono_literals;

/**
 * @brief Registers a plain queue poster for the calling thread and hands every event to the
 * objects added to it, as a window's event loop would.
 */
class EventPump
{
public:
    EventPump();
    ~EventPump();

    int thread() const { return m_thread; }
    QueueEventPoster &poster() { return m_poster; }
    void add(NetSimple *object) { m_objects.push_back(object); }

    /// Dispatches events until `done` holds or `timeout` passes; returns `done()`.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = 10s);
    /// Dispatches events for the whole of `duration`.
    void runFor(std::chrono::milliseconds duration);
    /// Every event number dispatched so far, in order.
    const std::vector<int> &dispatched() const { return m_dispatched; }

private:
    void dispatch(int event);

    QueueEventPoster m_poster;
    int m_thread = 0;
    std::vector<NetSimple *> m_objects;
    std::vector<int> m_dispatched;
};

/// A NetSimple that records what reaches its overridable operations.
class RecordingClient : public NetSimple
{
public:
    using NetSimple::NetSimple;

    void Process() override;
    void ConnectionClosed() override;
    void ErrorTrap(const QString &errorText, const QString &functionName) override;

    /// Fills `Packet` with `data` and calls Send(); true when `Error` is 0 afterwards.
    bool sendBytes(const QByteArray &data);
    bool isOpen() const { return OpenFlag == 1; }

    std::vector<int> processed;    ///< packet types seen by Process()
    std::vector<int> processedIds; ///< their SockID
    QByteArray received;
    int closedCount = 0;
    int trapCount = 0;
    QString trapText;
    QString trapFunction;
    int trapError = 0;
};

/// Captures the diagnostic lines and sets the command-line switches for one test.
class LogCapture
{
public:
    explicit LogCapture(const QStringList &switches = {});
    ~LogCapture();

    QStringList lines() const;
    bool contains(const QString &text) const;
    int count(const QString &text) const;

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

} // namespace pk::test
