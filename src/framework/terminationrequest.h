#pragma once

namespace pk {

/**
 * @brief Whether the program was told to end (SIGTERM, SIGINT or SIGHUP, or a fatal error).
 *
 * Set from the signal handler (lock-free, async-signal-safe). Once it is set nothing may wait
 * for the user: questions and file dialogs answer "cancel" without showing, so every window
 * that is waiting on one unwinds and the program can close.
 */
class TerminationRequest final
{
public:
    TerminationRequest() = delete;

    static bool isRequested();
    /// Safe to call from a signal handler.
    static void request();
    /// Only for tests that simulate an end request and then go on.
    static void resetForTest();
};

} // namespace pk
