#pragma once

#include "linkcheck/linktest.h"
#include "linkcheck/webchecksettings.h"
#include "store/sqlfilter.h"
#include "store/view.h"
#include "store/viewcursor.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace pk {

class IniFile;

/// What "Test Links" works with.
struct TestLinksEnvironment
{
    /// Given to every test; its collection is the one the process reads.
    LinkTestEnvironment test;
    /// The query wizard: the condition chosen, or nothing when the user cancelled it.
    std::function<std::optional<QString>()> queryWizard;
    /// Tells every open location list to refresh once the run has ended.
    std::function<void()> refreshLists;
    /// The trace file; empty means DEBUG.INI in the current folder.
    QString traceFile;
    /// Most tests running at once, counted over the whole program.
    int maxRunning = 9;
    /// What the run does beyond the plain test; everything off unless the caller says so.
    WebCheckSettings web = WebCheckSettings::off();
};

/// What a run of "Test Links" found, counted as the tests end.
struct TestLinksSummary
{
    int passed = 0;
    int failed = 0;
    int moved = 0;
    int rateLimited = 0;
    int skipped = 0; ///< read but not tested (not a web address, or the run was stopped)

    int tested() const { return passed + failed + moved + rateLimited; }
    /// "Passed: 3, failed: 1, moved: 0, rate limited: 0, skipped: 2"
    QString text() const;
};

/**
 * @brief "Test Links": tests every location (or those a query chooses) with up to nine tests
 * running at once.
 *
 * Locations are read in key order a page at a time. Only addresses beginning with "http://"
 * are tested ("https://" too with `testSecure`). The process never blocks: it starts tests
 * while fewer than the maximum are running, and goes on whenever one ends or its timer fires.
 * With a per-host limit the locations read ahead wait in one queue per host and the hosts take
 * turns, so one slow host never holds every slot. A network error fails the location without
 * a message. A test the user cancels stops the run; the run ends once every test it started
 * has ended, and then the lists refresh, the summary is shown and moves to secure addresses
 * may be taken over.
 */
class TestLinksProcess final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestLinksProcess)

public:
    static constexpr const char *Caption = "Test Links";
    static constexpr const char *Question
        = "This process will test the links in your database, and mark those that are no longer "
          "valid. You will be able to select which links are tested using the standard Query "
          "Wizard.  Do you wish to proceed?";
    static constexpr const char *QueryCaption = "Query Wizard";
    static constexpr const char *QueryQuestion
        = "Would you like to select which links are to be tested?";
    static constexpr const char *TraceSection = "Testing";
    static constexpr int StepMilliseconds = 100;
    static constexpr int PageSize = 100;
    /// Records looked at in one step before control goes back to the event loop.
    static constexpr int RecordsPerStep = 500;
    /// Locations read ahead of the running tests when the hosts take turns.
    static constexpr int ReadAhead = 256;
    /// The most locations waiting at once while looking past hosts at their limit.
    static constexpr int MaxReadAhead = 20000;
    static constexpr const char *SummaryCaption = "Test Links";
    static constexpr const char *SecureLabel = "Address before https";

    explicit TestLinksProcess(TestLinksEnvironment environment, QObject *parent = nullptr);
    ~TestLinksProcess() override;

    /// The opening question; false when the user answers No.
    bool confirm();
    /// Counts the locations, asks about the query wizard and starts testing.
    void run();
    /// The progress window is closing: no further tests are started.
    void requestClose();

    bool isRunning() const { return m_running; }
    bool isFinished() const { return m_finished; }
    bool isStopped() const { return m_stopping; }
    qint64 total() const { return m_total; }
    qint64 counter() const { return m_counter; }
    int testsStarted() const { return m_testsStarted; }
    int testsRunning() const { return m_ownRunning; }
    const TestLinksSummary &summary() const { return m_summary; }
    /// Locations whose server sent them to the same address under "https://": old, new.
    const std::vector<std::pair<QString, QString>> &secureMoves() const { return m_secureMoves; }
    /// Moves each location to its secure address, keeping the old one in a detail row;
    /// returns how many were moved.
    int updateSecureMoves();
    /// Most tests this run had open to one host at once.
    int mostPerHost() const { return m_mostPerHost; }

signals:
    void progressText(const QString &text);
    void percentText(const QString &text);
    void progressValue(int percent);
    /// A test is about to start; a window may show it.
    void testStarted(pk::LinkTest *test);
    void finished();

private:
    void step();
    void scheduleStep();
    bool nextLocation(QString &location);
    /// Reads the next location into its queue (or counts it skipped); false at the end.
    bool readOne();
    bool testable(const QString &location) const;
    QString hostOf(const QString &location) const;
    void enqueue(const QString &location);
    /// The next location whose host has a free slot, taking the hosts in turn.
    std::optional<QString> takeNext();
    void startTest(const QString &location);
    void count(const LinkTest &test, int result);
    void finishRun();
    void testFinished(LinkTest *test, int result);
    void end();
    void writeTrace(int thread);

    TestLinksEnvironment m_env;
    std::unique_ptr<View> m_view;
    std::unique_ptr<ViewCursor> m_cursor; ///< over m_view; declared after it, so gone first
    std::unique_ptr<IniFile> m_trace;
    std::map<QString, std::deque<QString>> m_queues; ///< by host; one queue without a limit
    std::deque<QString> m_hostTurns;                 ///< hosts with locations waiting
    std::map<QString, int> m_hostRunning;
    std::vector<std::pair<QString, QString>> m_secureMoves;
    TestLinksSummary m_summary;
    qsizetype m_queued = 0;
    int m_mostPerHost = 0;
    QTimer m_timer;
    qint64 m_total = 0;
    qint64 m_counter = 0;
    int m_ownRunning = 0;
    int m_testsStarted = 0;
    bool m_running = false;
    bool m_stopping = false;
    bool m_exhausted = false;
    bool m_finished = false;
    bool m_stepQueued = false;
};

} // namespace pk
