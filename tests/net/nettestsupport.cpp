#include "nettestsupport.h"

#include "net/netlibrary.h"

#include <QDir>
#include <QTemporaryDir>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace pk::test {

using asio::ip::tcp;

EventPump::EventPump()
{
    m_thread = NetRegisterPoster(&m_poster);
}

EventPump::~EventPump()
{
    NetUnregisterPoster(m_thread);
}

void EventPump::dispatch(int event)
{
    m_dispatched.push_back(event);
    for (NetSimple *object : m_objects)
        object->TakeEvent(event);
}

bool EventPump::runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return done();
        if (const auto event = m_poster.take(std::min(left, std::chrono::milliseconds(50))))
            dispatch(*event);
    }
    return true;
}

void EventPump::runFor(std::chrono::milliseconds duration)
{
    runUntil([] { return false; }, duration);
}

void RecordingClient::Process()
{
    processed.push_back(Packet.PacketType);
    processedIds.push_back(Packet.SockID);
    if (Packet.PacketType == NetPacketData)
        received.append(Packet.BinData, Packet.BinDataLen);
}

void RecordingClient::ConnectionClosed()
{
    ++closedCount;
}

void RecordingClient::ErrorTrap(const QString &errorText, const QString &functionName)
{
    ++trapCount;
    trapText = errorText;
    trapFunction = functionName;
    trapError = Error;
    NetSimple::ErrorTrap(errorText, functionName);
}

bool RecordingClient::sendBytes(const QByteArray &data)
{
    std::memset(Packet.BinData, 0, sizeof(Packet.BinData));
    std::memcpy(Packet.BinData, data.constData(),
                std::min<std::size_t>(sizeof(Packet.BinData), static_cast<std::size_t>(data.size())));
    Packet.BinDataLen = static_cast<std::int32_t>(data.size());
    Send();
    return Error == 0;
}

LogCapture::LogCapture(const QStringList &switches)
{
    _NetAll::setArguments(QStringList{QStringLiteral("net_tests")} + switches);
    _NetAll::setLogSink([this](const QString &line) {
        std::lock_guard lock(m_mutex);
        m_lines.append(line);
    });
}

LogCapture::~LogCapture()
{
    _NetAll::setLogSink({});
    _NetAll::setArguments({QStringLiteral("net_tests")});
}

QStringList LogCapture::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool LogCapture::contains(const QString &text) const
{
    return count(text) > 0;
}

int LogCapture::count(const QString &text) const
{
    std::lock_guard lock(m_mutex);
    int found = 0;
    for (const QString &line : m_lines)
        found += line.contains(text) ? 1 : 0;
    return found;
}

namespace {

TestCertificate makeCertificate()
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    EVP_PKEY *key = EVP_EC_gen("P-256");
    X509 *cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24 * 30);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("localhost"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    for (const auto &[nid, value] : {std::pair{NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost"},
                                     std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
        X509_EXTENSION *extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
        X509_add_ext(cert, extension, -1);
        X509_EXTENSION_free(extension);
    }
    X509_sign(cert, key, EVP_sha256());

    TestCertificate result;
    result.certFile = QDir(folder.path()).filePath(QStringLiteral("cert.pem")).toStdString();
    result.keyFile = QDir(folder.path()).filePath(QStringLiteral("key.pem")).toStdString();
    FILE *out = std::fopen(result.certFile.c_str(), "w");
    PEM_write_X509(out, cert);
    std::fclose(out);
    out = std::fopen(result.keyFile.c_str(), "w");
    PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(out);
    X509_free(cert);
    EVP_PKEY_free(key);
    return result;
}

} // namespace

const TestCertificate &TestCertificate::get()
{
    static const TestCertificate certificate = makeCertificate();
    return certificate;
}

LoopbackServer::LoopbackServer(Mode mode, QByteArray payload)
    : m_mode(mode), m_payload(std::move(payload)),
      m_acceptor(m_io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0))
{
    if (mode == Mode::TlsEcho) {
        m_tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
        m_tls->use_certificate_chain_file(TestCertificate::get().certFile);
        m_tls->use_private_key_file(TestCertificate::get().keyFile, asio::ssl::context::pem);
    }
    m_port = m_acceptor.local_endpoint().port();
    accept();
    m_thread = std::thread([this] { m_io.run(); });
}

