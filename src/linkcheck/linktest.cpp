#include "linkcheck/linktest.h"

#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "linkcheck/linktestclient.h"
#include "linkcheck/runningtests.h"
#include "net/netlibrary.h"
#include "net/qteventposter.h"
#include "store/collection.h"
#include "store/detailmanager.h"
#include "store/locationmanager.h"
#include "store/picture.h"

#include <QDateTime>

#include <cstdlib>

namespace pk {

namespace {

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

/// Keeps count of calls into the client, so that the test is not torn down under them.
class DepthGuard final
{
public:
    explicit DepthGuard(int &depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    int &m_depth;
};

} // namespace

LinkTest::LinkTest(LinkTestEnvironment environment, QString url, bool update, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
    , m_url(std::move(url))
    , m_update(update)
{
    while (m_url.endsWith(QLatin1Char(' ')))
        m_url.chop(1);
    m_ticker.setInterval(m_env.tick);
    connect(&m_ticker, &QTimer::timeout, this, &LinkTest::tick);
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, &LinkTest::timeLimitReached);
    m_requestLimit.setSingleShot(true);
    connect(&m_requestLimit, &QTimer::timeout, this, &LinkTest::requestTimedOut);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        {
            DepthGuard guard(m_depth);
            sendRequest();
        }
        if (m_finished && m_depth == 0)
            tearDown(true);
    });
}

LinkTest::~LinkTest()
{
    tearDown(false);
}

void LinkTest::start()
{
    if (m_started)
        return;
    m_started = true;
    m_today = DayNumber::today();
    m_result = Cancelled;
    emit busyChanged(true);
    setText(QStringLiteral("Retrieving information from ") + m_url);
    m_startTime.start();
    if (m_env.collection && (m_collection = m_env.collection()))
        m_collectionFolder = m_collection->folder();

    if (m_env.makePoster)
        m_poster = m_env.makePoster(*this);
    else
        m_poster = std::make_unique<QtEventPoster>(this, [this](int event) { takeEvent(event); });
    m_thread = NetRegisterPoster(m_poster.get());
    RunningTests::instance().add(m_thread);

    m_client = std::make_unique<LinkTestClient>(m_env.ui);
    m_client->onPage = [this] { pageReceived(); };
    m_client->onError = [this](const QString &text, const QString &function) {
        errorTrapped(text, function);
    };
    m_client->UseThisThread = m_thread;
    m_current = m_url;
    m_visited = {m_url};
    {
        DepthGuard guard(m_depth);
        m_client->Init();
        sendRequest();
    }
    if (m_finished) {
        tearDown(true);
        return;
    }
    m_ticker.start();
    m_limit.start(m_env.timeLimit);
}

void LinkTest::sendRequest()
{
    if (m_finished || !m_client)
        return;
    if (m_client->OpenFlag || m_client->AsyncOpenBusy)
        m_client->Abort();
    m_client->SetAllHeadersDefault();
    // Only a header is read: a server that sends more than any header holds is refused.
    m_client->MaxPageLen = MaxAnswerBytes;
    m_client->CanUseProxy = 1;
    m_client->HeaderOnly = m_usingGet ? 0 : 1;
    m_client->OptionStopAfterHeader = m_usingGet ? 1 : 0;
    m_client->Error = 0;
    ++m_requests;
    if (m_env.requestLimit.count() > 0)
        m_requestLimit.start(m_env.requestLimit);
    m_inFetch = true;
    m_client->Fetch(m_current);
    m_inFetch = false;
    if (m_client->Error != 0 && !m_finished)
        recordImmediateFailure();
}

int LinkTest::retryAfterSeconds(QByteArrayView header)
{
    for (const QByteArrayView line : QByteArray(header.toByteArray()).split('\n')) {
        const QByteArray text = line.trimmed().toByteArray();
        if (!text.toLower().startsWith("retry-after:"))
            continue;
        const QByteArray value = text.mid(12).trimmed();
        bool ok = false;
        const int seconds = value.toInt(&ok);
        if (ok)
            return seconds < 0 ? -1 : seconds;
        const QDateTime when = QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
        if (!when.isValid())
            return -1;
        return int(std::max<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(when)));
    }
    return -1;
}

