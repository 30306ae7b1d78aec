#pragma once

#include <QWidget>

namespace pk {

/**
 * @brief The start-up splash: an image and "Version " with the program's version.
 *
 * Closes after two seconds, on any mouse click or when it loses focus, and then reports
 * finished() once, which the frame answers by opening the start-up list.
 */
class SplashWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplashWindow)

public:
    explicit SplashWindow(const QString &imagePath,
                          const QString &version,
                          QWidget *parent = nullptr);

    /// Starts the two-second timer (a test may pass 0 to keep it open).
    void start(int milliseconds = 2000);
    bool isFinished() const { return m_finished; }

public Q_SLOTS:
    void finish();

Q_SIGNALS:
    void finished();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool m_finished = false;
    bool m_wasActive = false;
};

} // namespace pk
