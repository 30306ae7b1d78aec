#pragma once

#include "import/clipboard/clipboardmonitor.h"

#include <QWidget>

#include <memory>

class QLabel;
class QTimer;

namespace pk {

class ClipboardMonitor;
class Collection;
class ErrorManager;
class ImportInsert;
class UserInterface;

/// "Monitor Clipboard": adds the addresses of every text copied while it is open.
class ClipboardMonitorWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClipboardMonitorWindow)

public:
    static constexpr int WatchMilliseconds = 500;

    ClipboardMonitorWindow(Collection &collection,
                           ErrorManager &errors,
                           UserInterface &ui,
                           QWidget *parent = nullptr);
    ~ClipboardMonitorWindow() override;

    ClipboardMonitor &monitor() { return *m_monitor; }
    QString statusText() const;

    /// Reads the clipboard and scans it when it holds new text.
    void check();
    /// "E&xit": the closing summary of what was added, then the window closes.
    void exit();

signals:
    void closeRequested();

private:
    void start();
    static ClipboardMonitor::Content content();

    UserInterface &m_ui;
    std::unique_ptr<ImportInsert> m_insert;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    QLabel *m_status = nullptr;
    QTimer *m_timer = nullptr;
};

} // namespace pk
