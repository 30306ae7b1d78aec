#include "loopbackserver.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace pk::test {

struct LoopbackServer::Private
{
    SSL_CTX *ctx = nullptr;
    ~Private()
    {
        if (ctx)
            SSL_CTX_free(ctx);
    }
};

namespace {

/// A self-signed certificate for localhost/127.0.0.1, written to a PEM file for the client.
SSL_CTX *makeTlsContext(std::string &certFile)
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *cert = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name,
                               "CN",
                               MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("localhost"),
                               -1,
                               -1,
                               0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX v3;
    X509V3_set_ctx_nodb(&v3);
    X509V3_set_ctx(&v3, cert, cert, nullptr, nullptr, 0);
    for (const char *ext :
         {"subjectAltName=DNS:localhost,IP:127.0.0.1", "basicConstraints=critical,CA:TRUE"}) {
        const std::string text(ext);
        const auto eq = text.find('=');
        X509_EXTENSION *e = X509V3_EXT_conf(nullptr,
                                            &v3,
                                            text.substr(0, eq).c_str(),
                                            text.substr(eq + 1).c_str());
        X509_add_ext(cert, e, -1);
        X509_EXTENSION_free(e);
    }
    X509_sign(cert, key, EVP_sha256());

    char path[] = "/tmp/pk-loopback-cert-XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) {
        FILE *f = fdopen(fd, "w");
        PEM_write_X509(f, cert);
        fclose(f);
        certFile = path;
    }

    SSL_CTX *ctx = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(ctx, cert);
    SSL_CTX_use_PrivateKey(ctx, key);
    X509_free(cert);
    EVP_PKEY_free(key);
    return ctx;
}

class SocketConnection final : public LoopbackServer::Connection
{
public:
    SocketConnection(int fd,
                     SSL *ssl,
                     int index,
                     std::atomic<bool> &stopping,
                     std::function<void(const std::string &)> record,
                     std::function<void(const std::string &)> keep)
        : m_fd(fd)
        , m_ssl(ssl)
        , m_index(index)
        , m_stopping(stopping)
        , m_record(std::move(record))
        , m_keep(std::move(keep))
    {}

    std::string receive() override
    {
        char buffer[16384];
        const int n = readSome(buffer, sizeof buffer);
        if (n <= 0)
            return {};
        std::string bytes(buffer, static_cast<std::size_t>(n));
        m_keep(bytes);
        return bytes;
    }

