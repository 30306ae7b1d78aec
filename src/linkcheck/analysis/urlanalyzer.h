#pragma once

#include "linkcheck/analysis/internetsession.h"
#include "linkcheck/analysis/tokencutter.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace pk {

/**
 * @brief Fetches one page in ten steps and cuts it into tokens: the work of the
 * "Analyze URL" window.
 *
 * tick() does one step (or, while the page opens or arrives, moves the transfer on without
 * advancing), so a window calling it from a timer never freezes. The result is 0 when the
 * session could not be opened or the connection was lost, 2 when the page could not be opened
 * or read, answers with an HTTP error status or has "404" in its first 512 characters, the total bytes read for a page
 * that was cut into tokens, and -1 when cancelled.
 */
class UrlAnalyzer final
{
public:
    static constexpr const char *Agent = "Pathkeep-2000 2.200000b";
    static constexpr const char *Title = "Analyze URL";
    static constexpr int BlockSize = 16384;
    static constexpr int MaxBlocks = 10000;
    static constexpr int LastStep = 10;
    static constexpr int Cancelled = -1;
    /// Bytes read before the page is judged and its character set chosen.
    static constexpr int HeadBytes = 1024;

    explicit UrlAnalyzer(QString url);
    ~UrlAnalyzer();

    /// Runs the whole analysis without a window (processes without a display, tests); the
    /// result value, with `tokens` holding the page's tokens.
    static int fetch(const QString &url, std::vector<QString> &tokens);

    /// One timer tick; returns false once the analysis has ended (the window closes).
    bool tick(int waitMs = 0);
    /// The cancel button: result -1, handles closed.
    void cancel();

    bool isFinished() const { return m_finished; }
    int result() const { return m_result; }
    int step() const { return m_step; }
    int progress() const { return m_progress; }
    QString url() const { return m_url; }
    QString statusText() const { return m_status; }
    const QStringList &statusLines() const { return m_lines; }
    /// The last part of the URL, kept as a file-name suggestion.
    QString fileSuggestion() const { return m_suggestion; }
    const std::vector<QString> &tokens() const { return m_tokens; }
    std::vector<QString> takeTokens() { return std::move(m_tokens); }

private:
    void runStep();
    bool readPage(int waitMs);
    void finish();
    void addStatusLine();

    QString m_url;
    QString m_status;
    QString m_suggestion;
    QStringList m_lines;
    std::optional<InternetSession> m_session;
    std::unique_ptr<InternetRequest> m_request;
    std::vector<QString> m_tokens;
    TokenCutter m_cutter;
    std::vector<char> m_block;
    QByteArray m_head;
    qint64 m_total = 0;
    int m_blocks = 0;
    int m_step = 0;
    int m_progress = 0;
    int m_result = 0;
    bool m_reading = false;
    bool m_firstRead = true;
    bool m_finished = false;
};

} // namespace pk
