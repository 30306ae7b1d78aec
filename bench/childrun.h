#pragma once

#include <QStringList>

namespace pk::bench {

/**
 * @brief A benchmark's work run in a child process of its own, and what it cost.
 *
 * The whole-process benchmarks start themselves again with arguments that run one piece of work
 * and measure that child from outside: wall time from the fork to its end, its CPU time and its
 * peak resident memory (which the parent's own allocations do not blur).
 */
struct ChildRun final
{
    int exitCode = -1; ///< -1 when the child did not end normally or could not be started
    double wallSeconds = 0;
    double userSeconds = 0;
    double systemSeconds = 0;
    double maxResidentMegabytes = 0;

    bool succeeded() const { return exitCode == 0; }

    /// Runs `program` with `arguments` (after its own name) and waits for it to end.
    static ChildRun run(const char *program, const QStringList &arguments);
};

} // namespace pk::bench
