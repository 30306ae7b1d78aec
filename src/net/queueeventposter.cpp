#include "net/queueeventposter.h"

namespace pk {

void QueueEventPoster::post(int event)
{
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    m_arrived.notify_one();
}

std::optional<int> QueueEventPoster::take(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, timeout, [this] { return !m_events.empty(); }))
        return std::nullopt;
    const int event = m_events.front();
    m_events.pop_front();
    return event;
}

std::optional<int> QueueEventPoster::tryTake()
{
    std::lock_guard lock(m_mutex);
    if (m_events.empty())
        return std::nullopt;
    const int event = m_events.front();
    m_events.pop_front();
    return event;
}

std::size_t QueueEventPoster::size() const
{
    std::lock_guard lock(m_mutex);
    return m_events.size();
}

} // namespace pk
