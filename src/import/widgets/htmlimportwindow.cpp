#include "import/widgets/htmlimportwindow.h"

#include "browse/list/browserefresh.h"
#include "import/htmlimport.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace pk {

HtmlImportWindow::HtmlImportWindow(std::unique_ptr<HtmlImport> import, QWidget *parent)
    : QWidget(parent)
    , m_import(std::move(import))
{
    setWindowTitle(u"Processing Records"_s);
    setObjectName(u"htmlImport"_s);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(m_import->readingText(), this);
    m_text->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_percent = new QLabel(u"0% Completed"_s, this);
    m_percent->setAlignment(Qt::AlignHCenter);
    m_cancel = new QPushButton(u"Cancel"_s, this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_percent);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &HtmlImportWindow::cancel);
    setMinimumWidth(380);
    resize(420, 160);

    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &HtmlImportWindow::tick);
    m_timer->start();
}

HtmlImportWindow::~HtmlImportWindow() = default;

void HtmlImportWindow::tick()
{
    // A question asked during a step (the category dialog) runs the event loop: no step
    // may start inside another.
    if (m_inStep)
        return;
    bool more = false;
    {
        const QScopedValueRollback<bool> inStep(m_inStep, true);
        more = m_import->step() && !m_closeRequested;
    }
    showProgress();
    if (!more)
        end();
}

void HtmlImportWindow::showProgress()
{
    if (m_import->hasLinkPass()) {
        if (windowTitle() != u"Analyzing HTML..."_s) {
            setWindowTitle(u"Analyzing HTML..."_s);
            if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
                sub->setWindowTitle(windowTitle());
            m_percent->hide();
        }
        const qsizetype total = std::max<qsizetype>(1, m_import->tokenTotal());
        m_progress->setValue(int(m_import->tokensExamined() * 100 / total));
        m_text->setText(m_import->remainingText());
        return;
    }
    const int percent = m_import->percent();
    m_progress->setValue(percent);
    m_percent->setText(QString::number(percent) + u"% Completed"_s);
    m_text->setText(m_import->readingText());
}

void HtmlImportWindow::cancel()
{
    m_import->cancel();
    if (m_inStep)
        m_closeRequested = true; // the step in hand finishes first
    else
        end();
}

void HtmlImportWindow::end()
{
    if (m_done)
        return;
    m_done = true;
    m_timer->stop();
    m_import->reportResult();
    BrowseRefresh::instance().request();
    Q_EMIT finished();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void HtmlImportWindow::closeEvent(QCloseEvent *event)
{
    if (m_inStep) {
        // A question of the step in hand is open; the window closes once the step is done.
        m_import->cancel();
        m_closeRequested = true;
        event->ignore();
        return;
    }
    // Closed from outside (the frame, a collection switch): what was added stays.
    if (!m_done) {
        m_done = true;
        m_timer->stop();
        m_import->cancel();
        BrowseRefresh::instance().request();
        Q_EMIT finished();
    }
    event->accept();
}

} // namespace pk
