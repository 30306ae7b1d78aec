#include "linkcheck/runningtests.h"

#include <algorithm>

namespace pk {

RunningTests &RunningTests::instance()
{
    static RunningTests tests;
    return tests;
}

void RunningTests::add(int thread)
{
    std::lock_guard lock(m_mutex);
    m_threads.push_back(thread);
}

void RunningTests::remove(int thread)
{
    std::lock_guard lock(m_mutex);
    const auto it = std::find(m_threads.begin(), m_threads.end(), thread);
    if (it != m_threads.end())
        m_threads.erase(it);
}

int RunningTests::count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_threads.size());
}

} // namespace pk
