#pragma once

#include <chrono>
#include <functional>

class QObject;

namespace pk {

/**
 * @brief SIGTERM, SIGINT and SIGHUP end the program at any moment.
 *
 * The handler only marks the request (TerminationRequest) and wakes a watcher thread, which
 * hands the request to the event loop of `context`: the program then closes like File, Exit.
 * Should close-down not finish within the grace period, or a second signal arrive, the process
 * ends at once; committed records are in the database files by then, nothing is lost.
 */
class TerminationSignals final
{
public:
    TerminationSignals() = delete;

    /// Installs the handlers once per process; false when that was not possible.
    static bool install(QObject *context,
                        std::function<void()> onRequest,
                        std::chrono::milliseconds grace = std::chrono::seconds(10));
};

} // namespace pk
