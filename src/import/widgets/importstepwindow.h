#pragma once

#include <QWidget>

#include <functional>

class QTimer;

namespace pk {

/**
 * @brief The step, cancel and close cycle shared by the import progress windows.
 *
 * The import's steps run on a zero-interval timer. A question asked inside a step (the category
 * dialog) runs the event loop, so no step starts inside another, and "Cancel" or closing the
 * window during a step takes effect once that step is done. When the import is done or
 * cancelled, the import reports its result, the browse lists refresh, finished() is emitted and
 * the window closes (its MDI frame when it has one). Closed from outside (the frame, a
 * collection switch), the import ends without a report; what was added stays.
 */
class ImportStepWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImportStepWindow)

public:
    ~ImportStepWindow() override;

public slots:
    /// Ends the import now, or after the step in hand.
    void cancel();

signals:
    void finished();

protected:
    struct Hooks
    {
        std::function<bool()> step;         ///< one step; false once the import is done
        std::function<void()> showProgress; ///< after every step
        std::function<void()> report;       ///< the closing message
        std::function<void()> cancelImport; ///< optional: ends the import's current pass
    };

    explicit ImportStepWindow(QWidget *parent);

    /// Starts stepping; the window's constructor calls it once its import and widgets exist.
    void startSteps(Hooks hooks);

    void closeEvent(QCloseEvent *event) override;

private:
    void tick();
    void end();

    Hooks m_hooks;
    QTimer *m_timer = nullptr;
    bool m_done = false;
    bool m_inStep = false;
    bool m_closeRequested = false;
};

} // namespace pk
