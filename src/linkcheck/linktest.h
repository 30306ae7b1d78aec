#pragma once

#include "linkcheck/responseevaluator.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace pk {

class Collection;
class ErrorManager;
class EventPoster;
class LinkTest;
class LinkTestClient;
class UserInterface;
struct StoreStatus;

/// What a link test works with; everything but the time limit may be left out in tests.
struct LinkTestEnvironment
{
    /// The collection results are written to, asked for each time (the program may switch
    /// collections while a test runs); without it nothing is read or written.
    std::function<Collection *()> collection;
    /// Messages and the client's error reports; without one they are only logged.
    UserInterface *ui = nullptr;
    /// Reports store failures; without one they are dropped.
    ErrorManager *errors = nullptr;
    /// How long the test waits for an answer.
    std::chrono::milliseconds timeLimit = std::chrono::seconds(500);
    /// How often the progress bar moves.
    std::chrono::milliseconds tick = std::chrono::milliseconds(100);
    /// A batch ("Test Links"): a network error is recorded on the location as a failure and
    /// shown to nobody, and the test ends at once. Off, the error is reported as usual.
    bool batch = false;
    /// A server that refuses HEAD (405, 501, 403, 404) is asked once more with a GET whose
    /// header alone is read; the GET's answer counts.
    bool getFallback = false;
    /// A 429 or 503 asking to wait (Retry-After) up to `MaxRetryAfterSeconds` is asked once
    /// more after the wait; refused again, the location is marked rate limited.
    bool retryRateLimited = false;
    /// Longest wait for the answer to one request; none when zero. A request that runs over
    /// it fails the location.
    std::chrono::milliseconds requestLimit{0};
    /// Makes the poster that carries the network events to the test. The default posts Qt
    /// events to the test object; a test may pass a queue and call LinkTest::takeEvent().
    std::function<std::unique_ptr<EventPoster>(LinkTest &test)> makePoster;
};

/**
 * @brief One single-location test: a HEAD request and what its answer means for the location.
 *
 * A redirect is followed (with HEAD, at most `MaxRedirects` steps) only to see where it ends:
 * the location is judged by the first answer, unless the chain loops, runs too long or ends
 * in an error status, which fail it. The result and its detail rows are written in one
 * transaction.
 *
 * start() sends the request and returns; the answer, an immediate failure, the time limit or
 * cancel() (the user closing the window) ends the test with one of the result values, and
 * finished() is emitted once. Network I/O runs on the network library's thread; the test only
 * handles the events it is given, on its own thread.
 */
class LinkTest final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkTest)

public:
    static constexpr int Evaluated = 0;
    static constexpr int TimedOut = -999;
    static constexpr int Cancelled = -999999;
    static constexpr int BufferSize = 16634;
    static constexpr int MaxRedirects = 10;
    static constexpr int MaxRetryAfterSeconds = 60;
    /// The most of an answer read: its header, and with GET the first packet of the body.
    static constexpr std::int64_t MaxAnswerBytes = 256 * 1024;
    /// The state a location still refused for too many requests is given: not known (the
    /// stored states are unknown, passed and failed), so never counted as failed; a detail
    /// row says why.
    static constexpr quint8 RateLimited = 0;

    LinkTest(LinkTestEnvironment environment, QString url, bool update, QObject *parent = nullptr);
    ~LinkTest() override;

    /// Opens the test: sends the request (or records an immediate failure).
    void start();
    /// The user closed the window: ends a running test with Cancelled.
    void cancel();
    /// Hands a network event to the test's client.
    void takeEvent(int event);

    QString url() const { return m_url; }
    bool update() const { return m_update; }
    bool isStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }
    int result() const { return m_result; }
    /// The test's thread number in the running-tests list (0 before start()).
    int thread() const { return m_thread; }
    /// The page buffer as shown: the request text, then the received header.
    QString text() const { return m_text; }
    int progress() const { return m_progress; }
    /// Whether a response was evaluated; outcome() then holds what it said.
    bool isEvaluated() const { return m_evaluated; }
    const ResponseOutcome &outcome() const { return m_outcome; }
    /// The first answer sent the location to the same address under "https://".
    bool movedToSecure() const { return m_movedToSecure; }
    /// The secure address it was sent to.
    QString secureAddress() const { return m_secureAddress; }
    /// A network error failed the location (written in a batch).
    bool networkFailed() const { return m_networkFailed; }
    /// The server still refused for too many requests after the wait.
    bool rateLimited() const { return m_rateLimited; }
    /// Requests sent, redirects and repeats included.
    int requestsSent() const { return m_requests; }

    /// Seconds a Retry-After header asks to wait (a number or an HTTP date); -1 without one.
    static int retryAfterSeconds(QByteArrayView header);
    /// The same address under "https://", for an "http://" address; empty otherwise.
    static QString secureForm(const QString &url);

signals:
    void textChanged(const QString &text);
    void progressChanged(int step);
    /// The mouse pointer: busy while the request is on its way.
    void busyChanged(bool busy);
    void finished(int result);

private:
    void sendRequest();
    void pageReceived();
    void conclude(const QByteArray &buffer);
    void errorTrapped(const QString &errorText, const QString &functionName);
    void requestTimedOut();
    void timeLimitReached();
    void recordImmediateFailure();
    void recordFailure(quint8 validated, const QString &value);
    void evaluate(const QByteArray &buffer);
    void tick();
    void finish(int result);
    void tearDown(bool notify);
    void setText(const QString &text);
    QString validatedLabel() const;
    void reportStore(const StoreStatus &status);
    /// The collection the test started with, or null when there is none or it was switched.
    Collection *collection() const;

    LinkTestEnvironment m_env;
    QString m_url;
    bool m_update;
    qint32 m_today = 0;
    Collection *m_collection = nullptr; ///< compared only, never used after a switch
    QString m_collectionFolder;
    std::unique_ptr<EventPoster> m_poster;
    std::unique_ptr<LinkTestClient> m_client;
    QTimer m_ticker;
    QTimer m_limit;
    QTimer m_requestLimit;
    QTimer m_retry;
    QString m_current; ///< the address asked for now (a redirect's target)
    QStringList m_visited;
    QByteArray m_first; ///< the first answer's header, the one the location is judged by
    QString m_secureAddress;
    int m_hops = 0;
    int m_requests = 0;
    bool m_usingGet = false;
    bool m_retried = false;
    bool m_rateLimited = false;
    bool m_redirectLoop = false;
    bool m_movedToSecure = false;
    bool m_networkFailed = false;
    bool m_inFetch = false; ///< the client's Fetch() is running
    QString m_chainError; ///< the status line a followed redirect ended with, when an error
    QElapsedTimer m_startTime;
    QString m_text;
    ResponseOutcome m_outcome;
    int m_thread = 0;
    int m_result = Cancelled;
    int m_progress = 0;
    int m_depth = 0; ///< nesting of calls into the client (its callbacks may show message boxes)
    bool m_started = false;
    bool m_finished = false;
    bool m_tornDown = false;
    bool m_evaluated = false;
};

} // namespace pk
