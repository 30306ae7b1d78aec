#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace pk {

class BrowserImport;

/**
 * @brief The progress window of the Firefox and Chromium imports ("Importing Bookmarks").
 * "Cancel" ends the import; what was added stays.
 */
class BrowserImportWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserImportWindow)

public:
    explicit BrowserImportWindow(std::unique_ptr<BrowserImport> import, QWidget *parent = nullptr);
    ~BrowserImportWindow() override;

    BrowserImport &import() { return *m_import; }
    QProgressBar *progress() const { return m_progress; }

public slots:
    void cancel();

signals:
    void finished();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void tick();
    void end(bool report);

    std::unique_ptr<BrowserImport> m_import;
    QTimer *m_timer = nullptr;
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_done = false;
    bool m_inStep = false;
    bool m_closeRequested = false;
};

} // namespace pk
