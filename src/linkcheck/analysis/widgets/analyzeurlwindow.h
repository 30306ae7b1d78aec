#pragma once

#include "linkcheck/analysis/urlanalyzer.h"

#include <QDialog>
#include <QTimer>

#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;

namespace pk {

/// The "Analyze URL" window: shows the analysis steps of one page as they run.
class AnalyzeUrlWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AnalyzeUrlWindow)

public:
    AnalyzeUrlWindow(const QString &url, QWidget *parent = nullptr);
    ~AnalyzeUrlWindow() override;

    /// Runs the window modally; the analysis result, with the page's tokens in `tokens`.
    static int run(const QString &url, std::vector<QString> &tokens, QWidget *parent);

    const UrlAnalyzer &analyzer() const { return m_analyzer; }
    std::vector<QString> takeTokens() { return m_analyzer.takeTokens(); }

    /// The cancel button (and Escape).
    void reject() override;

private:
    void tick();
    void showState();

    UrlAnalyzer m_analyzer;
    QTimer m_timer;
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QListWidget *m_lines = nullptr;
    qsizetype m_linesShown = 0;
};

} // namespace pk
