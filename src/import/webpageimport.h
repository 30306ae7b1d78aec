#pragma once

#include "import/htmlimport.h"

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryFile>

#include <memory>

namespace pk {

class InternetRequest;
class InternetSession;

/**
 * @brief "From web site" with "Follow embedded links": the page at an address is fetched over
 * the web and its links imported as the HTML import imports a document's.
 *
 * The page goes into a temporary file (so it is read as a file of any size is read, with its
 * character set), then the HTML import runs over it with the address as the source the
 * locations name. Both the fetch and the import move on one step at a time (step()), so a
 * window's timer drives them.
 */
class WebPageImport final
{
public:
    /// The largest page taken; a larger one ends the fetch with a message.
    static constexpr qint64 MaxPageBytes = 32 * 1024 * 1024;
    /// Time the server may stay silent before the fetch ends.
    static constexpr int SilenceMs = 60 * 1000;
    static constexpr const char *Agent = "Pathkeep 2.200001b";

    enum class Stage { Fetching, Importing, Done };

    WebPageImport(Collection &collection,
                  ErrorManager &errors,
                  QString url,
                  CategoryMode mode,
                  QString selectedCategory);
    ~WebPageImport();
    WebPageImport(const WebPageImport &) = delete;
    WebPageImport &operator=(const WebPageImport &) = delete;

    ImportInsert &inserter() { return m_html->inserter(); }
    const QString &url() const { return m_url; }
    Stage stage() const { return m_stage; }

    /// Starts the fetch. A blank address, one the address rule refuses, or one that is not
    /// http(s) is reported and returns false.
    bool start();
    /// One step: a part of the fetch, then the import's steps. False once it is done.
    bool step();
    /// Ends the fetch, or the import's current pass (as HtmlImport::cancel()).
    void cancel();
    /// The closing summary, once the page was fetched (or the fetch was cancelled); a fetch
    /// that failed was reported when it did.
    void reportResult();

    qint64 bytesRead() const { return m_bytes; }
    /// For the window: what is going on.
    QString statusText() const;
    int percent() const;
    const HtmlImport &htmlImport() const { return *m_html; }

private:
    bool fetchStep();
    void fail(const QString &why);

    ErrorManager &m_errors;
    QString m_url;
    QTemporaryFile m_page;
    std::unique_ptr<HtmlImport> m_html;
    std::unique_ptr<InternetSession> m_session;
    std::unique_ptr<InternetRequest> m_request;
    QElapsedTimer m_lastByte;
    qint64 m_bytes = 0;
    Stage m_stage = Stage::Fetching;
    bool m_fetched = false;
    bool m_failed = false;
};

} // namespace pk
