#include "linkcheck/analysis/locationbatch.h"

#include "browse/query/queryexpression.h"
#include "browse/query/storefieldresolver.h"
#include "framework/errorcatalogue.h"
#include "framework/errormanager.h"
#include "framework/userinterface.h"
#include "store/collection.h"
#include "store/fields.h"
#include "store/locationmanager.h"

namespace pk {

LocationBatch::LocationBatch(LocationBatchEnvironment environment, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
{
    m_timer.setInterval(StepMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &LocationBatch::step);
}

LocationBatch::~LocationBatch() = default;

bool LocationBatch::begin(const QString &condition, bool askForQuery)
{
    m_collection = m_env.collection ? m_env.collection() : nullptr;
    if (!m_collection) {
        end();
        return false;
    }
    m_running = true;
    m_total = m_collection->locations().count();
    m_counter = 0;
    emit progressText(QStringLiteral("Processing Records"));
    emit percentText(QStringLiteral("0% Completed"));
    emit progressValue(0);

    m_view = std::make_unique<View>(*m_collection, Keys::urlLocation());
    std::optional<QString> chosen = condition.trimmed().isEmpty()
                                        ? std::nullopt
                                        : std::optional<QString>(condition);
    if (!chosen && askForQuery && m_env.ui
        && m_env.ui->askYesNo(QLatin1String(QueryCaption), QLatin1String(QueryQuestion))) {
        chosen = m_env.queryWizard ? m_env.queryWizard() : std::optional<QString>(QString());
        if (!chosen) {
            // A cancelled wizard processes nothing rather than everything.
            end();
            return false;
        }
    }
    if (chosen && !chosen->trimmed().isEmpty()) {
        const QueryExpression expression = QueryExpression::parse(*chosen);
        QueryCompileContext context;
        context.resolveField = storeFieldResolver();
        QueryError error;
        const std::optional<SqlFilter> filter = expression.isValid()
                                                    ? expression.compile(context, error)
                                                    : std::nullopt;
        if (!filter) {
            if (m_env.ui)
                m_env.ui->message(QStringLiteral("Error"),
                                  expression.isValid() ? error.describe()
                                                       : expression.error().describe(),
                                  UserInterface::Icon::Critical);
            end();
            return false;
        }
        m_view->setFilter(*filter);
    }
    m_cursor = std::make_unique<ViewCursor>(*m_view, PageSize);
    m_timer.start();
    return true;
}

void LocationBatch::requestClose()
{
    m_stopping = true;
    if (!m_inStep && !m_finished)
        end();
}

bool LocationBatch::next(LocationRecord &record)
{
    ViewRow row;
    if (!m_cursor || !m_cursor->next(row)) {
        if (m_cursor && !m_cursor->status())
            report(m_cursor->status());
        return false;
    }
    record = row.location();
    return true;
}

void LocationBatch::step()
{
    if (m_inStep || m_finished)
        return;
    m_inStep = true;
    LocationRecord record;
    bool goOn = !m_stopping && next(record);
    if (goOn) {
        ++m_counter;
        const int percent = m_total > 0 ? int(std::min<qint64>(100, m_counter * 100 / m_total)) : 0;
        emit progressValue(percent);
        emit percentText(QString::number(percent) + QStringLiteral("% Completed"));
        m_read = record;
        goOn = handle(record);
    }
    m_inStep = false;
    if (!goOn || m_stopping)
        end();
}

bool LocationBatch::writeBack(const QString &original, const LocationRecord &record)
{
    // The record was read a while ago: only what this batch changed is written, over whatever
    // another program stored meanwhile.
    const StoreStatus status = m_collection->locations().changeFields(original, m_read, record);
    if (status)
        return true;
    if (m_env.errors) {
        ErrorContext context = status.context;
        context.file = m_collection->filePath(CollectionFile::Data);
        if (context.errorText.isEmpty())
            context.errorText = status.text;
        m_env.errors->raise(Msg::RecordNotUpdated, context);
    }
    return false;
}

void LocationBatch::report(const StoreStatus &status)
{
    if (m_env.errors && status.catalogueNumber)
        m_env.errors->raise(status.catalogueNumber, status.context);
}

void LocationBatch::end()
{
    if (m_finished)
        return;
    m_timer.stop();
    m_cursor.reset();
    m_view.reset();
    const bool ran = m_running;
    m_running = false;
    m_finished = true;
    if (ran && m_env.refreshLists)
        m_env.refreshLists();
    emit finished();
}

} // namespace pk
