#pragma once

#include "net/eventposter.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace pk {

/**
 * @brief An EventPoster that keeps the events in a thread-safe queue.
 *
 * For threads without a Qt event loop (tests, benchmarks, batch processes): the owning thread
 * takes the events one by one and hands them to its objects.
 */
class QueueEventPoster final : public EventPoster
{
public:
    void post(int event) override;

    /// The oldest event, waiting at most `timeout` for one to arrive.
    std::optional<int> take(std::chrono::milliseconds timeout);
    /// The oldest event when one is waiting.
    std::optional<int> tryTake();
    std::size_t size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<int> m_events;
};

} // namespace pk
