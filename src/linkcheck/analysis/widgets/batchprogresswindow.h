#pragma once

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;

namespace pk {

class LocationBatch;

/// The progress window of "Analyze Links" and of the multiple download.
class BatchProgressWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BatchProgressWindow)

public:
    /// Shows `batch`'s progress; `start` is called once the window is up.
    BatchProgressWindow(std::unique_ptr<LocationBatch> batch,
                        const QString &title,
                        const QString &name,
                        std::function<bool(LocationBatch &)> start,
                        QWidget *parent = nullptr);
    ~BatchProgressWindow() override;

    LocationBatch &batch() { return *m_batch; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void closeWindow();

    std::unique_ptr<LocationBatch> m_batch;
    QLabel *m_text = nullptr;
    QLabel *m_second = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_percent = nullptr;
    bool m_finished = false;
};

} // namespace pk
