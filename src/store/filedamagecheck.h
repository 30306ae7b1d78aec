#pragma once

#include <QString>

#include <functional>

namespace pk {

/**
 * @brief SQLite's quick consistency check of one collection file, on a read-only connection of
 * its own, so that it may run on any thread while the program works on the file.
 *
 * It reads every page of the file (seconds for a large one) but never writes; an interrupted
 * check leaves nothing behind.
 */
class FileDamageCheck final
{
public:
    enum class Outcome {
        Clean,
        Damaged,
        Stopped, ///< `stopRequested` said so before the check was through
        Failed,  ///< could not be checked (missing, unreadable, locked): no verdict
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString detail; ///< the first problem found, or why there is no verdict
    };

    /// Checks `path`. `stopRequested` is asked now and then while the check runs (on the
    /// calling thread) and ends it early when it returns true.
    static Result run(const QString &path, const std::function<bool()> &stopRequested = {});
};

} // namespace pk
