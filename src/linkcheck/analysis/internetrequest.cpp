#include "linkcheck/analysis/internetrequest.h"

#include "net/proxysettings.h"

#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pk {

namespace {

CURLM *multiOf(void *p)
{
    return static_cast<CURLM *>(p);
}
CURL *easyOf(void *p)
{
    return static_cast<CURL *>(p);
}

/// The proxy of the desktop settings, for when no proxy variable is set (libcurl reads those
/// itself); empty for none.
QByteArray settingsProxy()
{
    for (const char *name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return {};
    }
    const ProxySettings::Lookup lookup = ProxySettings::lookup();
    if (!lookup.found)
        return {};
    const ProxySettings::Proxy proxy = ProxySettings::parse(lookup.text);
    if (proxy.host.empty())
        return {};
    return QByteArray::fromStdString(proxy.host + ':' + std::to_string(proxy.port));
}

/// The filename parameter of a Content-Disposition header value, quotes removed.
QString dispositionFileName(const QByteArray &value)
{
    const QByteArray lower = value.toLower();
    const qsizetype at = lower.indexOf("filename=");
    if (at < 0)
        return {};
    QByteArray name = value.mid(at + 9).trimmed();
    if (name.startsWith('"')) {
        const qsizetype end = name.indexOf('"', 1);
        name = name.mid(1, end < 0 ? -1 : end - 1);
    } else {
        const qsizetype end = name.indexOf(';');
        if (end >= 0)
            name = name.left(end);
    }
    return QString::fromUtf8(name.trimmed());
}

} // namespace

InternetRequest::InternetRequest(const QString &agent,
                                 const QString &url,
                                 const QByteArray &extraHeader,
                                 const FetchLimits &limits)
    : m_url(url.toUtf8())
    , m_limits(limits)
{
    m_clock.start();
    m_lastByte.start();
    m_easy = curl_easy_init();
    m_multi = curl_multi_init();
    if (!m_easy || !m_multi) {
        m_state = State::Failed;
        m_failed = true;
        return;
    }
    CURL *easy = easyOf(m_easy);
    const QByteArray agentText = agent.toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, m_url.constData());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, agentText.constData());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 60L);
    // A page announced larger than allowed is refused before its body comes.
    if (m_limits.pageBytes > 0)
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(m_limits.pageBytes));
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    // The same trust store as the program's own connections: the system's, or the one the
    // usual variables name.
    if (const char *file = std::getenv("SSL_CERT_FILE"); file && *file)
        curl_easy_setopt(easy, CURLOPT_CAINFO, file);
    if (const char *dir = std::getenv("SSL_CERT_DIR"); dir && *dir)
        curl_easy_setopt(easy, CURLOPT_CAPATH, dir);
    if (const QByteArray proxy = settingsProxy(); !proxy.isEmpty())
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.constData());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &InternetRequest::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &InternetRequest::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    if (!extraHeader.isEmpty()) {
        curl_slist *list = curl_slist_append(nullptr, extraHeader.constData());
        m_headerList = list;
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);
    }
    curl_multi_add_handle(multiOf(m_multi), easy);
}

InternetRequest::~InternetRequest()
{
    close();
}

void InternetRequest::close()
{
    if (m_multi && m_easy)
        curl_multi_remove_handle(multiOf(m_multi), easyOf(m_easy));
    if (m_easy)
        curl_easy_cleanup(easyOf(m_easy));
    if (m_multi)
        curl_multi_cleanup(multiOf(m_multi));
    if (m_headerList)
        curl_slist_free_all(static_cast<curl_slist *>(m_headerList));
    m_easy = nullptr;
    m_multi = nullptr;
    m_headerList = nullptr;
    if (!m_done)
        m_failed = true;
    m_done = true;
}

