#include "linkcheck/testlinksprocess.h"

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "framework/userinterface.h"
#include "linkcheck/runningtests.h"
#include "platform/inifile.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"

#include <QDate>
#include <QDir>

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

void TestLinksProcess::requestClose()
{
    if (m_finished)
        return;
    m_stopping = true;
    m_waiting.reset();
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

void TestLinksProcess::step()
{
    if (!m_running || m_finished)
        return;
    int looked = 0;
    while (!m_stopping && !m_exhausted) {
        if (!m_waiting) {
            if (looked >= RecordsPerStep) {
                scheduleStep();
                return;
            }
            QString location;
            if (!nextLocation(location)) {
                m_exhausted = true;
                break;
            }
            ++looked;
            ++m_counter;
            emit progressText(QStringLiteral("Testing ") + QString::number(m_counter)
                              + QStringLiteral(" of up to ") + QString::number(m_total));
            const int percent = m_total > 0 ? int(std::min<qint64>(100, m_counter * 100 / m_total))
                                            : 100;
            emit percentText(QString::number(percent) + QStringLiteral("% Completed"));
            emit progressValue(percent);
            if (!location.startsWith(QLatin1String("http://")))
                continue;
            m_waiting = location;
        }
        if (RunningTests::instance().count() >= m_env.maxRunning)
            return; // a finishing test or the timer brings us back
        const QString location = *m_waiting;
        m_waiting.reset();
        startTest(location);
    }
    if (m_ownRunning == 0)
        end();
}

void TestLinksProcess::startTest(const QString &location)
{
    auto *test = new LinkTest(m_env.test, location, true, this);
    ++m_ownRunning;
    ++m_testsStarted;
    connect(test, &LinkTest::finished, this, [this, test](int result) {
        testFinished(test, result);
    });
    emit testStarted(test);
    test->start();
    writeTrace(test->thread());
}

void TestLinksProcess::testFinished(LinkTest *test, int result)
{
    --m_ownRunning;
    test->deleteLater();
    if (result == LinkTest::Cancelled)
        requestClose();
    scheduleStep();
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
    m_running = false;
    m_timer.stop();
    if (m_env.refreshLists)
        m_env.refreshLists();
    emit finished();
}

} // namespace pk
