#pragma once

#include <mutex>

namespace pk {

/// @brief The one lock shared by every network object of the process (wait and release).
class NetCriticalSection final
{
public:
    void wait() { m_mutex.lock(); }
    void release() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

} // namespace pk
