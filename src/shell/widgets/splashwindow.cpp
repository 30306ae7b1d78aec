#include "shell/widgets/splashwindow.h"

#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace pk {

SplashWindow::SplashWindow(const QString &imagePath, const QString &version, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("splash"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    auto *image = new QLabel(this);
    const QPixmap pixmap(imagePath);
    if (!pixmap.isNull())
        image->setPixmap(pixmap);
    else
        image->setText(QStringLiteral("Pathkeep 2005"));
    image->setAlignment(Qt::AlignCenter);
    auto *versionLabel = new QLabel(QStringLiteral("Version ") + version, this);
    versionLabel->setObjectName(QStringLiteral("version"));
    versionLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(image);
    layout->addWidget(versionLabel);
}

void SplashWindow::start(int milliseconds)
{
    if (milliseconds > 0)
        QTimer::singleShot(milliseconds, this, &SplashWindow::finish);
}

void SplashWindow::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    close();
    Q_EMIT finished();
}

void SplashWindow::mousePressEvent(QMouseEvent *)
{
    finish();
}

bool SplashWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        m_wasActive = true;
    else if (event->type() == QEvent::WindowDeactivate && m_wasActive)
        QTimer::singleShot(0, this, &SplashWindow::finish);
    return QWidget::event(event);
}

} // namespace pk
