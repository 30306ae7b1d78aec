#pragma once

#include "linkcheck/analysis/analysistokens.h"
#include "linkcheck/analysis/internetsession.h"
#include "linkcheck/analysis/tokencutter.h"
#include "linkcheck/fetchlimits.h"

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
 * or read, answers with an HTTP error status, has "404" in its first 512 characters or runs
 * into a time limit or a compression bomb, the total bytes read for a page that was cut into
 * tokens, and -1 when cancelled; failureText() says why a page failed.
 *
 * Only the tokens the analysis reads are kept (AnalysisTokens), and no more of the page is
 * read than the largest page allowed, so memory stays flat on any page.
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

    explicit UrlAnalyzer(QString url, FetchLimits limits = FetchLimits::current());
    ~UrlAnalyzer();

    /// Runs the whole analysis without a window (processes without a display, tests); the
    /// result value, with `tokens` holding the tokens the analysis reads.
    static int fetch(const QString &url, std::vector<QString> &tokens);
    /// The same with the limits given; `failure` receives failureText() when not null.
    static int fetchWith(const QString &url,
                         std::vector<QString> &tokens,
                         const FetchLimits &limits,
                         QString *failure);

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
    /// Why the page could not be analysed; empty while it runs and when it was.
    QString failureText() const { return m_failure; }
    /// The last part of the URL, kept as a file-name suggestion.
    QString fileSuggestion() const { return m_suggestion; }
    const std::vector<QString> &tokens() const { return m_kept.tokens(); }
    std::vector<QString> takeTokens() { return m_kept.takeTokens(); }

private:
    void runStep();
    bool readPage(int waitMs);
    void finish();
    void addStatusLine();
    void fail(int result, const QString &why);
    void cutBlock(const char *data, qsizetype size);
    /// The page is read: result = the bytes read.
    void pageRead();

    QString m_url;
    QString m_status;
    QString m_suggestion;
    QStringList m_lines;
    std::optional<InternetSession> m_session;
    std::unique_ptr<InternetRequest> m_request;
    QString m_failure;
    FetchLimits m_limits;
    qint64 m_readLimit = 0;     ///< the most of the page read; 0 no limit
    std::vector<QString> m_cut; ///< the tokens of one block, on their way to m_kept
    AnalysisTokens m_kept;
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
