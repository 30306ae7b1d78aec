#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pk::test {

/**
 * @brief A scripted TCP or TLS server on 127.0.0.1 for network tests and benchmarks.
 *
 * Every accepted connection runs the handler on a thread of its own. The handler reads the
 * request and answers with exactly the bytes, chunks and pauses it chooses, so a test controls
 * where packets split and when the connection closes. Ready-made handlers echo, collect, send
 * and close, or hold a connection.
 */
class LoopbackServer final
{
public:
    class Connection
    {
    public:
        virtual ~Connection() = default;
        /// Reads until the blank line after the request header (plus `body` bytes); the text.
        virtual std::string readRequest(std::size_t body = 0) = 0;
        /// Reads what arrives next (kept in received()); empty once the peer has closed or the
        /// server stops.
        virtual std::string receive() = 0;
        /// Sends all bytes; false when the peer is gone.
        virtual bool send(std::string_view bytes) = 0;
        /// Sleeps, returning early when the server stops.
        virtual void pause(int milliseconds) = 0;
        /// Waits until the peer closes or the server stops.
        virtual void hold() = 0;
        /// Index of this connection, counting from 0.
        virtual int index() const = 0;
    };
    using Handler = std::function<void(Connection &)>;

    /// Listens at once on an ephemeral port; `tls` wraps every connection in TLS with a
    /// freshly made self-signed certificate for "localhost" and 127.0.0.1.
    explicit LoopbackServer(Handler handler, bool tls = false);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    std::uint16_t port() const { return m_port; }
    int connections() const { return m_connections.load(); }
    /// Every request header read so far, in arrival order.
    std::vector<std::string> requests() const;
    /// Every byte read through Connection::receive() so far, over all connections.
    std::string received() const;
    /// PEM file of the certificate (TLS servers only).
    const std::string &certificateFile() const { return m_certFile; }

    /// Stops accepting, wakes every connection and waits for their threads.
    void stop();

    /// A handler sending `response` in pieces of `chunk` bytes (0: all at once), then closing
    /// when `close` is set, else keeping the connection open until the client leaves.
    static Handler reply(std::string response, std::size_t chunk = 0, bool close = true);

    /// Sends back whatever arrives.
    static Handler echo();
    /// Keeps what arrives (see received()) until the client leaves.
    static Handler collect();
    /// Closes each connection as soon as it is accepted.
    static Handler closeAtOnce();
    /// Keeps each connection open without a word (no TLS handshake either on a plain
    /// server) until the client leaves.
    static Handler holdOpen();
    /// Sends `bytes` at once and closes.
    static Handler sendAndClose(std::string bytes);

    /// A port on 127.0.0.1 on which nothing listens (connections are refused).
    static std::uint16_t closedPort();

    struct Private;

private:
    void acceptLoop();
    void recordRequest(const std::string &request);
    void recordReceived(const std::string &bytes);

    Handler m_handler;
    std::unique_ptr<Private> d;
    std::uint16_t m_port = 0;
    std::string m_certFile;
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::string m_received;
    std::vector<std::pair<std::thread, std::shared_ptr<std::atomic<bool>>>> m_threads;
    std::thread m_acceptThread;
    int m_listener = -1;
};

} // namespace pk::test
