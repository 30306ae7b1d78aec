#include "net/netwebclient.h"

#include "net/httpresponse.h"
#include "net/netlibrary.h"
#include "net/proxysettings.h"
#include "net/weburl.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pk {

namespace {

const QString FnFetch = QStringLiteral("NetWebClient.Fetch");
const QString FnPost = QStringLiteral("NetWebClient.Post");
const QString FnOpen = QStringLiteral("NetWebClient.Open");
const QString FnProcess = QStringLiteral("NetWebClient.Process");
const QString FnSendCommand = QStringLiteral("NetWebClient._SendCommand");
const QString FnCallPageReceived = QStringLiteral("NetWebClient._CallPageReceived");
const QString FnSavePage = QStringLiteral("NetWebClient.SavePage");

constexpr int MaxCookieLength = 1024;
/// Room left for the request line in front of a POST body that goes in one packet.
constexpr int RequestLineRoom = 2052;

/// A text property as it goes on the wire: without trailing blanks, UTF-8.
QByteArray wire(const QString &value)
{
    qsizetype end = value.size();
    while (end > 0 && value.at(end - 1) == QLatin1Char(' '))
        --end;
    return value.left(end).toUtf8();
}

bool isBlank(const QString &value)
{
    return wire(value).isEmpty();
}

QString fromStd(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string toStd(const QString &text)
{
    return text.toUtf8().toStdString();
}

/// A redirect target the client may follow: an http or https address, or one without a
/// scheme of its own (GetURL() makes it http). "file:", "ftp:" and the like are not.
bool isWebTarget(const QString &target)
{
    const qsizetype colon = target.indexOf(QLatin1Char(':'));
    if (colon < 1)
        return true;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = target.at(i);
        const bool schemeChar = c.unicode() < 128
                                && (c.isLetter()
                                    || (i > 0
                                        && (c.isDigit() || c == QLatin1Char('+')
                                            || c == QLatin1Char('-') || c == QLatin1Char('.'))));
        if (!schemeChar)
            return true; // no scheme: a relative address
    }
    const QString scheme = target.left(colon).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

void NetWebClient::PageDeleter::operator()(char *page) const
{
    std::free(page);
}

NetWebClient::NetWebClient(UserInterface *userInterface)
    : NetSimple(userInterface)
{}

NetWebClient::~NetWebClient() = default;

void NetWebClient::Init(int /*mode*/)
{
    Log(QStringLiteral("Called"), QStringLiteral("NetWebClient.Init"));
    CanUseProxy = 1;
    _MinPageLen = 65536;
    HeaderOnly = 0;
    _HTTPVersion = QStringLiteral("HTTP/1.0");
    SetAllHeadersDefault();
    NetSimple::Init(0);
}

void NetWebClient::SetAllHeadersDefault()
{
    DontErrorTrapInSendIfConnectionClosed = 1;
    Accept_ = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    Referer.clear();
    AcceptLanguage = QStringLiteral("en");
    ContentType.clear();
    AcceptEncoding.clear();
    IfModifiedSince.clear();
    IfNoneMatch.clear();
    UserAgent = QStringLiteral(
        "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 1.1.4322)");
    ContentLength = 0;
    Pragma_.clear();
    CacheControl.clear();
    Cookie.clear();
    ProxyConnectionKeepAlive = 1;
    ConnectionKeepAlive = 1;
    SSL = 0;
}

void NetWebClient::Kill()
{
    Log(QStringLiteral("Called"), QStringLiteral("NetWebClient.Kill"));
    _CommandLarge = QByteArray();
    NetSimple::Kill();
    Free();
}

void NetWebClient::PageReceived() {}

// --- URLs -------------------------------------------------------------------------------

QString NetWebClient::GetURL(const QString &url)
{
    const QString fn = QStringLiteral("NetWebClient.GetURL");
    Log(QStringLiteral("Called p_Url = [") + url + QStringLiteral("]"), fn);
    const QString result = fromStd(WebUrl::normalise(toStd(url)));
    Log(QStringLiteral("Returning ourURL = [") + result + QStringLiteral("]"), fn);
    return result;
}

void NetWebClient::_HostFromURL(const QString &url, QString &host, int &port)
{
    const auto result = WebUrl::hostFromUrl(toStd(url), SSL != 0);
    host = fromStd(result.host);
    port = result.port;
}

void NetWebClient::_SetSSLFromURL()
{
    // An explicit scheme decides; a bare host name leaves the owner's choice in place.
    if (WebUrl::isSecure(toStd(_CommandURL)))
        SSL = 1;
    else if (m_explicitScheme)
        SSL = 0;
}

QString NetWebClient::_EncodeURL(const QString &text)
{
    return fromStd(WebUrl::encode(toStd(text)));
}

QString NetWebClient::_DecodeURL(const QString &text)
{
    return fromStd(WebUrl::decode(toStd(text)));
}

QString NetWebClient::_FormField(int n, const QByteArray &formData)
{
    if (n < 1)
        return {};
    const QList<QByteArray> fields = formData.split('&');
    if (n > fields.size())
        return {};
    const QByteArray &field = fields.at(n - 1);
    return _DecodeURL(
        QString::fromUtf8(field.left(field.indexOf('=') < 0 ? field.size() : field.indexOf('='))));
}

QString NetWebClient::_FormValue(const QString &name, const QByteArray &formData)
{
    for (const QByteArray &field : formData.split('&')) {
        const qsizetype equals = field.indexOf('=');
        const QByteArray fieldName = equals < 0 ? field : field.left(equals);
        if (_DecodeURL(QString::fromUtf8(fieldName)).compare(name, Qt::CaseInsensitive) == 0)
            return equals < 0 ? QString() : _DecodeURL(QString::fromUtf8(field.mid(equals + 1)));
    }
    return {};
}

// --- Starting a request -------------------------------------------------------------------

void NetWebClient::Fetch(const QString &url)
{
    Log(QStringLiteral("Fetch called on ") + url, FnFetch);
    Error = 0;
    _LastURLRequested = url;
    if (!m_redirecting)
        _RedirectCount = 0;
    _PostData.clear();
    startRequest(1, url, FnFetch);
}

void NetWebClient::Post(const QString &url, const QByteArray &data)
{
    Log(QStringLiteral("Post called on ") + url, FnPost);
    Error = 0;
    _LastURLRequested = url;
    _RedirectCount = 0;
    if (data.size() > MaxPostLen) {
        Error = NetErrInvalidSize;
        ErrorTrap(QStringLiteral("Trying to send too much data"), FnPost);
        return;
    }
    _PostData = data;
    startRequest(2, url, FnPost);
}

bool NetWebClient::startRequest(int commandType, const QString &url, const QString &functionName)
{
    const QString trimmed = QString::fromUtf8(wire(url));
    m_explicitScheme = trimmed.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
                       || trimmed.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive);
    _CommandURL = GetURL(url);
    _SetSSLFromURL();
    if (isBlank(_CommandURL)) {
        Log(QStringLiteral("No Server specified"), functionName);
        Error = NetErrNoServers;
        ErrorTrap(QStringLiteral("The URL for the Fetch command was blank"), functionName);
        return false;
    }

    QString host;
    int port = 0;
    _HostFromURL(_CommandURL, host, port);

    if (OpenFlag)
        Abort();

    Host = host;
    _HostServer = host;
    _HostPort = port;
    std::memset(&Packet, 0, sizeof Packet);
    _CommandType = commandType;
    if (!buildCommand())
        return false;

    // A fresh response. The old buffer is kept for reuse; only what was in use is blanked.
    if (Page && PageLen > 0)
        std::memset(Page.get(), ' ', std::size_t(PageLen));
    PageLen = 0;
    HeaderLen = 0;
    _NoHeaderYet = 1;
    _FirstPacket = 1;
    Busy = 1;
    _PageContentLen = 0;
    _PageContentLenKnown = 0;
    _PageGrowths = 0;
    ServerResponse = 0;

    if (AsyncOpenBusy)
        Abort();
    if (AsyncOpenTimeOut == 0)
        AsyncOpenTimeOut = 900;
    Open(host, std::uint16_t(port));
    return true;
}

bool NetWebClient::buildCommand()
{
    _Command = _CreateRequestHeader(_HostPort);
    _UseCommandLarge = 0;
    _CommandLarge = QByteArray();
    if (_CommandType != 2)
        return true;

    const QByteArray end = QByteArrayLiteral("\r\n\r\n");
    if (_PostData.size() + _Command.size() + RequestLineRoom > NetMaxBinData) {
        try {
            QByteArray large;
            large.reserve(_Command.size() + _PostData.size() + end.size());
            large.append(_Command).append(_PostData).append(end);
            _CommandLarge = std::move(large);
        } catch (const std::bad_alloc &) {
            Error = NetErrNoMemory;
            ErrorTrap(QStringLiteral("Error. Could not allocate memory for self._CommandLarge"),
                      FnPost);
            return false;
        }
        _UseCommandLarge = 1;
    } else {
        _Command.append(_PostData).append(end);
    }
    return true;
}

QByteArray NetWebClient::_RequestLine(const QByteArray &method)
{
    if (method.isEmpty() || isBlank(_CommandURL))
        return {};
    const std::string target = WebUrl::requestTarget(toStd(_CommandURL), _ProxyUsed != 0);
    return method + QByteArray::fromStdString(target) + ' ' + wire(_HTTPVersion);
}

QByteArray NetWebClient::_CreateRequestHeader(int port)
{
    QByteArray block;
    const auto line = [&block](const char *name, const QString &value) {
        const QByteArray bytes = wire(value);
        if (!bytes.isEmpty())
            block.append("\r\n").append(name).append(bytes);
    };
    line("Accept: ", Accept_);
    line("Referer: ", Referer);
    line("Accept-Language: ", AcceptLanguage);
    line("Authorization: ", Authorization);
    line("Content-Type: ", ContentType);
    line("Accept-Encoding: ", AcceptEncoding);
    line("If-Modified-Since: ", IfModifiedSince);
    line("If-None-Match: ", IfNoneMatch);
    line("User-Agent: ", UserAgent);
    if (!isBlank(Host)) {
        block.append("\r\nHost: ").append(wire(Host));
        if (port != 80 && port != 0)
            block.append(':').append(QByteArray::number(port));
    }
    // A POST must say how long its body is, or the server cannot tell where it ends.
    const qsizetype length = ContentLength != 0 ? ContentLength
                                                : (_CommandType == 2 ? _PostData.size() : 0);
    if (length != 0)
        block.append("\r\nContent-Length: ").append(QByteArray::number(length));
    line("Pragma: ", Pragma_);
    line("Cache-Control: ", CacheControl);
    line("Cookie: ", Cookie);
    if (_ProxyUsed) {
        if (ProxyConnectionKeepAlive)
            block.append("\r\nProxy-Connection: Keep-Alive");
    } else if (ConnectionKeepAlive) {
        block.append("\r\nConnection: Keep-Alive");
    }
    block.append("\r\n\r\n");
    if (block.size() > NetMaxBinData)
        block.truncate(NetMaxBinData);
    return block;
}

// --- Opening the connection ---------------------------------------------------------------

void NetWebClient::Open(const QString &server, std::uint16_t port)
{
    Log(QStringLiteral("Called"), FnOpen);
    if (port == 0)
        port = 80;

    bool useProxy = false;
    QString proxyHost;
    int proxyPort = 0;
    if (CanUseProxy == 1 && SSL) {
        // The proxy settings name a plain HTTP proxy; a secure request goes to the server.
        Log(QStringLiteral("Secure connection: the HTTP proxy is not used."), FnOpen);
    } else if (CanUseProxy == 1) {
        if (!isBlank(ProxyServer)) {
            useProxy = true;
            proxyHost = QString::fromUtf8(wire(ProxyServer));
            proxyPort = ProxyPort ? ProxyPort : 80;
        } else {
            const ProxySettings::Lookup found = ProxySettings::lookup();
            if (found.found) {
                const ProxySettings::Proxy proxy = ProxySettings::parse(found.text);
                for (const std::string &line : proxy.log)
                    Log(fromStd(line), FnOpen);
                useProxy = !proxy.host.empty();
                proxyHost = fromStd(proxy.host);
                proxyPort = proxy.port;
            }
            if (!useProxy) {
                Log(found.enableNonZero
                        ? QStringLiteral("Proxy settings not found in registry. Will try open "
                                         "connection directly.")
                        : QStringLiteral("Internet Explorer Settings are not setup to use a Proxy "
                                         "server. Will try open connection directly."),
                    FnOpen);
            }
        }
    }

    if (OpenFlag || AsyncOpenBusy) {
        const bool sameTarget = (_CurrentServer == server && _CurrentPort == port)
                                || (useProxy && _CurrentServer == proxyHost
                                    && _CurrentPort == proxyPort);
        if (sameTarget) {
            Log(QStringLiteral("Already connected. No need to reconnect. Server = ")
                    + _CurrentServer + QLatin1Char(':') + QString::number(_CurrentPort),
                FnOpen);
            return;
        }
        Abort();
    }

    _ProxyUsed = useProxy ? 1 : 0;
    _ProxyServer = useProxy ? proxyHost : QString();
    _ProxyPort = useProxy ? proxyPort : 0;
    _HostServer = server;
    _HostPort = port;

    _OpenConnection();
    if (OpenFlag || AsyncOpenBusy) {
        if (_ProxyUsed) {
            ProxyServer = _ProxyServer;
            ProxyPort = std::uint16_t(_ProxyPort);
        }
        _ConnectingOkay();
        return;
    }
    if (!_HandleAsyncOpenFailed()) {
        // Neither the proxy nor the server could be reached at once; the owner must hear of
        // it, as the suppressed message of the open itself reached only the log.
        const int error = Error;
        Error = error ? error : NetErrCouldNotOpen;
        NetSimple::_CallErrorTrap(QStringLiteral("The requested connection could not be opened."),
                                  FnOpen);
    }
}

void NetWebClient::_OpenConnection()
{
    const QString target = _ProxyUsed ? _ProxyServer : _HostServer;
    const int port = _ProxyUsed ? _ProxyPort : _HostPort;
    _CurrentServer = target;
    _CurrentPort = port;
    const int suppress = SuppressErrorMsg;
    SuppressErrorMsg = 1;
    m_openingConnection = true;
    NetSimple::Open(target, std::uint16_t(port));
    m_openingConnection = false;
    SuppressErrorMsg = suppress;
}

void NetWebClient::_ConnectingOkay()
{
    const QString fn = QStringLiteral("NetWebClient._ConnectingOkay");
    const QString target = _CurrentServer + QLatin1Char(':') + QString::number(_CurrentPort)
                           + QLatin1Char(')');
    if (AsyncOpenBusy) {
        Log((_ProxyUsed ? QStringLiteral("Connecting (asynchronously) to Proxy Server (")
                        : QStringLiteral("Connecting (asynchronously) to directly to Web Server ("))
                + target,
            fn);
    } else {
        Log((_ProxyUsed ? QStringLiteral("Connected to Proxy Server (")
                        : QStringLiteral("Connected to directly to Web Server ("))
                + target,
            fn);
    }
}

bool NetWebClient::_HandleAsyncOpenFailed()
{
    const QString fn = QStringLiteral("NetWebClient._HandleAsyncOpenFailed");
    const QString web = _HostServer + QLatin1Char(':') + QString::number(_HostPort);
    if (_ProxyUsed) {
        Log(QStringLiteral("Could not open proxy, will try open connection directly."), fn);
        _ProxyUsed = 0;
        _OpenConnection();
        if (OpenFlag || AsyncOpenBusy) {
            _ConnectingOkay();
            return true;
        }
        Log(QStringLiteral("(2) Could not connect via Proxy or directly to Web Server ") + web, fn);
    } else {
        Log(QStringLiteral("Could not connect directly to Web Server ") + web, fn);
    }
    _CurrentServer.clear();
    _CurrentPort = 0;
    return false;
}

void NetWebClient::_CallErrorTrap(const QString &errorText, const QString &functionName)
{
    if (m_openingConnection) {
        // An open that fails at once is only logged here: the proxy fallback may still
        // succeed, and Open() reports once when it does not.
        Log(QStringLiteral("Error = ") + QString::number(Error) + QStringLiteral(" = ") + errorText
                + QStringLiteral(" : ") + InterpretError() + QStringLiteral(" Function = ")
                + functionName + QStringLiteral(" Server = ") + _CurrentServer
                + QStringLiteral(" Port = ") + QString::number(_CurrentPort),
            functionName,
            NetLogError);
        return;
    }
    if (Error == NetErrOpenFailed && functionName == QLatin1String("NetSimple.TakeEvent")) {
        const int error = Error;
        if (_HandleAsyncOpenFailed())
            return;
        Error = error;
    }
    NetSimple::_CallErrorTrap(errorText, functionName);
}

// --- Sending ------------------------------------------------------------------------------

bool NetWebClient::sendBytes(const char *data, int length)
{
    std::memcpy(Packet.BinData, data, std::size_t(length));
    Packet.BinDataLen = length;
    Send();
    return Error == 0;
}

void NetWebClient::_SendCommand()
{
    // The block was built before the connection kind was known; build it for this one.
    if (!buildCommand()) {
        Abort();
        return;
    }
    QByteArray method;
    if (_CommandType == 1)
        method = HeaderOnly ? QByteArrayLiteral("HEAD ") : QByteArrayLiteral("GET ");
    else if (_CommandType == 2)
        method = QByteArrayLiteral("POST ");
    const QByteArray line = _RequestLine(method);
    if (line.isEmpty()) {
        Abort();
        ErrorTrap(QStringLiteral("Invalid Data to Send (in tempString)"), FnSendCommand);
        return;
    }

    if (_UseCommandLarge) {
        Log(QStringLiteral("Sending Large Multi-Packet command"), FnSendCommand);
        if (_CommandLarge.isEmpty()) {
            Abort();
            ErrorTrap(QStringLiteral("Invalid Data to Send"), FnSendCommand);
            return;
        }
        const qsizetype firstPart = std::min<qsizetype>(NetMaxBinData - line.size(),
                                                        _CommandLarge.size());
        QByteArray first = line;
        first.append(_CommandLarge.constData(), firstPart);
        bool ok = sendBytes(first.constData(), int(first.size()));
        for (qsizetype pos = firstPart; ok && pos < _CommandLarge.size(); pos += NetMaxBinData) {
            const qsizetype n = std::min<qsizetype>(NetMaxBinData, _CommandLarge.size() - pos);
            ok = sendBytes(_CommandLarge.constData() + pos, int(n));
        }
        _CommandLarge = QByteArray();
        _UseCommandLarge = 0;
        return;
    }

    QByteArray request = line + _Command;
    if (request.size() > NetMaxBinData)
        request.truncate(NetMaxBinData);
    while (!request.isEmpty() && request.endsWith(' '))
        request.chop(1);
    if (request.isEmpty()) {
        Abort();
        ErrorTrap(QStringLiteral("Invalid Data to Send"), FnSendCommand);
        return;
    }
    sendBytes(request.constData(), int(request.size()));
}

// --- Receiving ----------------------------------------------------------------------------

void NetWebClient::Process()
{
    switch (Packet.PacketType) {
    case NetPacketOpenSucceeded:
        Log(QStringLiteral("Async Open Successful"), FnProcess);
        _SendCommand();
        break;
    case NetPacketIdle:
        Log(QStringLiteral("Idle Connection"), FnProcess);
        Abort();
        // A connection kept open after a finished page idles out quietly; only a request
        // still waiting for its answer has timed out.
        if (Busy) {
            Error = NetErrIdle;
            ErrorTrap(QStringLiteral("Connection Timed Out"), FnProcess);
        }
        break;
    case NetPacketData:
        if (logging())
            Log(QStringLiteral("Packet Received"), FnProcess);
        receivePacket();
        break;
    default:
        break;
    }
}

bool NetWebClient::MoreMemoryForPage()
{
    if (_ExpectedPageLen < _MinPageLen)
        _ExpectedPageLen = _MinPageLen;
    if (_ExpectedPageLen - _AllocatedPageLen < _MinPageLen)
        _ExpectedPageLen += _MinPageLen;
    const auto size = std::size_t(_ExpectedPageLen);
    if (Page && PageLen > 0 && !_FirstPacket) {
        // Large blocks are moved by remapping their pages, so growing costs no copy.
        char *grown = static_cast<char *>(std::realloc(Page.get(), size));
        if (!grown)
            return false;
        (void) Page.release();
        Page.reset(grown);
    } else {
        Page.reset();
        Page.reset(static_cast<char *>(std::malloc(size)));
        if (!Page) {
            _AllocatedPageLen = 0;
            return false;
        }
    }
    _AllocatedPageLen = _ExpectedPageLen;
    ++_PageGrowths;
    return true;
}

bool NetWebClient::reservePage(std::int64_t needed, std::int64_t cap)
{
    if (needed <= _AllocatedPageLen)
        return true;
    // Doubling keeps the copying linear in the page size; `cap` stops it at a known end.
    std::int64_t size = std::max({needed, _AllocatedPageLen * 2, _MinPageLen});
    if (size - _AllocatedPageLen < _MinPageLen)
        size += _MinPageLen;
    _ExpectedPageLen = std::min(size, std::max(cap, needed));
    return MoreMemoryForPage();
}

void NetWebClient::refusePage(const QString &reason)
{
    Log(reason, FnProcess, NetLogError);
    Abort();
    // Data after a delivered page only ends the connection; a request still waiting fails.
    if (!Busy)
        return;
    Busy = 0;
    Error = NetErrNoMemory;
    ErrorTrap(reason, FnProcess);
}

void NetWebClient::receivePacket()
{
    const int length = std::clamp(Packet.BinDataLen, 0, NetMaxBinData);
    const char *data = Packet.BinData;

    if (_FirstPacket && _NoHeaderYet && length > 4
        && !WebUrl::startsWithNoCase(std::string_view(data, std::size_t(length)), "http/")) {
        _NoHeaderYet = 0;
        HeaderLen = 0;
    }

    // Room for this packet, and for the rest of the page when its length was announced. The
    // announced length is trusted only so far; beyond that the buffer follows the data.
    const std::int64_t needed = PageLen + length;
    if (needed > MaxPageLen) {
        refusePage(QStringLiteral("The page is larger than the largest page allowed (")
                   + QString::number(MaxPageLen) + QStringLiteral(" bytes)"));
        return;
    }
    std::int64_t cap = MaxPageLen;
    if (_PageContentLenKnown && !HeaderOnly && needed <= _PageContentLen + HeaderLen)
        cap = _PageContentLen + HeaderLen;
    if (!reservePage(needed, cap)) {
        refusePage(QStringLiteral("Error. Insufficient memory to store web page."));
        return;
    }
    std::memcpy(Page.get() + PageLen, data, std::size_t(length));
    const std::int64_t oldLen = PageLen;
    PageLen += length;
    _FirstPacket = 0;

    if (_NoHeaderYet) {
        const std::size_t from = std::size_t(std::max<std::int64_t>(0, oldLen - 3));
        const std::size_t end
            = HttpResponse::headerEnd(std::string_view(Page.get(), std::size_t(PageLen)), from);
        if (end > 0) {
            HeaderLen = std::int64_t(end);
            _NoHeaderYet = 0;
            std::int64_t announced = 0;
            if (HttpResponse::contentLength(std::string_view(Page.get(), end), announced)) {
                _PageContentLen = announced;
                _PageContentLenKnown = 1;
                if (!HeaderOnly && !OptionStopAfterHeader) {
                    if (announced > MaxPageLen - HeaderLen) {
                        refusePage(QStringLiteral("The page is larger than the largest page "
                                                  "allowed (")
                                   + QString::number(MaxPageLen) + QStringLiteral(" bytes)"));
                        return;
                    }
                    const std::int64_t total = announced + HeaderLen;
                    const std::int64_t reserve = std::min(total,
                                                          std::max(PageLen, MaxTrustedContentLen));
                    if (!reservePage(reserve, reserve)) {
                        refusePage(QStringLiteral("Error. Insufficient memory to store web page."));
                        return;
                    }
                }
            }
        }
    }

    bool complete = false;
    const auto state = [this] {
        return QStringLiteral("_PageContentLen = ") + QString::number(_PageContentLen)
               + QStringLiteral(" PageLen = ") + QString::number(PageLen)
               + QStringLiteral(" HeaderLen = ") + QString::number(HeaderLen);
    };
    if (HeaderOnly || OptionStopAfterHeader) {
        complete = !_NoHeaderYet;
        if (logging())
            Log(state(), FnProcess);
    } else if (_PageContentLenKnown) {
        complete = !_NoHeaderYet && PageLen >= _PageContentLen + HeaderLen;
        if (logging())
            Log(state(), FnProcess);
    } else if (OptionFinishOnEndHTMLTag) {
        const std::string_view all(Page.get(), std::size_t(PageLen));
        complete = HttpResponse::endsWithHtmlEndTag(all);
        if (logging()) {
            const std::string_view last = all.substr(all.size()
                                                     - std::min<std::size_t>(7, all.size()));
            Log(state() + QStringLiteral(" Last 7 chars = [")
                    + QString::fromUtf8(last.data(), qsizetype(last.size())) + QStringLiteral("]"),
                FnProcess);
        }
    } else if (logging()) {
        Log(state()
                + QStringLiteral(" Will need a close connection to determine if the page has "
                                 "finished."),
            FnProcess);
    }

    if (complete && Busy == 1) {
        Busy = 0;
        Log(QStringLiteral("About to call self._CallPageReceived(). PageLen = ")
                + QString::number(PageLen),
            FnProcess);
        _CallPageReceived();
    }
}

void NetWebClient::ConnectionClosed()
{
    const QString fn = QStringLiteral("NetWebClient.ConnectionClosed");
    if (Busy != 1)
        return;
    Busy = 0;
    if (PageLen == 0) {
        Log(QStringLiteral("Warning. About to call ErrorTrap as Connection closed, but PageLen = 0 "
                           "(ERROR:NoDataReceived)"),
            fn);
        Error = NetErrNoData;
        ErrorTrap(QStringLiteral("Connection closed before any data was received"), fn);
        return;
    }
    if (!HeaderOnly && _PageContentLenKnown && !_NoHeaderYet
        && PageLen < _PageContentLen + HeaderLen) {
        // The server announced more than it sent: a cut page is not a received page.
        Error = NetErrDataTooShort;
        ErrorTrap(QStringLiteral("Connection closed before the whole page was received (")
                      + QString::number(PageLen - HeaderLen) + QStringLiteral(" of ")
                      + QString::number(_PageContentLen) + QStringLiteral(" bytes)"),
                  fn);
        return;
    }
    _CallPageReceived();
}

QString NetWebClient::_GetHeaderField(const QString &name, int n)
{
    if (HeaderLen < 2 || HeaderLen > PageLen || !Page)
        return {};
    return fromStd(
        HttpResponse::field(std::string_view(Page.get(), std::size_t(HeaderLen)), toStd(name), n));
}

void NetWebClient::_CallPageReceived()
{
    ServerResponse = 0;
    if (HeaderLen > 0 && Page)
        ServerResponse = HttpResponse::statusCode(
            std::string_view(Page.get(), std::size_t(HeaderLen)));

    if (ServerResponse > 300 && ServerResponse < 400 && !OptionDontRedirect && !HeaderOnly
        && !OptionStopAfterHeader && _CommandType == 1) {
        _TempRedirectURL = _GetHeaderField(QStringLiteral("Location: "));
        if (!OptionDontSetCookieOnRedirect) {
            Cookie += _GetHeaderField(QStringLiteral("Set-Cookie: "));
            if (Cookie.size() > MaxCookieLength)
                Cookie.truncate(MaxCookieLength);
            if (Cookie.endsWith(QStringLiteral("path=/"), Qt::CaseInsensitive))
                Cookie.chop(6);
        }
        if (!isBlank(_TempRedirectURL) && _TempRedirectURL != _LastURLRequested) {
            const QString target = fromStd(
                WebUrl::resolveRedirect(toStd(_CommandURL), toStd(_TempRedirectURL)));
            if (target != _LastURLRequested && !isWebTarget(target)) {
                // A web page does not send the client to a file or another protocol: the
                // redirecting answer is delivered as it is.
                Log(QStringLiteral("Not following a redirect (") + QString::number(ServerResponse)
                        + QStringLiteral(") to an address that is not http or https: ") + target,
                    FnCallPageReceived,
                    NetLogError);
            } else if (target != _LastURLRequested) {
                if (_RedirectCount >= MaxRedirects) {
                    // A chain that comes back to an earlier address would run for ever.
                    Log(QStringLiteral("Too many redirects, not following (")
                            + QString::number(ServerResponse) + QStringLiteral(") to ") + target,
                        FnCallPageReceived,
                        NetLogError);
                    if (OpenFlag || AsyncOpenBusy)
                        Abort();
                    Error = NetErrCouldNotOpen;
                    ErrorTrap(QStringLiteral("Too many redirects (more than ")
                                  + QString::number(MaxRedirects)
                                  + QStringLiteral("), the last one to ") + target,
                              FnCallPageReceived);
                    return;
                }
                ++_RedirectCount;
                Log(QStringLiteral("About to redirect (") + QString::number(ServerResponse)
                        + QStringLiteral(") to ") + target,
                    FnCallPageReceived);
                if (OpenFlag || AsyncOpenBusy)
                    Abort();
                m_redirecting = true;
                Fetch(target);
                m_redirecting = false;
                return;
            }
        }
    }

    Log(QStringLiteral("About to call self.PageReceived(). PageLen = ") + QString::number(PageLen)
            + QStringLiteral(" ServerResponse = ") + QString::number(ServerResponse),
        FnCallPageReceived);
    PageReceived();
}

// --- The page afterwards ------------------------------------------------------------------

void NetWebClient::Free()
{
    Page.reset();
    PageLen = 0;
    HeaderLen = 0;
    _AllocatedPageLen = 0;
    _ExpectedPageLen = 0;
}

void NetWebClient::SavePage(const QString &fileName)
{
    BytesWritten = 0;
    const std::int64_t bodyLen = PageLen - HeaderLen;
    if (!Page || bodyLen <= 0) {
        Error = NetErrDataTooShort;
        ErrorTrap(QStringLiteral("There is no data to save"), FnSavePage);
        return;
    }
    QFile file(fileName);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        const qint64 written = file.write(Page.get() + HeaderLen, bodyLen);
        ok = written == bodyLen && file.flush();
        BytesWritten = std::max<qint64>(written, 0);
        file.close();
        ok = ok && file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        Error = NetErrFileAccess;
        ErrorTrap(QStringLiteral("Could not save the page to disk"), FnSavePage);
        return;
    }
    Error = 0;
}

