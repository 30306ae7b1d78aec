#pragma once

#include "net/netlibrary.h"
#include "net/netwebclient.h"
#include "net/queueeventposter.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <algorithm>
#include <functional>
#include <vector>

namespace pk::test {

/// A web client that records what it hands to its owner instead of showing it.
class RecordingWebClient final : public NetWebClient
{
public:
    int pages = 0;
    int errors = 0;
    int lastError = 0;
    QString errorText;
    QString errorFunction;
    QByteArray received; ///< the whole page at the last PageReceived()
    std::function<void(RecordingWebClient &)> onPage;

    void PageReceived() override
    {
        ++pages;
        received = page().toByteArray();
        if (onPage)
            onPage(*this);
    }

    void ErrorTrap(const QString &text, const QString &function) override
    {
        ++errors;
        lastError = Error;
        errorText = text;
        errorFunction = function;
        NetWebClient::ErrorTrap(text, function);
    }

    bool finished() const { return pages + errors > 0; }
};

/**
 * @brief The owning thread's event loop for network objects: registers a queue poster for the
 * calling thread and hands every event to the objects until a condition holds.
 */
class NetEventLoop final
{
public:
    NetEventLoop()
        : m_thread(NetRegisterPoster(&m_poster))
    {}
    ~NetEventLoop() { NetUnregisterPoster(m_thread); }
    NetEventLoop(const NetEventLoop &) = delete;
    NetEventLoop &operator=(const NetEventLoop &) = delete;

    /// Dispatches events until `done` returns true or `timeout` passes; returns `done()`.
    bool runUntil(const std::vector<NetSimple *> &objects,
                  const std::function<bool()> &done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (!done() && std::chrono::steady_clock::now() < until) {
            if (const auto event = m_poster.take(std::chrono::milliseconds(10))) {
                for (auto *object : objects)
                    object->TakeEvent(*event);
            }
        }
        return done();
    }

    bool runUntil(NetSimple &object,
                  const std::function<bool()> &done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        return runUntil(std::vector<NetSimple *>{&object}, done, timeout);
    }

    /// Dispatches events for a while, whatever happens.
    void runFor(NetSimple &object, std::chrono::milliseconds time)
    {
        runUntil(
            object, [] { return false; }, time);
    }

private:
    QueueEventPoster m_poster;
    int m_thread;
};

} // namespace pk::test
