#include "import/widgets/importsteprunner.h"

#include "browse/list/browserefresh.h"

#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

namespace pk {

ImportStepRunner::ImportStepRunner(QWidget *window, Hooks hooks)
    : QObject(window)
    , m_window(window)
    , m_hooks(std::move(hooks))
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &ImportStepRunner::tick);
    m_timer->start();
}

void ImportStepRunner::tick()
{
    if (m_inStep)
        return;
    bool more = false;
    {
        const QScopedValueRollback<bool> inStep(m_inStep, true);
        more = m_hooks.step() && !m_closeRequested;
    }
    m_hooks.showProgress();
    if (!more)
        end();
}

void ImportStepRunner::cancel()
{
    if (m_hooks.cancelImport)
        m_hooks.cancelImport();
    if (m_inStep)
        m_closeRequested = true;
    else
        end();
}

void ImportStepRunner::end()
{
    if (m_done)
        return;
    m_done = true;
    m_timer->stop();
    m_hooks.report();
    BrowseRefresh::instance().request();
    Q_EMIT finished();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(m_window->parentWidget()))
        sub->close();
    else
        m_window->close();
}

bool ImportStepRunner::acceptClose()
{
    if (m_inStep) {
        if (m_hooks.cancelImport)
            m_hooks.cancelImport();
        m_closeRequested = true;
        return false;
    }
    if (!m_done) {
        m_done = true;
        m_timer->stop();
        if (m_hooks.cancelImport)
            m_hooks.cancelImport();
        BrowseRefresh::instance().request();
        Q_EMIT finished();
    }
    return true;
}

} // namespace pk