void NetWebClient::replacePage(const QByteArray &bytes)
{
    if (bytes.size() > _AllocatedPageLen || !Page) {
        _ExpectedPageLen = bytes.size();
        _FirstPacket = 1; // nothing to keep
        const bool ok = MoreMemoryForPage();
        _FirstPacket = 0;
        if (!ok) {
            Log(QStringLiteral("Error. Insufficient memory to store web page."),
                QStringLiteral("NetWebClient.TextOnly"),
                NetLogError);
            return;
        }
    }
    std::memcpy(Page.get(), bytes.constData(), std::size_t(bytes.size()));
    PageLen = bytes.size();
}

void NetWebClient::_RemoveBlocks(const QByteArray &start, const QByteArray &end)
{
    const QByteArray text(Page.get(), PageLen);
    QByteArray result;
    result.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(start, pos);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(end, open + start.size());
        if (close < 0)
            break;
        result.append(text.constData() + pos, open - pos);
        pos = close + end.size();
    }
    result.append(text.constData() + pos, text.size() - pos);
    replacePage(result);
}

void NetWebClient::_CollapseWhitespace()
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    QByteArray result;
    result.reserve(PageLen);
    for (std::int64_t i = 0; i < PageLen;) {
        const char c = Page[std::size_t(i)];
        if (!isSpace(c)) {
            result.append(c);
            ++i;
            continue;
        }
        while (i < PageLen && isSpace(Page[std::size_t(i)]))
            ++i;
        if (c == ' ')
            result.append(' ');
        else if (c == '\t')
            result.append('\t');
        else
            result.append("\r\n");
    }
    replacePage(result);
}

