#pragma once

#include "store/records.h"
#include "store/view.h"
#include "store/viewcursor.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace pk {

class Collection;
class ErrorManager;
class UserInterface;
struct StoreStatus;

/// What a batch process over the locations works with.
struct LocationBatchEnvironment
{
    /// The collection, asked for when the run starts; without it nothing is done.
    std::function<Collection *()> collection;
    UserInterface *ui = nullptr;
    ErrorManager *errors = nullptr;
    /// The query wizard: the condition chosen, or nothing when the user cancelled it.
    std::function<std::optional<QString>()> queryWizard;
    /// Tells every open location list to refresh once the run has ended.
    std::function<void()> refreshLists;
};

/**
 * @brief Walks the locations in key order, one per timer tick, optionally through a query:
 * the frame of "Analyze Links" and of the multiple download.
 *
 * A subclass handles each record; the progress texts and percentage are emitted for the
 * progress window, and the lists refresh when the run ends.
 */
class LocationBatch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LocationBatch)

public:
    static constexpr const char *QueryCaption = "Query Wizard";
    static constexpr const char *QueryQuestion
        = "Would you like to select which links are to be tested?";
    static constexpr int StepMilliseconds = 100;
    static constexpr int PageSize = 100;

    explicit LocationBatch(LocationBatchEnvironment environment, QObject *parent = nullptr);
    ~LocationBatch() override;

    /// The progress window is closing: the run stops after the current record.
    void requestClose();

    bool isRunning() const { return m_running; }
    bool isFinished() const { return m_finished; }
    qint64 total() const { return m_total; }
    qint64 counter() const { return m_counter; }
    /// Records handled (not skipped) so far.
    int processed() const { return m_processed; }

signals:
    void progressText(const QString &text);
    void secondText(const QString &text);
    void percentText(const QString &text);
    void progressValue(int percent);
    void finished();

protected:
    /// Opens the run: counts the locations, applies `condition` (or asks for one when
    /// `askForQuery`) and starts the timer. False when it ended at once.
    bool begin(const QString &condition, bool askForQuery);
    /// Handles one record; false stops the run.
    virtual bool handle(LocationRecord &record) = 0;
    /// Writes what handle() changed in the record it was given (now `record`) back, over what
    /// is stored now; a failure is reported with message 28 and stops the run.
    bool writeBack(const QString &original, const LocationRecord &record);
    /// Reports a store failure through the error catalogue.
    void report(const StoreStatus &status);
    void countHandled() { ++m_processed; }

    LocationBatchEnvironment m_env;
    Collection *m_collection = nullptr;

private:
    void step();
    bool next(LocationRecord &record);
    void end();

    std::unique_ptr<View> m_view;
    std::unique_ptr<ViewCursor> m_cursor; ///< over m_view; declared after it, so gone first
    QTimer m_timer;
    qint64 m_total = 0;
    qint64 m_counter = 0;
    LocationRecord m_read; ///< the record handle() was given, as read
    int m_processed = 0;
    bool m_running = false;
    bool m_stopping = false;
    bool m_finished = false;
    bool m_inStep = false;
};

} // namespace pk
