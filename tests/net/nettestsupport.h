#pragma once

#include "net/netsimple.h"
#include "net/queueeventposter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <asio.hpp>
#include <asio/ssl.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pk::test {

using namespace std::chrono_literals;

/**
 * @brief Registers a plain queue poster for the calling thread and hands every event to the
 * objects added to it, as a window's event loop would.
 */
class EventPump
{
public:
    EventPump();
    ~EventPump();

    int thread() const { return m_thread; }
    QueueEventPoster &poster() { return m_poster; }
    void add(NetSimple *object) { m_objects.push_back(object); }

    /// Dispatches events until `done` holds or `timeout` passes; returns `done()`.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = 10s);
    /// Dispatches events for the whole of `duration`.
    void runFor(std::chrono::milliseconds duration);
    /// Every event number dispatched so far, in order.
    const std::vector<int> &dispatched() const { return m_dispatched; }

private:
    void dispatch(int event);

    QueueEventPoster m_poster;
    int m_thread = 0;
    std::vector<NetSimple *> m_objects;
    std::vector<int> m_dispatched;
};

/// A NetSimple that records what reaches its overridable operations.
class RecordingClient : public NetSimple
{
public:
    using NetSimple::NetSimple;

    void Process() override;
    void ConnectionClosed() override;
    void ErrorTrap(const QString &errorText, const QString &functionName) override;

    /// Fills `Packet` with `data` and calls Send(); true when `Error` is 0 afterwards.
    bool sendBytes(const QByteArray &data);
    bool isOpen() const { return OpenFlag == 1; }

    std::vector<int> processed;    ///< packet types seen by Process()
    std::vector<int> processedIds; ///< their SockID
    QByteArray received;
    int closedCount = 0;
    int trapCount = 0;
    QString trapText;
    QString trapFunction;
    int trapError = 0;
};

/// Captures the diagnostic lines and sets the command-line switches for one test.
class LogCapture
{
public:
    explicit LogCapture(const QStringList &switches = {});
    ~LogCapture();

    QStringList lines() const;
    bool contains(const QString &text) const;
    int count(const QString &text) const;

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

/// A self-signed certificate for 127.0.0.1 and localhost, written to a temporary folder.
struct TestCertificate
{
    std::string certFile;
    std::string keyFile;
    static const TestCertificate &get();
};

/// A TCP server on 127.0.0.1 run by its own thread; what it does with a connection depends on
/// the mode.
class LoopbackServer
{
public:
    enum class Mode {
        Echo,          ///< sends back what it receives
        CloseAtOnce,   ///< closes every accepted connection
        Hold,          ///< accepts and keeps the connection without a word
        Collect,       ///< keeps everything it receives (see collected())
        SendAndClose,  ///< sends `payload` and closes
        TlsEcho,       ///< TLS with the test certificate, then echo
        TlsSilent,     ///< accepts TCP but never answers the TLS handshake
    };

    explicit LoopbackServer(Mode mode, QByteArray payload = {});
    ~LoopbackServer();

    std::uint16_t port() const { return m_port; }
    QByteArray collected() const;
    int accepted() const { return m_accepted; }
    /// Closes every open connection from the server side.
    void closeConnections();

    /// A port on 127.0.0.1 where nothing listens.
    static std::uint16_t unusedPort();

private:
    void accept();
    void serve(std::shared_ptr<asio::ip::tcp::socket> socket);
    void serveTls(std::shared_ptr<asio::ip::tcp::socket> socket);

    Mode m_mode;
    QByteArray m_payload;
    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    std::unique_ptr<asio::ssl::context> m_tls;
    std::uint16_t m_port = 0;
    std::atomic_int m_accepted{0};
    mutable std::mutex m_mutex;
    QByteArray m_collected;
    std::vector<std::shared_ptr<asio::ip::tcp::socket>> m_sockets; ///< kept open until closed
    std::thread m_thread;
};

} // namespace pk::test
