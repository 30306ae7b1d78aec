#pragma once

#include <mutex>
#include <vector>

namespace pk {

/**
 * @brief The process-wide list of single-location tests that are running, by thread number.
 *
 * "Test Links" counts it to keep at most nine tests going at once, whoever started them.
 * Adding, removing and counting are the only operations; all are safe from any thread.
 */
class RunningTests final
{
public:
    static RunningTests &instance();

    void add(int thread);
    void remove(int thread);
    int count() const;

private:
    RunningTests() = default;

    mutable std::mutex m_mutex;
    std::vector<int> m_threads;
};

} // namespace pk