LoopbackServer::~LoopbackServer()
{
    m_io.stop();
    m_thread.join();
    m_sockets.clear();
}

QByteArray LoopbackServer::collected() const
{
    std::lock_guard lock(m_mutex);
    return m_collected;
}

void LoopbackServer::closeConnections()
{
    asio::post(m_io, [this] {
        std::lock_guard lock(m_mutex);
        for (auto &socket : m_sockets) {
            std::error_code ignored;
            socket->shutdown(tcp::socket::shutdown_both, ignored);
            socket->close(ignored);
        }
    });
}

std::uint16_t LoopbackServer::unusedPort()
{
    asio::io_context io;
    tcp::acceptor probe(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    const auto port = probe.local_endpoint().port();
    probe.close();
    return port;
}

void LoopbackServer::accept()
{
    auto socket = std::make_shared<tcp::socket>(m_io);
    m_acceptor.async_accept(*socket, [this, socket](const std::error_code &ec) {
        if (ec)
            return;
        ++m_accepted;
        {
            std::lock_guard lock(m_mutex);
            m_sockets.push_back(socket);
        }
        if (m_mode == Mode::TlsEcho)
            serveTls(socket);
        else
            serve(socket);
        accept();
    });
}

void LoopbackServer::serve(std::shared_ptr<tcp::socket> socket)
{
    std::error_code ignored;
    switch (m_mode) {
    case Mode::CloseAtOnce:
        socket->close(ignored);
        return;
    case Mode::Hold:
    case Mode::TlsSilent:
        return;
    case Mode::SendAndClose: {
        auto data = std::make_shared<QByteArray>(m_payload);
        asio::async_write(*socket, asio::buffer(data->constData(), static_cast<std::size_t>(data->size())),
                          [socket, data](const std::error_code &, std::size_t) {
                              std::error_code ignored;
                              socket->shutdown(tcp::socket::shutdown_both, ignored);
                              socket->close(ignored);
                          });
        return;
    }
    default:
        break;
    }
    auto buffer = std::make_shared<std::array<char, 65536>>();
    socket->async_read_some(asio::buffer(*buffer), [this, socket, buffer](const std::error_code &ec,
                                                                          std::size_t length) {
        if (ec)
            return;
        if (m_mode == Mode::Collect) {
            {
                std::lock_guard lock(m_mutex);
                m_collected.append(buffer->data(), static_cast<qsizetype>(length));
            }
            serve(socket);
            return;
        }
        asio::async_write(*socket, asio::buffer(buffer->data(), length),
                          [this, socket, buffer](const std::error_code &ec, std::size_t) {
                              if (!ec)
                                  serve(socket);
                          });
    });
}

void LoopbackServer::serveTls(std::shared_ptr<tcp::socket> socket)
{
    auto stream = std::make_shared<asio::ssl::stream<tcp::socket &>>(*socket, *m_tls);
    stream->async_handshake(asio::ssl::stream_base::server, [socket, stream](const std::error_code &ec) {
        if (ec)
            return;
        auto buffer = std::make_shared<std::array<char, 16384>>();
        auto echo = std::make_shared<std::function<void()>>();
        *echo = [socket, stream, buffer, echo] {
            stream->async_read_some(asio::buffer(*buffer), [socket, stream, buffer, echo](
                                                               const std::error_code &ec,
                                                               std::size_t length) {
                if (ec) {
                    *echo = nullptr; // break the cycle
                    return;
                }
                asio::async_write(*stream, asio::buffer(buffer->data(), length),
                                  [echo](const std::error_code &ec, std::size_t) {
                                      if (!ec && *echo)
                                          (*echo)();
                                  });
            });
        };
        (*echo)();
    });
}

} // namespace pk::test
