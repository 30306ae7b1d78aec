#include "linkcheck/testlinksprocess.h"

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "framework/userinterface.h"
#include "linkcheck/runningtests.h"
#include "platform/inifile.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/detailmanager.h"
#include "store/keywordmanager.h"
#include "store/locationmanager.h"

#include <QDate>
#include <QDir>
#include <QUrl>

namespace pk {

TestLinksProcess::TestLinksProcess(TestLinksEnvironment environment, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
{
    m_timer.setInterval(StepMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &TestLinksProcess::step);
}

TestLinksProcess::~TestLinksProcess() = default;

bool TestLinksProcess::confirm()
{
    UserInterface *ui = m_env.test.ui;
    return !ui || ui->askYesNo(QLatin1String(Caption), QLatin1String(Question));
}

void TestLinksProcess::run()
{
    if (m_running || m_finished)
        return;
    m_running = true;
    UserInterface *ui = m_env.test.ui;
    Collection *collection = m_env.test.collection ? m_env.test.collection() : nullptr;
    if (!collection) {
        end();
        return;
    }

    m_total = collection->locations().count();
    m_counter = 0;
    emit progressText(QStringLiteral("Processing Records"));
    emit percentText(QStringLiteral("0% Completed"));
    emit progressValue(0);

    m_view = std::make_unique<View>(*collection, Keys::urlLocation());
    if (ui && ui->askYesNo(QLatin1String(QueryCaption), QLatin1String(QueryQuestion))) {
        const std::optional<QString> condition = m_env.queryWizard
                                                     ? m_env.queryWizard()
                                                     : std::optional<QString>(QString());
        if (!condition) {
            // A cancelled wizard tests nothing rather than everything.
            end();
            return;
        }
        const QueryExpression expression = QueryExpression::parse(*condition);
        QueryCompileContext context;
        context.resolveField = storeFieldResolver();
        QueryError error;
        const std::optional<SqlFilter> filter = expression.isValid()
                                                    ? expression.compile(context, error)
                                                    : std::nullopt;
        if (!filter) {
            ui->message(QStringLiteral("Error"),
                        expression.isValid() ? error.describe() : expression.error().describe(),
                        UserInterface::Icon::Critical);
            end();
            return;
        }
        m_view->setFilter(*filter);
    }
    m_cursor = std::make_unique<ViewCursor>(*m_view, PageSize);

    const QString tracePath = m_env.traceFile.isEmpty()
                                  ? QDir::current().filePath(QStringLiteral("DEBUG.INI"))
                                  : m_env.traceFile;
    m_trace = std::make_unique<IniFile>(tracePath);
    m_trace->load();

    m_timer.start();
    step();
}

QString TestLinksSummary::text() const
{
    return QStringLiteral("Passed: ") + QString::number(passed) + QStringLiteral(", failed: ")
           + QString::number(failed) + QStringLiteral(", moved: ") + QString::number(moved)
           + QStringLiteral(", rate limited: ") + QString::number(rateLimited)
           + QStringLiteral(", skipped: ") + QString::number(skipped);
}

void TestLinksProcess::requestClose()
{
    if (m_finished)
        return;
    m_stopping = true;
    m_summary.skipped += int(m_queued);
    m_queues.clear();
    m_hostTurns.clear();
    m_queued = 0;
    // Nothing more is read; the view goes now, while its collection certainly exists.
    m_cursor.reset();
    m_view.reset();
    if (m_running)
        scheduleStep();
}

void TestLinksProcess::scheduleStep()
{
    if (m_stepQueued || m_finished)
        return;
    m_stepQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_stepQueued = false;
            step();
        },
        Qt::QueuedConnection);
}

bool TestLinksProcess::nextLocation(QString &location)
{
    ViewRow row;
    if (!m_cursor || !m_cursor->next(row)) {
        if (m_cursor && !m_cursor->status() && m_env.test.errors)
            m_env.test.errors->raise(m_cursor->status().catalogueNumber, m_cursor->status().context);
        return false;
    }
    location = row.location().Location;
    return true;
}

