#pragma once

#include <QString>

namespace pk {

struct ResponseOutcome;

/**
 * @brief Counts what the link tests of one check said: passed, failed, moved and skipped.
 *
 * A test that got an answer counts as the answer says (a redirect to another address also as
 * moved); one that found no server, could not connect or ran out of time counts as failed; a
 * cancelled test and every location that was not tested (not an http:// address) as skipped.
 */
class LinkCheckSummary final
{
public:
    /// One finished test: its result value and, when a response was evaluated, the outcome.
    void add(int result, const ResponseOutcome *outcome);
    /// The locations the run looked at (tested or not).
    void setLooked(qint64 looked) { m_looked = looked; }

    int passed() const { return m_passed; }
    int failed() const { return m_failed; }
    int moved() const { return m_moved; }
    qint64 skipped() const;
    /// "Passed: 3, failed: 1, moved: 1, skipped: 2."
    QString text() const;

private:
    int m_passed = 0;
    int m_failed = 0;
    int m_moved = 0;
    int m_cancelled = 0;
    qint64 m_looked = 0;
};

} // namespace pk