    std::string readRequest(std::size_t body) override
    {
        std::string request;
        std::size_t headerEnd = std::string::npos;
        char buffer[16384];
        while (!m_stopping) {
            if (headerEnd == std::string::npos) {
                headerEnd = request.find("\r\n\r\n");
                if (headerEnd != std::string::npos)
                    headerEnd += 4;
            }
            if (headerEnd != std::string::npos && request.size() >= headerEnd + body)
                break;
            const int n = readSome(buffer, sizeof buffer);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        m_record(request);
        return request;
    }

    bool send(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const int n = m_ssl ? SSL_write(m_ssl, bytes.data(), static_cast<int>(bytes.size()))
                                : static_cast<int>(
                                    ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL));
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    void pause(int milliseconds) override
    {
        const auto until = std::chrono::steady_clock::now()
                           + std::chrono::milliseconds(milliseconds);
        while (!m_stopping && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    void hold() override
    {
        char buffer[4096];
        while (!m_stopping && readSome(buffer, sizeof buffer) > 0) {
        }
    }

    int index() const override { return m_index; }

private:
    /// Reads what is there, waking every 20 ms to see whether the server stops.
    int readSome(char *buffer, int size)
    {
        while (!m_stopping) {
            if (m_ssl && SSL_pending(m_ssl) > 0)
                return SSL_read(m_ssl, buffer, size);
            pollfd p{m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, 20);
            if (ready < 0)
                return -1;
            if (ready == 0)
                continue;
            if (m_ssl) {
                const int n = SSL_read(m_ssl, buffer, size);
                if (n <= 0 && SSL_get_error(m_ssl, n) == SSL_ERROR_WANT_READ)
                    continue;
                return n;
            }
            return static_cast<int>(::recv(m_fd, buffer, static_cast<std::size_t>(size), 0));
        }
        return -1;
    }

    int m_fd;
    SSL *m_ssl;
    int m_index;
    std::atomic<bool> &m_stopping;
    std::function<void(const std::string &)> m_record;
    std::function<void(const std::string &)> m_keep;
};

} // namespace

LoopbackServer::LoopbackServer(Handler handler, bool tls)
    : m_handler(std::move(handler))
    , d(std::make_unique<Private>())
{
    if (tls)
        d->ctx = makeTlsContext(m_certFile);
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0
        || ::listen(m_listener, 512) != 0)
        throw std::runtime_error("loopback server: cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer()
{
    stop();
    if (!m_certFile.empty())
        std::remove(m_certFile.c_str());
}

void LoopbackServer::stop()
{
    if (m_stopping.exchange(true))
        return;
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    ::close(m_listener);
    decltype(m_threads) threads;
    {
        std::lock_guard lock(m_mutex);
        threads.swap(m_threads);
    }
    for (auto &t : threads)
        t.first.join();
}

void LoopbackServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            continue;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const int index = m_connections++;
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::thread worker([this, fd, index, done] {
            SSL *ssl = nullptr;
            bool ok = true;
            if (d->ctx) {
                ssl = SSL_new(d->ctx);
                SSL_set_fd(ssl, fd);
                ok = SSL_accept(ssl) == 1;
            }
            if (ok) {
                SocketConnection connection(
                    fd,
                    ssl,
                    index,
                    m_stopping,
                    [this](const std::string &r) { recordRequest(r); },
                    [this](const std::string &b) { recordReceived(b); });
                m_handler(connection);
            }
            if (ssl) {
                SSL_shutdown(ssl);
                SSL_free(ssl);
            }
            ::close(fd);
            *done = true;
        });
        std::lock_guard lock(m_mutex);
        // Finished workers are joined as we go so that long runs do not pile up threads.
        for (auto it = m_threads.begin(); it != m_threads.end();) {
            if (*it->second) {
                it->first.join();
                it = m_threads.erase(it);
            } else {
                ++it;
            }
        }
        m_threads.emplace_back(std::move(worker), std::move(done));
    }
}

void LoopbackServer::recordRequest(const std::string &request)
{
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
}

std::vector<std::string> LoopbackServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackServer::recordReceived(const std::string &bytes)
{
    std::lock_guard lock(m_mutex);
    m_received += bytes;
}

std::string LoopbackServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

LoopbackServer::Handler LoopbackServer::echo()
{
    return [](Connection &c) {
        for (std::string bytes = c.receive(); !bytes.empty(); bytes = c.receive()) {
            if (!c.send(bytes))
                return;
        }
    };
}

LoopbackServer::Handler LoopbackServer::collect()
{
    return [](Connection &c) {
        while (!c.receive().empty()) {
        }
    };
}

LoopbackServer::Handler LoopbackServer::closeAtOnce()
{
    return [](Connection &) {};
}

LoopbackServer::Handler LoopbackServer::holdOpen()
{
    return [](Connection &c) { c.hold(); };
}

LoopbackServer::Handler LoopbackServer::sendAndClose(std::string bytes)
{
    return [bytes = std::move(bytes)](Connection &c) { c.send(bytes); };
}

LoopbackServer::Handler LoopbackServer::reply(std::string response, std::size_t chunk, bool close)
{
    return [response = std::move(response), chunk, close](Connection &c) {
        c.readRequest();
        if (chunk == 0) {
            c.send(response);
        } else {
            for (std::size_t pos = 0; pos < response.size(); pos += chunk) {
                if (!c.send(std::string_view(response).substr(pos, chunk)))
                    return;
                c.pause(30); // let the client see each piece as a packet of its own
            }
        }
        if (!close)
            c.hold();
    };
}

std::uint16_t LoopbackServer::closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

} // namespace pk::test
