#include "shell/windowthreads.h"

#include <vector>

namespace pk {

int WindowThreads::start(const QString &procedure, CloseRequest closeRequest)
{
    for (int n = FirstChild; n <= MaxThreads; ++n) {
        if (m_threads.count(n) == 0) {
            m_threads.emplace(n, Entry{procedure, std::move(closeRequest)});
            return n;
        }
    }
    return 0;
}

void WindowThreads::finish(int thread)
{
    m_threads.erase(thread);
}

QString WindowThreads::procedure(int thread) const
{
    const auto it = m_threads.find(thread);
    return it == m_threads.end() ? QString() : it->second.procedure;
}

int WindowThreads::find(const QString &procedure) const
{
    for (const auto &[n, entry] : m_threads) {
        if (entry.procedure == procedure)
            return n;
    }
    return 0;
}

void WindowThreads::closeAll()
{
    // A close request may finish its thread at once; work on a copy.
    std::vector<CloseRequest> requests;
    for (const auto &[n, entry] : m_threads) {
        if (n >= FirstChild && entry.close)
            requests.push_back(entry.close);
    }
    for (const auto &request : requests)
        request();
}

} // namespace pk
