#pragma once

#include "linkcheck/linktest.h"
#include "store/sqlfilter.h"
#include "store/view.h"
#include "store/viewcursor.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
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
};

/**
 * @brief "Test Links": tests every location (or those a query chooses) with up to nine tests
 * running at once.
 *
 * Locations are read in key order a page at a time. Only addresses beginning with "http://"
 * are tested. The process never blocks: it starts tests while fewer than the maximum are
 * running, and goes on whenever one ends or its timer fires. A test the user cancels stops the
 * run; the run ends once every test it started has ended, and then the lists refresh.
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
    void startTest(const QString &location);
    void testFinished(LinkTest *test, int result);
    void end();
    void writeTrace(int thread);

    TestLinksEnvironment m_env;
    std::unique_ptr<View> m_view;
    std::unique_ptr<ViewCursor> m_cursor; ///< over m_view; declared after it, so gone first
    std::unique_ptr<IniFile> m_trace;
    std::optional<QString> m_waiting; ///< counted location waiting for a free test slot
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
