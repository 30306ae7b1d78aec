#pragma once

#include "net/netsimple.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

namespace pk {

/**
 * @brief The program's own HTTP client: one request at a time over a NetSimple connection.
 *
 * Fetch() and Post() return at once; the connection opens in the background (through the
 * desktop's HTTP proxy when one is set up, directly when that fails), the request goes out when
 * the open succeeds, and the response collects in `Page` until it is complete. Then
 * PageReceived() is called on the owning thread, or ErrorTrap() when something failed.
 * Redirects of GET requests are followed, at most `MaxRedirects` in a row.
 *
 * `Page` holds the header and body as received. It grows in steps of at least `_MinPageLen`,
 * doubling as data arrives, and is reserved in one step for an announced length up to
 * `MaxTrustedContentLen`; a response longer than `MaxPageLen` is refused.
 */
class NetWebClient : public NetSimple
{
public:
    explicit NetWebClient(UserInterface *userInterface = nullptr);
    ~NetWebClient() override;

    static constexpr std::int64_t DefaultMaxPageLen = std::int64_t(1) << 30;
    static constexpr std::int64_t DefaultMaxTrustedContentLen = std::int64_t(16) << 20;
    static constexpr int DefaultMaxRedirects = 10;
    /// Longest request body Post() accepts.
    static constexpr std::int64_t MaxPostLen = std::int64_t(64) << 20;

    /// `Page` is malloc'd so that growing it can remap instead of copying.
    struct PageDeleter
    {
        void operator()(char *page) const;
    };

    // Properties, in declaration order.
    std::unique_ptr<char[], PageDeleter> Page; ///< header then body; `PageLen` bytes in use
    std::int64_t PageLen = 0;
    std::int64_t HeaderLen = 0; ///< header with its blank line; 0 without a header
    int ServerResponse = 0;
    int CanUseProxy = 1;
    QString ProxyServer;
    std::uint16_t ProxyPort = 0; ///< 0 means 80
    int Busy = 0;
    int HeaderOnly = 0;
    QString Accept_;
    QString Referer;
    QString AcceptLanguage;
    QString ContentType;
    QString AcceptEncoding;
    QString IfModifiedSince;
    QString IfNoneMatch;
    QString UserAgent;
    QString Host;
    QString Authorization;
    int ContentLength = 0;
    QString Pragma_;
    QString CacheControl;
    QString Cookie; ///< at most 1024 characters
    int ProxyConnectionKeepAlive = 1;
    int ConnectionKeepAlive = 1;
    std::int64_t BytesWritten = 0;
    int OptionFinishOnEndHTMLTag = 0;
    int OptionDontRedirect = 0;
    int OptionDontSetCookieOnRedirect = 0;
    /// With `HeaderOnly` off: a GET whose response counts as complete once its header is in
    /// (the body is not read, and redirects are not followed).
    int OptionStopAfterHeader = 0;
    std::int64_t _AllocatedPageLen = 0;
    std::int64_t _ExpectedPageLen = 0;
    int _FirstPacket = 0;
    std::int64_t _PageContentLen = 0;
    std::int64_t _MinPageLen = 65536;
    int _NoHeaderYet = 0;
    int _CommandType = 0; ///< 1 GET or HEAD, 2 POST
    QString _CommandURL;
    QString _LastURLRequested;
    QString _TempRedirectURL;
    QByteArray _Command;
    QByteArray _CommandLarge;
    int _UseCommandLarge = 0;
    int _ProxyUsed = 0;
    QString _HostServer;
    int _HostPort = 0;
    QString _ProxyServer;
    int _ProxyPort = 0;
    QString _CurrentServer;
    int _CurrentPort = 0;
    QString _HTTPVersion;

    // Limits and bookkeeping of this implementation.
    std::int64_t MaxPageLen = DefaultMaxPageLen; ///< larger responses are refused
    std::int64_t MaxTrustedContentLen = DefaultMaxTrustedContentLen;
    int MaxRedirects = DefaultMaxRedirects;
    int _PageContentLenKnown = 0; ///< a Content-Length was announced (it may be 0)
    int _RedirectCount = 0;       ///< redirects followed since the caller's Fetch()
    int _PageGrowths = 0;         ///< buffer allocations for the current response
    QByteArray _PostData;

