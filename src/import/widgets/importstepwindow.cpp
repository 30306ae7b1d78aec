#include "import/widgets/importstepwindow.h"

#include "browse/list/browserefresh.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QTimer>

namespace pk {

ImportStepWindow::ImportStepWindow(QWidget *parent)
    : QWidget(parent)
{}

ImportStepWindow::~ImportStepWindow() = default;

void ImportStepWindow::startSteps(Hooks hooks)
{
    m_hooks = std::move(hooks);
    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &ImportStepWindow::tick);
    m_timer->start();
}

void ImportStepWindow::tick()
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

void ImportStepWindow::cancel()
{
    if (m_hooks.cancelImport)
        m_hooks.cancelImport();
    if (m_inStep)
        m_closeRequested = true;
    else
        end();
}

void ImportStepWindow::end()
{
    if (m_done)
        return;
    m_done = true;
    if (m_timer)
        m_timer->stop();
    m_hooks.report();
    BrowseRefresh::instance().request();
    Q_EMIT finished();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void ImportStepWindow::closeEvent(QCloseEvent *event)
{
    if (m_inStep) {
        if (m_hooks.cancelImport)
            m_hooks.cancelImport();
        m_closeRequested = true;
        event->ignore();
        return;
    }
    if (!m_done) {
        m_done = true;
        if (m_timer)
            m_timer->stop();
        if (m_hooks.cancelImport)
            m_hooks.cancelImport();
        BrowseRefresh::instance().request();
        Q_EMIT finished();
    }
    event->accept();
}

} // namespace pk
