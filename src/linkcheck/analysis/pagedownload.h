#pragma once

#include "linkcheck/analysis/internetsession.h"
#include "linkcheck/fetchlimits.h"

#include <QElapsedTimer>
#include <QSaveFile>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace pk {

class UserInterface;

/**
 * @brief Saves the document behind a URL to a file: the work of the "Retrieve Web Document"
 * window.
 *
 * The target is a file path, or a folder followed by "*" to name the file after the URL. The
 * URL is opened up to three times until it opens; an HTTP error status fails the download.
 * Each tick moves the transfer on and writes what arrived, a bounded amount per tick, into a
 * temporary file that takes the file's name only when the whole document is in. A download
 * that fails, runs into one of the limits or is cancelled leaves no file (a file of that name
 * from before stays as it was) and no log entry, writtenFile() stays empty, so a caller never
 * takes an earlier download for this one, and failureText() says why.
 */
class PageDownload final
{
public:
    static constexpr const char *Agent = "Pathkeep 2.200001b";
    static constexpr const char *Title = "Retrieve Web Document";
    static constexpr const char *LogFile = "DOWNLOAD.LOG";
    static constexpr const char *LogSection = "Download";
    static constexpr int BlockSize = 1024;
    static constexpr int BlocksPerTick = 50;
    /// Attempts to open the URL before the download fails.
    static constexpr int Attempts = 3;

    /// `logFolder` holds DOWNLOAD.LOG (the current folder in the program).
    PageDownload(QString target,
                 QString url,
                 QString logFolder,
                 UserInterface *ui = nullptr,
                 FetchLimits limits = FetchLimits::current());
    ~PageDownload();

    /// Prepares and opens the URL; false when there is nothing to do (blank URL, no session).
    bool start();
    /// Runs the whole download without a window; the file written, empty when it failed
    /// (then `failure`, when not null, receives failureText()).
    static QString fetch(const QString &target,
                         const QString &url,
                         const QString &logFolder,
                         UserInterface *ui = nullptr,
                         QString *failure = nullptr);
    /// The same with the limits given.
    static QString fetch(const QString &target,
                         const QString &url,
                         const QString &logFolder,
                         const FetchLimits &limits,
                         UserInterface *ui = nullptr,
                         QString *failure = nullptr);

    /// One timer tick; false once the download has ended.
    bool tick(int waitMs = 0);
    /// The cancel button.
    void cancel();

    bool isFinished() const { return m_finished; }
    /// Why the download failed; empty while it runs, when it succeeded and when it was
    /// cancelled.
    QString failureText() const { return m_failure; }
    /// The whole document was saved.
    bool succeeded() const { return m_succeeded; }
    /// The file saved by a download that succeeded; empty otherwise.
    QString writtenFile() const { return m_succeeded ? m_filePath : QString(); }
    QString filePath() const { return m_filePath; }
    qint64 bytes() const { return m_bytes; }
    QString statusText() const { return m_status; }
    QString countText() const { return m_countText; }
    QString speedText() const { return m_speedText; }
    QString percentText() const { return m_percentText; }
    qint64 progressMaximum() const { return m_highest; }

    /// The file name a URL or path gives: the text after its last "\", "/" or ":" (`previous`
    /// when nothing follows), with "\", "/", ":", "?" and "*" made "_" and "[...]" parts removed.
    static QString deriveFileName(const QString &text, const QString &previous);

private:
    bool openNext();
    bool prepareFile();
    void readBlocks();
    void showProgress();
    void end(bool success);
    void fail(const QString &why);
    void writeLog();

    QString m_url;
    QString m_folder;
    QString m_fileName;
    QString m_filePath;
    QString m_logFolder;
    UserInterface *m_ui = nullptr;
    FetchLimits m_limits;
    std::optional<InternetSession> m_session;
    std::unique_ptr<InternetRequest> m_request;
    QSaveFile m_file;
    QString m_failure;
    std::vector<char> m_block;
    QElapsedTimer m_clock;
    QString m_status = QStringLiteral("Downloading...");
    QString m_countText;
    QString m_speedText;
    QString m_percentText;
    qint64 m_bytes = 0;
    qint64 m_highest = 0;
    int m_attempt = 0;
    bool m_started = false;
    bool m_finished = false;
    bool m_succeeded = false;
};

} // namespace pk