std::size_t InternetRequest::onBody(char *data, std::size_t size, std::size_t count, void *self)
{
    auto *request = static_cast<InternetRequest *>(self);
    const std::size_t bytes = size * count;
    if (request->m_limit != Limit::None)
        return 0; // ended already; libcurl may still hand over what it held
    if (request->m_buffer.size() - qsizetype(request->m_bufferStart) >= qsizetype(BufferLimit)) {
        request->m_paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    request->m_lastByte.restart();
    request->m_unpacked += qint64(bytes);
    if (!request->withinSizes())
        return 0; // ends the transfer as a write error; the limit names the reason
    if (request->m_bufferStart > 0
        && request->m_bufferStart * 2 > std::size_t(request->m_buffer.size())) {
        request->m_buffer.remove(0, qsizetype(request->m_bufferStart));
        request->m_bufferStart = 0;
    }
    request->m_buffer.append(data, qsizetype(bytes));
    if (request->m_state == State::Opening)
        request->m_state = State::Open;
    return bytes;
}

std::size_t InternetRequest::onHeader(char *data, std::size_t size, std::size_t count, void *self)
{
    auto *request = static_cast<InternetRequest *>(self);
    const std::size_t bytes = size * count;
    request->m_lastByte.restart();
    request->m_headerBytes += qint64(bytes);
    if (request->m_limits.pageBytes > 0 && request->m_headerBytes > request->m_limits.pageBytes) {
        request->reach(Limit::Page, request->m_limits.pageText());
        return 0;
    }
    const QByteArray line(data, qsizetype(bytes));
    if (line.startsWith("HTTP/")) {
        request->m_headerBlock.clear();
        request->m_contentType.clear();
    }
    if (line.toLower().startsWith("content-type:"))
        request->m_contentType = line.mid(13).trimmed();
    if (request->m_headerBlock.size() + line.size() <= MaxHeaderText)
        request->m_headerBlock.append(line);
    if (line.toLower().startsWith("content-disposition:"))
        request->m_dispositionName = dispositionFileName(line.mid(20).trimmed());
    if (line == "\r\n" || line == "\n") {
        request->m_responseText = request->m_headerBlock.trimmed();
        long code = 0;
        curl_easy_getinfo(easyOf(request->m_easy), CURLINFO_RESPONSE_CODE, &code);
        // Interim and redirect answers are followed; the final one opens the document.
        const bool interim = code >= 100 && code < 200;
        const bool redirect = code >= 300 && code < 400
                              && request->m_headerBlock.toLower().contains("\nlocation:");
        if (!interim && !redirect && request->m_state == State::Opening) {
            request->m_statusCode = request->m_url.toLower().startsWith("http") ? int(code) : 0;
            request->m_state = State::Open;
        }
    }
    return bytes;
}

void InternetRequest::collectDone()
{
    int left = 0;
    while (CURLMsg *msg = curl_multi_info_read(multiOf(m_multi), &left)) {
        if (msg->msg != CURLMSG_DONE)
            continue;
        m_done = true;
        if (msg->data.result != CURLE_OK) {
            m_failed = true;
            if (m_limit == Limit::None && msg->data.result == CURLE_FILESIZE_EXCEEDED)
                reach(Limit::Page, m_limits.pageText());
            if (m_limit == Limit::None)
                m_errorText = QString::fromUtf8(curl_easy_strerror(msg->data.result));
            // A document that opened stays open; its reads fail once what arrived is read.
            if (m_state == State::Opening)
                m_state = State::Failed;
        } else if (m_state == State::Opening) {
            m_state = State::Open;
        }
    }
}

InternetRequest::State InternetRequest::pump(int waitMs)
{
    if (!m_multi || m_done)
        return m_state;
    if (m_paused && m_buffer.size() - qsizetype(m_bufferStart) < qsizetype(BufferLimit)) {
        m_paused = false;
        // The wait was the reader's, not the server's.
        m_lastByte.restart();
        // Going on hands over what libcurl held back; a write refused there (a limit) is
        // reported here and not by the transfer.
        const CURLcode resumed = curl_easy_pause(easyOf(m_easy), CURLPAUSE_CONT);
        if (resumed != CURLE_OK || m_limit != Limit::None) {
            stop(resumed);
            return m_state;
        }
    }
    int running = 0;
    curl_multi_perform(multiOf(m_multi), &running);
    collectDone();
    if (!m_done && !m_paused && waitMs > 0) {
        curl_multi_poll(multiOf(m_multi), nullptr, 0, waitMs, nullptr);
        curl_multi_perform(multiOf(m_multi), &running);
        collectDone();
    }
    checkTimes();
    if (!m_done && m_limit != Limit::None)
        stop(CURLE_WRITE_ERROR);
    return m_state;
}

void InternetRequest::stop(int code)
{
    if (m_done || !m_multi)
        return;
    // Outside libcurl's callbacks the transfer can be taken off at once.
    curl_multi_remove_handle(multiOf(m_multi), easyOf(m_easy));
    m_done = true;
    m_failed = true;
    if (m_limit == Limit::None)
        m_errorText = QString::fromUtf8(curl_easy_strerror(CURLcode(code)));
    if (m_state == State::Opening)
        m_state = State::Failed;
}

bool InternetRequest::withinSizes()
{
    if (m_limits.unpackedBytes > 0 && m_unpacked > m_limits.unpackedBytes) {
        reach(Limit::Unpacked, m_limits.unpackedText());
        return false;
    }
    // Bytes as they came over the wire, before unpacking.
    curl_off_t received = 0;
    curl_easy_getinfo(easyOf(m_easy), CURLINFO_SIZE_DOWNLOAD_T, &received);
    if (m_limits.pageBytes > 0 && qint64(received) > m_limits.pageBytes) {
        reach(Limit::Page, m_limits.pageText());
        return false;
    }
    if (m_limits.unpackRatio > 0 && m_unpacked > FetchLimits::RatioGraceBytes
        && m_unpacked / std::max<qint64>(1, qint64(received)) >= m_limits.unpackRatio) {
        reach(Limit::Ratio, m_limits.ratioText());
        return false;
    }
    return true;
}

void InternetRequest::checkTimes()
{
    if (m_done || !m_multi)
        return;
    if (m_limits.requestSeconds > 0 && m_clock.elapsed() > qint64(m_limits.requestSeconds) * 1000)
        reach(Limit::RequestTime, m_limits.requestTimeText());
    else if (m_limits.silenceSeconds > 0 && !m_paused
             && m_lastByte.elapsed() > qint64(m_limits.silenceSeconds) * 1000)
        reach(Limit::Silence, m_limits.silenceText());
    else
        return;
    stop(CURLE_OPERATION_TIMEDOUT);
}

void InternetRequest::reach(Limit limit, const QString &text)
{
    if (m_limit != Limit::None)
        return;
    m_limit = limit;
    m_errorText = text;
}

InternetRequest::Read InternetRequest::read(char *buffer, std::size_t size, std::size_t &got)
{
    got = 0;
    const std::size_t available = std::size_t(m_buffer.size()) - m_bufferStart;
    if (available > 0) {
        got = std::min(size, available);
        if (got > 0) // a caller may ask with no buffer at all
            std::memcpy(buffer, m_buffer.constData() + m_bufferStart, got);
        m_bufferStart += got;
        if (m_bufferStart == std::size_t(m_buffer.size())) {
            m_buffer.resize(0);
            m_bufferStart = 0;
        }
        return Read::Data;
    }
    if (m_failed)
        return Read::Failed;
    if (m_done)
        return Read::End;
    return Read::Pending;
}

QString InternetRequest::dataFileName() const
{
    if (!m_dispositionName.isEmpty())
        return m_dispositionName;
    QByteArray effective = m_url;
    if (m_easy) {
        char *last = nullptr;
        if (curl_easy_getinfo(easyOf(m_easy), CURLINFO_EFFECTIVE_URL, &last) == CURLE_OK && last)
            effective = last;
    }
    const QString path = QUrl(QString::fromUtf8(effective)).path(QUrl::FullyDecoded);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace pk
