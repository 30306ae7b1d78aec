#pragma once

#include "linkcheck/fetchlimits.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cstddef>

namespace pk {

/**
 * @brief One URL opened over libcurl, driven without blocking.
 *
 * The transfer runs in the caller's thread through the curl multi interface: pump() moves it
 * on for at most the time it is given, so a window's timer tick never waits longer than one
 * step. Received body bytes wait in a bounded buffer (the transfer pauses when it is full), so
 * memory stays flat however large the page is. Proxies come from http_proxy/https_proxy, or
 * else from the desktop's proxy settings (registry.ini).
 *
 * The limits end the transfer as a failure whose errorText() names the limit: bytes received,
 * bytes once unpacked and their ratio (checked as the data arrives), the time for the whole
 * request and the time without a byte (checked by pump()).
 */
class InternetRequest final
{
public:
    enum class State { Opening, Open, Failed };
    enum class Read { Pending, Data, End, Failed };
    enum class Limit { None, Page, Unpacked, Ratio, RequestTime, Silence };

    /// Starts the request; `extraHeader` is sent as one more header line when not empty.
    InternetRequest(const QString &agent,
                    const QString &url,
                    const QByteArray &extraHeader = {},
                    const FetchLimits &limits = {});
    ~InternetRequest();
    InternetRequest(const InternetRequest &) = delete;
    InternetRequest &operator=(const InternetRequest &) = delete;

    /// Moves the transfer on, waiting at most `waitMs` for the network. Returns the state.
    State pump(int waitMs = 0);
    State state() const { return m_state; }

    /// Copies up to `size` received bytes into `buffer`. Data: `got` bytes were copied;
    /// Pending: nothing yet (call pump()); End: the body is complete; Failed: the transfer broke.
    Read read(char *buffer, std::size_t size, std::size_t &got);

    /// The last response's status line and header lines, as the server sent them.
    QString lastResponseText() const { return QString::fromLatin1(m_responseText); }
    /// True once the document opened.
    bool isConnected() const { return m_state == State::Open; }
    /// The file name the server gives for the document (Content-Disposition), else the last
    /// part of the path of the address finally read; empty when there is none.
    QString dataFileName() const;
    /// Received bytes wait to be read.
    bool hasData() const { return std::size_t(m_buffer.size()) > m_bufferStart; }
    /// Libcurl's text for a failure, for the status list.
    QString errorText() const { return m_errorText; }
    /// The HTTP status of the answer that opened the document; 0 before it, and for other
    /// schemes.
    int statusCode() const { return m_statusCode; }
    /// The status is an HTTP error (400 or more): the body is the server's error page.
    bool isErrorStatus() const { return m_statusCode >= 400; }
    /// The Content-Type of the answer that opened the document, as sent.
    QByteArray contentType() const { return m_contentType; }

    /// The limit that ended the transfer; None while it runs and when it ended otherwise.
    Limit limitReached() const { return m_limit; }
    /// Body bytes received so far, after unpacking.
    qint64 unpackedBytes() const { return m_unpacked; }

    /// Ends the transfer and frees its handles; further reads fail.
    void close();

    static constexpr std::size_t BufferLimit = 256 * 1024;
    /// The most of the answers' header lines kept for lastResponseText().
    static constexpr qsizetype MaxHeaderText = 64 * 1024;

private:
    static std::size_t onBody(char *data, std::size_t size, std::size_t count, void *self);
    static std::size_t onHeader(char *data, std::size_t size, std::size_t count, void *self);
    void collectDone();
    /// Checks the size limits after `unpacked` more body bytes; false when one is passed.
    bool withinSizes();
    /// Checks the time limits; ends the transfer when one is passed.
    void checkTimes();
    /// Notes the limit that ends the transfer (the transfer itself is ended by the caller).
    void reach(Limit limit, const QString &text);
    /// Ends the transfer as failed with libcurl's `code`, or the limit reached.
    void stop(int code);

    void *m_multi = nullptr; ///< CURLM
    void *m_easy = nullptr;  ///< CURL
    void *m_headerList = nullptr;
    QByteArray m_url;
    QByteArray m_buffer;
    std::size_t m_bufferStart = 0;
    QByteArray m_responseText;
    QByteArray m_headerBlock;
    QString m_dispositionName;
    QString m_errorText;
    QByteArray m_contentType;
    int m_statusCode = 0;
    FetchLimits m_limits;
    QElapsedTimer m_clock;    ///< since the request started
    QElapsedTimer m_lastByte; ///< since the last byte arrived (or the transfer went on)
    qint64 m_unpacked = 0;
    qint64 m_headerBytes = 0;
    Limit m_limit = Limit::None;
    State m_state = State::Opening;
    bool m_done = false;
    bool m_paused = false;
    bool m_failed = false;
};

} // namespace pk