void NetWebClient::_ReplaceNbsp()
{
    QByteArray text(Page.get(), PageLen);
    text.replace("&nbsp;", " ");
    replacePage(text);
}

void NetWebClient::TextOnly()
{
    if (!Page)
        return;
    if (HeaderLen > 0 && HeaderLen <= PageLen) {
        std::memmove(Page.get(), Page.get() + HeaderLen, std::size_t(PageLen - HeaderLen));
        PageLen -= HeaderLen;
        HeaderLen = 0;
    }
    _RemoveBlocks(QByteArrayLiteral("<style"), QByteArrayLiteral("</style>"));
    _RemoveBlocks(QByteArrayLiteral("<script"), QByteArrayLiteral("</script>"));
    _RemoveBlocks(QByteArrayLiteral("<"), QByteArrayLiteral(">"));
    _CollapseWhitespace();
    _ReplaceNbsp();
}

void NetWebClient::AnsiToUnicode()
{
    if (!Page)
        return;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(QByteArrayView(Page.get(), PageLen));
    if (decoder.hasError()) {
        Log(QStringLiteral("Warning. Could not convert from Ansi To Unicode."),
            QStringLiteral("NetWebClient.AnsiToUnicode"));
        return;
    }
    replacePage(QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
    HeaderLen = 0;
}

void NetWebClient::UnicodeToAnsi()
{
    if (!Page)
        return;
    QByteArrayView bytes(Page.get(), PageLen);
    if (bytes.size() >= 2 && quint8(bytes[0]) == 0xFF && quint8(bytes[1]) == 0xFE)
        bytes = bytes.sliced(2);
    QStringDecoder decoder(QStringDecoder::Utf16LE);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.size() % 2 != 0) {
        Log(QStringLiteral("Warning. Could not convert from UnicodeCString To CString."),
            QStringLiteral("NetWebClient.UnicodeToAnsi"));
        return;
    }
    replacePage(text.toUtf8());
    HeaderLen = 0;
}

} // namespace pk
