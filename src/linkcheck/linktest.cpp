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
    connect(&m_limit, &QTimer::timeout, this, [this] { finish(TimedOut); });
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
    {
        DepthGuard guard(m_depth);
        m_client->Init();
        m_client->SetAllHeadersDefault();
        m_client->CanUseProxy = 1;
        m_client->HeaderOnly = 1;
        m_client->Error = 0;
        m_client->Fetch(m_url);
        if (m_client->Error != 0 && !m_finished)
            recordImmediateFailure();
    }
    if (m_finished) {
        tearDown(true);
        return;
    }
    m_ticker.start();
    m_limit.start(m_env.timeLimit);
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
    const int error = m_client->Error;
    Collection *current = collection();
    if (m_update && !isBlank(m_url) && current) {
        Collection &collection = *current;
        LocationRecord record;
        const StoreStatus found = collection.locations().get(m_url, record);
        if (found) {
            record.Validated = 0;
            record.LastValidated = m_today;
            reportStore(collection.locations().change(m_url, record));

            QString value = QString::number(error) + QLatin1Char(' ') + m_client->InterpretError();
            if (m_url.contains(QLatin1String("HTTPS:"), Qt::CaseInsensitive))
                value = QStringLiteral("Unable to make secure connection. ") + value;
            DetailRecord detail;
            detail.Location = m_url;
            detail.DataLabel = validatedLabel();
            detail.DataValue = value;
            reportStore(collection.details().insert(detail));
        }
    }
    emit busyChanged(false);
    finish(-std::abs(error));
}

void LinkTest::pageReceived()
{
    if (m_finished)
        return;
    const QByteArrayView page = m_client->page();
    QByteArray buffer = page.first(std::min<qsizetype>(page.size(), BufferSize)).toByteArray();
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
    if (!writing || !found)
        return;

    Collection &collection = *current;
    for (const QString &value : m_outcome.details) {
        DetailRecord detail;
        detail.Location = m_url;
        detail.DataLabel = validatedLabel();
        detail.DataValue = value;
        reportStore(collection.details().insert(detail));
    }
    ResponseEvaluator::apply(m_outcome, record);
    reportStore(collection.locations().change(m_url, record));
}

void LinkTest::errorTrapped(const QString &errorText, const QString &functionName)
{
    // Reported like any network error; the window stays open until the time limit or until
    // the user closes it, and nothing is written.
    emit busyChanged(false);
    m_client->reportError(errorText, functionName);
}

void LinkTest::tick()
{
    m_progress = m_progress >= 100 ? 0 : m_progress + 1;
    emit progressChanged(m_progress);
    if (!m_finished && m_startTime.isValid()
        && std::chrono::milliseconds(m_startTime.elapsed()) > m_env.timeLimit)
        finish(TimedOut);
}

void LinkTest::finish(int result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_result = result;
    m_ticker.stop();
    m_limit.stop();
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
