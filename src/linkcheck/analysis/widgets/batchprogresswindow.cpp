#include "linkcheck/analysis/widgets/batchprogresswindow.h"

#include "linkcheck/analysis/locationbatch.h"
#include "shell/widgets/framedwindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace pk {

BatchProgressWindow::BatchProgressWindow(std::unique_ptr<LocationBatch> batch,
                                         const QString &title,
                                         const QString &name,
                                         std::function<bool(LocationBatch &)> start,
                                         QWidget *parent)
    : QWidget(parent)
    , m_batch(std::move(batch))
{
    setWindowTitle(title);
    setObjectName(name);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(QStringLiteral("Processing Records"), this);
    m_second = new QLabel(this);
    m_second->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_percent = new QLabel(QStringLiteral("0% Completed"), this);
    m_percent->setAlignment(Qt::AlignHCenter);
    layout->addWidget(m_text);
    layout->addWidget(m_second);
    layout->addWidget(m_progress);
    layout->addWidget(m_percent);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &BatchProgressWindow::closeWindow);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this),
            &QShortcut::activated,
            this,
            &BatchProgressWindow::closeWindow);

    // A window of its own above the frame, wide enough for the longest counter text; an
    // address in the second line is cut rather than widening the window.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    m_second->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const QString widest = QStringLiteral("Downloading 9999999 of up to 9999999 URLs");
    setMinimumWidth(fontMetrics().horizontalAdvance(widest) + 4 * layout->contentsMargins().left());
    resize(minimumWidth() + 40, sizeHint().height());

    LocationBatch &b = *m_batch;
    connect(&b, &LocationBatch::progressText, m_text, &QLabel::setText);
    connect(&b, &LocationBatch::secondText, m_second, [this](const QString &text) {
        m_second->setText(text);
        m_second->setToolTip(text);
    });
    connect(&b, &LocationBatch::percentText, m_percent, &QLabel::setText);
    connect(&b, &LocationBatch::progressValue, m_progress, &QProgressBar::setValue);
    connect(&b, &LocationBatch::finished, this, [this] {
        m_finished = true;
        closeWindow();
    });
    QTimer::singleShot(0, this, [this, start = std::move(start)] {
        if (!start(*m_batch) && !m_batch->isRunning()) {
            m_finished = true;
            closeWindow();
        }
    });
}

BatchProgressWindow::~BatchProgressWindow() = default;

void BatchProgressWindow::closeWindow()
{
    closeFramedWindow(this);
}

void BatchProgressWindow::closeEvent(QCloseEvent *event)
{
    if (m_finished) {
        event->accept();
        return;
    }
    // The record in hand is finished first; the run then ends and closes the window.
    m_batch->requestClose();
    if (m_batch->isFinished()) {
        m_finished = true;
        event->accept();
        return;
    }
    event->ignore();
    setEnabled(false);
}

} // namespace pk