QString TestLinksProcess::hostOf(const QString &location) const
{
    // Without a per-host limit one queue keeps the locations in key order. A server is its
    // host name and port.
    if (m_env.web.perHost <= 0)
        return {};
    const QUrl url(location);
    const int port = url.port(
        url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
    return url.host().toLower() + QLatin1Char(':') + QString::number(port);
}

bool TestLinksProcess::testable(const QString &location) const
{
    return location.startsWith(QLatin1String("http://"))
           || (m_env.web.testSecure && location.startsWith(QLatin1String("https://")));
}

void TestLinksProcess::enqueue(const QString &location)
{
    const QString host = hostOf(location);
    std::deque<QString> &queue = m_queues[host];
    if (queue.empty())
        m_hostTurns.push_back(host);
    queue.push_back(location);
    ++m_queued;
}

std::optional<QString> TestLinksProcess::takeNext()
{
    for (std::size_t tried = 0; tried < m_hostTurns.size(); ++tried) {
        const QString host = m_hostTurns.front();
        m_hostTurns.pop_front();
        if (m_env.web.perHost > 0 && m_hostRunning[host] >= m_env.web.perHost) {
            m_hostTurns.push_back(host);
            continue;
        }
        auto queue = m_queues.find(host);
        QString location = queue->second.front();
        queue->second.pop_front();
        if (queue->second.empty())
            m_queues.erase(queue);
        else
            m_hostTurns.push_back(host);
        --m_queued;
        return location;
    }
    return std::nullopt;
}

bool TestLinksProcess::readOne()
{
    QString location;
    if (!nextLocation(location)) {
        m_exhausted = true;
        return false;
    }
    ++m_counter;
    emit progressText(QStringLiteral("Testing ") + QString::number(m_counter)
                      + QStringLiteral(" of up to ") + QString::number(m_total));
    const int percent = m_total > 0 ? int(std::min<qint64>(100, m_counter * 100 / m_total)) : 100;
    emit percentText(QString::number(percent) + QStringLiteral("% Completed"));
    emit progressValue(percent);
    if (testable(location))
        enqueue(location);
    else
        ++m_summary.skipped;
    return true;
}

void TestLinksProcess::step()
{
    if (!m_running || m_finished)
        return;
    int looked = 0;
    // The plain run reads one location ahead; taking turns needs a window of them. When
    // every host in the window is at its limit while slots are free (the locations of one
    // host are neighbours in key order), the window widens up to MaxReadAhead.
    const bool turns = m_env.web.perHost > 0;
    const qsizetype readAhead = turns ? ReadAhead : 1;
    bool wantMore = false;
    while (!m_stopping) {
        while (!m_exhausted && m_queued < readAhead && looked < RecordsPerStep) {
            if (readOne())
                ++looked;
        }
        if (m_queued == 0 || RunningTests::instance().count() >= m_env.maxRunning)
            break; // a finishing test or the timer brings us back
        if (const std::optional<QString> location = takeNext()) {
            startTest(*location);
            continue;
        }
        // Every waiting host is at its limit: look further for another host.
        wantMore = turns && !m_exhausted && m_queued < MaxReadAhead;
        if (!wantMore || looked >= RecordsPerStep)
            break;
        if (readOne())
            ++looked;
    }
    if (!m_stopping && !m_exhausted && looked >= RecordsPerStep
        && (m_queued < readAhead || wantMore)) {
        scheduleStep();
        return;
    }
    if ((m_stopping || (m_exhausted && m_queued == 0)) && m_ownRunning == 0)
        end();
}

void TestLinksProcess::startTest(const QString &location)
{
    LinkTestEnvironment environment = m_env.test;
    environment.batch = true;
    environment.getFallback = m_env.web.getFallback;
    environment.retryRateLimited = m_env.web.waitWhenRateLimited;
    environment.requestLimit = m_env.web.requestLimit();
    auto *test = new LinkTest(std::move(environment), location, true, this);
    ++m_ownRunning;
    ++m_testsStarted;
    const QString host = hostOf(location);
    m_mostPerHost = std::max(m_mostPerHost, ++m_hostRunning[host]);
    connect(test, &LinkTest::finished, this, [this, test, host](int result) {
        if (--m_hostRunning[host] <= 0)
            m_hostRunning.erase(host);
        testFinished(test, result);
    });
    emit testStarted(test);
    test->start();
    writeTrace(test->thread());
}

void TestLinksProcess::count(const LinkTest &test, int result)
{
    if (result == LinkTest::Cancelled) {
        ++m_summary.skipped;
        return;
    }
    if (test.isEvaluated()) {
        const ResponseOutcome &outcome = test.outcome();
        if (test.movedToSecure())
            m_secureMoves.emplace_back(test.url(), test.secureAddress());
        if (test.rateLimited())
            ++m_summary.rateLimited;
        else if (outcome.Validated == 2)
            ++m_summary.failed;
        else if (outcome.statusCode >= 300 && outcome.statusCode < 400)
            ++m_summary.moved;
        else
            ++m_summary.passed;
        return;
    }
    // A network error, a refused certificate or no answer in time.
    ++m_summary.failed;
}

void TestLinksProcess::testFinished(LinkTest *test, int result)
{
    --m_ownRunning;
    count(*test, result);
    test->deleteLater();
    if (result == LinkTest::Cancelled)
        requestClose();
    scheduleStep();
}

int TestLinksProcess::updateSecureMoves()
{
    Collection *collection = m_env.test.collection ? m_env.test.collection() : nullptr;
    if (!collection)
        return 0;
    int moved = 0;
    const QString label = QLatin1String(SecureLabel);
    for (const auto &[oldAddress, newAddress] : m_secureMoves) {
        const StoreStatus status = collection->transaction([&]() -> StoreStatus {
            LocationRecord record;
            if (StoreStatus found = collection->locations().get(oldAddress, record); !found)
                return found;
            if (collection->locations().exists(newAddress))
                return StoreStatus::failure(StoreError::Other,
                                            newAddress + QStringLiteral(" is already stored"));
            std::vector<DetailRecord> details;
            if (StoreStatus listed = collection->details().list(oldAddress, details); !listed)
                return listed;
            std::vector<KeywordRecord> keywords;
            if (StoreStatus listed = collection->keywords().list(oldAddress, keywords); !listed)
                return listed;
            record.Location = newAddress;
            if (record.MovedTo.compare(newAddress, Qt::CaseInsensitive) == 0)
                record.MovedTo.clear();
            if (StoreStatus changed = collection->locations().change(oldAddress, record); !changed)
                return changed;
            // The location's rows follow it to its new address.
            for (DetailRecord detail : details) {
                detail.Location = newAddress;
                if (StoreStatus s = collection->details().change(oldAddress,
                                                                 detail.Sequence,
                                                                 detail);
                    !s)
                    return s;
            }
            for (KeywordRecord keyword : keywords) {
                keyword.Location = newAddress;
                if (StoreStatus s = collection->keywords().change(oldAddress,
                                                                  keyword.Sequence,
                                                                  keyword);
                    !s)
                    return s;
            }
            DetailRecord kept;
            kept.Location = newAddress;
            kept.DataLabel = label;
            kept.DataValue = oldAddress.left(ResponseEvaluator::MaxStatusDetailLength);
            return collection->details().insert(kept);
        });
        if (status)
            ++moved;
        else if (m_env.test.errors && status.catalogueNumber)
            m_env.test.errors->raise(status.catalogueNumber, status.context);
    }
    return moved;
}

void TestLinksProcess::finishRun()
{
    UserInterface *ui = m_env.test.ui;
    if (!ui)
        return;
    if (m_env.web.offerSecureUpdate && !m_secureMoves.empty()
        && ui->askYesNo(QLatin1String(SummaryCaption),
                        QString::number(m_secureMoves.size())
                            + QStringLiteral(" locations moved to a secure address (https://). "
                                             "Update their addresses?")))
        updateSecureMoves();
    if (m_env.web.summary)
        ui->message(QLatin1String(SummaryCaption),
                    m_summary.text(),
                    UserInterface::Icon::Information);
}

void TestLinksProcess::writeTrace(int thread)
{
    if (!m_trace)
        return;
    m_trace->setValue(QLatin1String(TraceSection),
                      QString::number(thread),
                      QDate::currentDate().toString(QStringLiteral("dd/MM/yy")));
    m_trace->save();
}

void TestLinksProcess::end()
{
    if (m_finished)
        return;
    m_finished = true;
    const bool ran = m_running;
    m_running = false;
    m_timer.stop();
    if (ran && m_exhausted && !m_stopping) {
        // Every record was looked at (a query may have passed over most of them): the window
        // behind the summary shows the run as complete.
        emit percentText(QStringLiteral("100% Completed"));
        emit progressValue(100);
    }
    if (ran && m_testsStarted + m_summary.skipped > 0)
        finishRun();
    if (m_env.refreshLists)
        m_env.refreshLists();
    emit finished();
}

} // namespace pk
