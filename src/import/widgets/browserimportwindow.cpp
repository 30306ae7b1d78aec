#include "import/widgets/browserimportwindow.h"

#include "browse/list/browserefresh.h"
#include "import/browserimport.h"

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

BrowserImportWindow::BrowserImportWindow(std::unique_ptr<BrowserImport> import, QWidget *parent)
    : QWidget(parent)
    , m_import(std::move(import))
{
    setWindowTitle(u"Importing Bookmarks"_s);
    setObjectName(u"browserImport"_s);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(u"Importing from "_s + m_import->source(), this);
    m_text->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, std::max(1, int(m_import->bookmarks().size())));
    m_progress->setValue(0);
    m_cancel = new QPushButton(u"Cancel"_s, this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &BrowserImportWindow::cancel);
    setMinimumWidth(380);
    resize(420, 120);

    m_timer = new QTimer(this);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &BrowserImportWindow::tick);
    m_timer->start();
}

BrowserImportWindow::~BrowserImportWindow() = default;

void BrowserImportWindow::tick()
{
    // The category question runs the event loop: no step may start inside another.
    if (m_inStep)
        return;
    bool more = false;
    {
        const QScopedValueRollback<bool> inStep(m_inStep, true);
        more = m_import->step() && !m_closeRequested;
    }
    m_progress->setValue(int(m_import->taken()));
    if (!more)
        end(true);
}

void BrowserImportWindow::cancel()
{
    if (m_inStep)
        m_closeRequested = true; // the step in hand finishes first
    else
        end(true);
}

void BrowserImportWindow::end(bool report)
{
    if (m_done)
        return;
    m_done = true;
    m_timer->stop();
    if (report)
        m_import->reportResult();
    BrowseRefresh::instance().request();
    Q_EMIT finished();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void BrowserImportWindow::closeEvent(QCloseEvent *event)
{
    if (m_inStep) {
        m_closeRequested = true;
        event->ignore();
        return;
    }
    // Closed from outside (the frame, a collection switch): what was added stays.
    if (!m_done) {
        m_done = true;
        m_timer->stop();
        BrowseRefresh::instance().request();
        Q_EMIT finished();
    }
    event->accept();
}

} // namespace pk