QString LinkTest::secureForm(const QString &url)
{
    if (!url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        return {};
    return QStringLiteral("https://") + url.mid(7);
}

void LinkTest::cancel()
{
    if (m_started)
        finish(Cancelled);
}

void LinkTest::takeEvent(int event)
{
    if (m_finished || !m_client)
        return;
    {
        DepthGuard guard(m_depth);
        m_client->TakeEvent(event);
    }
    if (m_finished && m_depth == 0)
        tearDown(true);
}

void LinkTest::recordImmediateFailure()
{
    if (m_hops > 0) {
        // The redirect's target could not be asked: the first answer stands.
        conclude(m_first);
        return;
    }
    const int error = m_client->Error;
    QString value = QString::number(error) + QLatin1Char(' ') + m_client->InterpretError();
    if (m_current.contains(QLatin1String("HTTPS:"), Qt::CaseInsensitive))
        value = QStringLiteral("Unable to make secure connection. ") + value;
    // A single test keeps the state it always wrote; a batch records what happened.
    recordFailure(m_env.batch ? 2 : 0, value);
    emit busyChanged(false);
    finish(-std::abs(error));
}

void LinkTest::recordFailure(quint8 validated, const QString &value)
{
    m_networkFailed = true;
    Collection *current = collection();
    if (!m_update || isBlank(m_url) || !current)
        return;
    Collection &collection = *current;
    reportStore(collection.transaction([&]() -> StoreStatus {
        LocationRecord record;
        const StoreStatus found = collection.locations().get(m_url, record);
        if (!found)
            return {};
        record.Validated = validated;
        record.LastValidated = m_today;
        if (StoreStatus changed = collection.locations().change(m_url, record); !changed)
            return changed;
        DetailRecord detail;
        detail.Location = m_url;
        detail.DataLabel = validatedLabel();
        detail.DataValue = value.left(ResponseEvaluator::MaxStatusDetailLength);
        return collection.details().insert(detail);
    }));
}

void LinkTest::pageReceived()
{
    if (m_finished)
        return;
    m_requestLimit.stop();
    const QByteArrayView page = m_client->page();
    QByteArray buffer = page.first(std::min<qsizetype>(page.size(), BufferSize)).toByteArray();
    const int status = m_client->ServerResponse;

    // A server that will not answer HEAD may still serve the page.
    if (m_env.getFallback && !m_usingGet
        && (status == 405 || status == 501 || status == 403 || status == 404)) {
        m_usingGet = true;
        sendRequest();
        return;
    }
    if (m_env.retryRateLimited && (status == 429 || status == 503)) {
        const int wait = retryAfterSeconds(m_client->header());
        if (!m_retried && wait >= 0 && wait <= MaxRetryAfterSeconds) {
            m_retried = true;
            if (m_client->OpenFlag || m_client->AsyncOpenBusy)
                m_client->Abort();
            m_retry.start(std::chrono::seconds(wait));
            return;
        }
        if (m_retried)
            m_rateLimited = m_hops == 0;
    }
    if (m_hops == 0)
        m_first = buffer;

    if (status >= 300 && status < 400) {
        // Only a redirect to another web address is followed: one to the same address, or to
        // a file or any other scheme, fails the location as it stands.
        const ResponseEvaluator::Target next
            = ResponseEvaluator::redirectTarget(m_client->_GetHeaderField(
                                                    QStringLiteral("Location: ")),
                                                m_current);
        const QString target = next.address;
        if (next.kind == ResponseEvaluator::Target::Elsewhere) {
            if (m_hops == 0 && target.compare(secureForm(m_url), Qt::CaseInsensitive) == 0) {
                m_movedToSecure = true;
                m_secureAddress = target;
            }
            if (m_visited.contains(target) || m_hops >= MaxRedirects) {
                m_redirectLoop = true;
            } else {
                m_visited.append(target);
                ++m_hops;
                m_current = target;
                m_usingGet = false;
                m_retried = false;
                sendRequest();
                return;
            }
        }
    } else if (m_hops > 0 && (status >= 400 || status == 0)) {
        const QByteArray line = buffer.left(buffer.indexOf('\r'));
        m_chainError = m_current + QLatin1Char(' ') + QString::fromLatin1(line);
    }
    conclude(m_first);
}

void LinkTest::conclude(const QByteArray &first)
{
    QByteArray buffer = first;
    if (buffer.isEmpty())
        buffer = QByteArrayLiteral("Unable to retrieve ");
    evaluate(buffer);
    setText(QString::fromUtf8(buffer));
    emit busyChanged(false);
    finish(Evaluated);
}

void LinkTest::evaluate(const QByteArray &buffer)
{
    LocationRecord record;
    bool found = false;
    Collection *current = collection();
    const bool writing = m_update && !isBlank(m_url) && current;
    if (writing) {
        found = bool(current->locations().get(m_url, record));
        if (!found && m_env.ui)
            m_env.ui->message(QStringLiteral("Error"),
                              QStringLiteral("Unable to retrieve ") + m_url + QLatin1Char('.'),
                              UserInterface::Icon::Critical);
    }
    if (!found)
        record = LocationRecord{};

    m_outcome = ResponseEvaluator::evaluate(buffer, m_url, record, m_today, writing && found);
    m_evaluated = true;
    // What following the redirect showed overrides the first answer.
    const auto addDetail = [&](const QString &value) {
        if (writing && found)
            m_outcome.details.push_back(value.left(ResponseEvaluator::MaxStatusDetailLength));
    };
    if (m_redirectLoop) {
        m_outcome.Validated = 2;
        addDetail(QStringLiteral("Redirect loop or too many redirects at ") + m_current);
    } else if (!m_chainError.isEmpty()) {
        m_outcome.Validated = 2;
        addDetail(QStringLiteral("Redirected to ") + m_chainError);
    } else if (m_rateLimited) {
        m_outcome.Validated = RateLimited;
        addDetail(QStringLiteral("Rate limited: refused again after waiting"));
    }
    if (!writing || !found)
        return;

    Collection &collection = *current;
    // The state and its detail rows are one change: a crash leaves both or neither.
    reportStore(collection.transaction([&]() -> StoreStatus {
        for (const QString &value : m_outcome.details) {
            DetailRecord detail;
            detail.Location = m_url;
            detail.DataLabel = validatedLabel();
            detail.DataValue = value;
            if (StoreStatus inserted = collection.details().insert(detail); !inserted)
                return inserted;
        }
        ResponseEvaluator::apply(m_outcome, record);
        return collection.locations().change(m_url, record);
    }));
}

void LinkTest::errorTrapped(const QString &errorText, const QString &functionName)
{
    emit busyChanged(false);
    m_requestLimit.stop();
    if (m_hops > 0) {
        // Only following a redirect failed: the location is judged by its own answer.
        conclude(m_first);
        return;
    }
    const int error = m_client->Error;
    QString value = errorText;
    if (error != 0)
        value += QStringLiteral(" (") + QString::number(error) + QLatin1Char(')');
    // One that came while the request was being made with an error code is recorded and ends
    // the test as an immediate failure once Fetch() has returned.
    const bool immediate = m_inFetch && error != 0;
    if (!immediate)
        recordFailure(2, value);
    // A single test reports it like any network error; in a batch nobody is there to read it.
    if (!m_env.batch)
        m_client->reportError(errorText, functionName);
    // Either way the test has ended: its window closes instead of waiting for the time limit.
    if (!immediate)
        finish(error != 0 ? -std::abs(error) : NetErrNoData);
}

void LinkTest::requestTimedOut()
{
    if (m_finished)
        return;
    if (m_hops > 0) {
        conclude(m_first);
        return;
    }
    const double seconds = double(m_env.requestLimit.count()) / 1000.0;
    recordFailure(2,
                  QStringLiteral("No answer within ") + QString::number(seconds)
                      + QStringLiteral(" s from ") + m_current);
    emit busyChanged(false);
    finish(TimedOut);
}

void LinkTest::timeLimitReached()
{
    if (m_finished)
        return;
    if (m_hops > 0) {
        // Only following a redirect ran out of time: the first answer stands.
        conclude(m_first);
        return;
    }
    // A location that never answered has failed, unless its failure is already written.
    if (!m_networkFailed) {
        const double seconds = double(m_env.timeLimit.count()) / 1000.0;
        recordFailure(2,
                      QStringLiteral("No answer within ") + QString::number(seconds)
                          + QStringLiteral(" s from ") + m_current);
    }
    finish(TimedOut);
}

void LinkTest::tick()
{
    m_progress = m_progress >= 100 ? 0 : m_progress + 1;
    emit progressChanged(m_progress);
    if (!m_finished && m_startTime.isValid()
        && std::chrono::milliseconds(m_startTime.elapsed()) > m_env.timeLimit)
        timeLimitReached();
}

void LinkTest::finish(int result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result = result;
    m_ticker.stop();
    m_limit.stop();
    m_requestLimit.stop();
    m_retry.stop();
    if (m_depth == 0)
        tearDown(true);
}

void LinkTest::tearDown(bool notify)
{
    if (m_tornDown || !m_started)
        return;
    m_tornDown = true;
    m_ticker.stop();
    m_limit.stop();
    if (m_client) {
        m_client->onPage = nullptr;
        m_client->onError = nullptr;
        m_client->Kill();
    }
    NetUnregisterPoster(m_thread);
    RunningTests::instance().remove(m_thread);
    if (notify) {
        emit busyChanged(false);
        emit finished(m_result);
    }
}

void LinkTest::setText(const QString &text)
{
    m_text = text;
    emit textChanged(m_text);
}

QString LinkTest::validatedLabel() const
{
    return QStringLiteral("Validated ") + Picture::format(QStringLiteral("@d17"), m_today);
}

Collection *LinkTest::collection() const
{
    if (!m_collection || !m_env.collection)
        return nullptr;
    Collection *now = m_env.collection();
    return now == m_collection && now->folder() == m_collectionFolder ? now : nullptr;
}

void LinkTest::reportStore(const StoreStatus &status)
{
    if (!status && m_env.errors)
        m_env.errors->raise(status.catalogueNumber, status.context);
}

} // namespace pk
