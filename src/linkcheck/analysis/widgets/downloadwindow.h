#pragma once

#include "linkcheck/analysis/pagedownload.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace pk {

class UserInterface;

/// The "Retrieve Web Document" window: one download with its byte count, speed and percentage.
class DownloadWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadWindow)

public:
    DownloadWindow(const QString &target,
                   const QString &url,
                   const QString &logFolder,
                   UserInterface *ui,
                   QWidget *parent = nullptr);
    ~DownloadWindow() override;

    /// Runs the window modally; the file written, empty when the download failed (then the
    /// user is told why) or was cancelled.
    static QString run(const QString &target,
                       const QString &url,
                       const QString &logFolder,
                       UserInterface *ui,
                       QWidget *parent);

    const PageDownload &download() const { return m_download; }
    /// What the user is told when the download of `url` failed.
    static QString failureMessage(const QString &url, const QString &failure);

    /// The cancel button (and Escape).
    void reject() override;

private:
    void tick();
    void showState();

    PageDownload m_download;
    QTimer m_timer;
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_speed = nullptr;
    QLabel *m_percent = nullptr;
};

} // namespace pk
