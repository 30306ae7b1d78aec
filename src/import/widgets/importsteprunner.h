#pragma once

#include <QObject>

#include <functional>

class QTimer;
class QWidget;

namespace pk {

/**
 * @brief The step, cancel and close cycle of an import's progress window.
 *
 * The import's steps run on a zero-interval timer. A question asked inside a step (the category
 * dialog) runs the event loop, so no step starts inside another, and "Cancel" or closing the
 * window during a step takes effect once that step is done. When the import is done or
 * cancelled, the import reports its result, the browse lists refresh, finished() is emitted and
 * the window closes (its MDI frame when it has one). Closed from outside (the frame, a
 * collection switch), the import ends without a report; what was added stays.
 */
class ImportStepRunner final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImportStepRunner)

public:
    struct Hooks
    {
        std::function<bool()> step;         ///< one step; false once the import is done
        std::function<void()> showProgress; ///< after every step
        std::function<void()> report;       ///< the closing message
        std::function<void()> cancelImport; ///< optional: ends the import's current pass
    };

    /// Starts stepping at once; `window` is the progress window and the runner's parent.
    ImportStepRunner(QWidget *window, Hooks hooks);

    /// "Cancel": ends the import now, or after the step in hand.
    void cancel();
    /// For the window's closeEvent: false while a step is in hand (the window closes after it).
    bool acceptClose();

signals:
    void finished();

private:
    void tick();
    void end();

    QWidget *m_window;
    Hooks m_hooks;
    QTimer *m_timer;
    bool m_done = false;
    bool m_inStep = false;
    bool m_closeRequested = false;
};

} // namespace pk