    // Operations of NetSimple overridden here.
    void Init(int mode = 0) override;
    void Open(const QString &server, std::uint16_t port = 0) override;
    void Process() override;
    void ConnectionClosed() override;
    void Kill() override;
    void _CallErrorTrap(const QString &errorText, const QString &functionName) override;

    // Virtual operations after those of NetSimple, in slot order.
    /// The owner's notification that `Page` holds a complete response; does nothing here.
    virtual void PageReceived();
    /// Starts a GET (HEAD with `HeaderOnly`) of `url`.
    virtual void Fetch(const QString &url);
    /// Starts a POST of `data` to `url`.
    virtual void Post(const QString &url, const QByteArray &data);
    /// The normalised form of `url` (see WebUrl::normalise()).
    virtual QString GetURL(const QString &url);
    virtual void SetAllHeadersDefault();
    /// Grows `Page` to `_ExpectedPageLen` (at least one `_MinPageLen` step); false when out
    /// of memory.
    virtual bool MoreMemoryForPage();
    virtual void _HostFromURL(const QString &url, QString &host, int &port);
    /// Releases `Page`.
    virtual void Free();
    /// Reduces `Page` to its text: no header, styles, scripts or tags, whitespace collapsed.
    virtual void TextOnly();
    /// Value of the field `name` in form data "a=1&b=2" (decoded); empty when absent.
    virtual QString _FormValue(const QString &name, const QByteArray &formData);
    /// Name of the `n`-th (1-based) field in form data; empty when there is none.
    virtual QString _FormField(int n, const QByteArray &formData);
    virtual QString _EncodeURL(const QString &text);
    virtual QString _DecodeURL(const QString &text);
    /// Writes the body to `fileName`; `BytesWritten` tells how much.
    virtual void SavePage(const QString &fileName);
    /// Sends the request on the connection that has just opened.
    virtual void _SendCommand();
    /// Falls back from the proxy to the web server; true when a new attempt is under way.
    virtual bool _HandleAsyncOpenFailed();
    virtual void _OpenConnection();
    virtual void _ConnectingOkay();
    /// Status, redirect, then PageReceived().
    virtual void _CallPageReceived();
    /// Value of the `n`-th response header line starting with `name` (e.g. "Location: ").
    virtual QString _GetHeaderField(const QString &name, int n = 1);
    virtual void _SetSSLFromURL();
    virtual QByteArray _RequestLine(const QByteArray &method);
    virtual QByteArray _CreateRequestHeader(int port);
    /// UTF-16 page (a leading FF FE dropped) to UTF-8.
    virtual void UnicodeToAnsi();
    /// UTF-8 page to UTF-16.
    virtual void AnsiToUnicode();
    /// Removes every block from `start` to the end of the next `end` in `Page`.
    virtual void _RemoveBlocks(const QByteArray &start, const QByteArray &end);
    virtual void _CollapseWhitespace();
    virtual void _ReplaceNbsp();

    /// The bytes of `Page` in use.
    QByteArrayView page() const { return {Page.get(), PageLen}; }
    QByteArrayView header() const { return {Page.get(), HeaderLen}; }
    QByteArrayView body() const { return {Page.get() + HeaderLen, PageLen - HeaderLen}; }

private:
    /// GET/HEAD (1) or POST (2): the common start of Fetch() and Post().
    bool startRequest(int commandType, const QString &url, const QString &functionName);
    /// Builds `_Command` (and `_CommandLarge` for a long POST); false when it cannot be sent.
    bool buildCommand();
    void receivePacket();
    /// Makes room for `needed` bytes, growing geometrically but not beyond `cap`.
    bool reservePage(std::int64_t needed, std::int64_t cap);
    void refusePage(const QString &reason);
    bool sendBytes(const char *data, int length);
    void replacePage(const QByteArray &bytes);
    bool logging() const { return LoggingOn != 0; }

    bool m_redirecting = false;
    bool m_openingConnection = false;
    bool m_explicitScheme = false;
};

} // namespace pk
