#include "linkcheck/analysis/widgets/downloadwindow.h"

#include "framework/userinterface.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pk {

DownloadWindow::DownloadWindow(const QString &target,
                               const QString &url,
                               const QString &logFolder,
                               UserInterface *ui,
                               QWidget *parent)
    : QDialog(parent)
    , m_download(target, url, logFolder, ui)
{
    setWindowTitle(QLatin1String(PageDownload::Title));
    setObjectName(QStringLiteral("DownloadURL"));
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("Status"), this);
    auto *inner = new QVBoxLayout(group);
    m_status = new QLabel(QStringLiteral("Downloading..."), group);
    m_status->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(group);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    auto *figures = new QHBoxLayout;
    m_count = new QLabel(group);
    m_speed = new QLabel(group);
    m_percent = new QLabel(group);
    figures->addWidget(m_count);
    figures->addStretch();
    figures->addWidget(m_speed);
    figures->addStretch();
    figures->addWidget(m_percent);
    inner->addWidget(m_status);
    inner->addWidget(m_progress);
    inner->addLayout(figures);
    layout->addWidget(group);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, &DownloadWindow::reject);

    // Each tick writes a bounded amount, so a zero interval keeps the window responsive
    // while the transfer runs at full speed.
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &DownloadWindow::tick);
    resize(420, 150);
}

DownloadWindow::~DownloadWindow() = default;

QString DownloadWindow::run(const QString &target,
                            const QString &url,
                            const QString &logFolder,
                            UserInterface *ui,
                            QWidget *parent)
{
    DownloadWindow window(target, url, logFolder, ui, parent);
    if (window.m_download.start()) {
        window.m_timer.start();
        window.exec();
    }
    // A download that failed says why once its window has gone; a cancelled one has no reason.
    const QString failure = window.download().failureText();
    if (ui && !window.download().succeeded() && !failure.isEmpty())
        ui->message(QLatin1String(PageDownload::Title),
                    failureMessage(url, failure),
                    UserInterface::Icon::Warning);
    return window.download().writtenFile();
}

QString DownloadWindow::failureMessage(const QString &url, const QString &failure)
{
    return QStringLiteral("Could not download ") + url + QStringLiteral(":\n") + failure
           + QStringLiteral("\nNothing was saved.");
}

void DownloadWindow::tick()
{
    const bool running = m_download.tick(5);
    showState();
    if (!running) {
        m_timer.stop();
        done(m_download.succeeded() ? QDialog::Accepted : QDialog::Rejected);
    }
}

void DownloadWindow::showState()
{
    m_status->setText(m_download.statusText());
    m_count->setText(m_download.countText());
    m_speed->setText(m_download.speedText());
    m_percent->setText(m_download.percentText());
    const qint64 maximum = m_download.progressMaximum();
    m_progress->setValue(maximum > 0 ? int(m_download.bytes() * 1000 / maximum) : 0);
}

void DownloadWindow::reject()
{
    m_timer.stop();
    m_download.cancel();
    done(QDialog::Rejected);
}

} // namespace pk
