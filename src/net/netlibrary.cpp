#include "net/netlibrary.h"

#include "net/eventposter.h"
#include "net/netcriticalsection.h"
#include "platform/appfolders.h"
#include "platform/registry.h"

#include <asio.hpp>
#include <asio/ssl.hpp>

#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

#include <netdb.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pk {

namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr const char *LibraryVersion = "1.0";
constexpr int FirstEvent = 2000;
constexpr int MaxEvents = 4096;
/// Packets waiting for the owner before the library stops reading a connection.
constexpr int PauseReadingAt = 64;
constexpr int ResumeReadingAt = 16;
/// A closed connection whose owner never released it is dropped after this time.
constexpr auto ClosedConnectionLifetime = std::chrono::minutes(5);
constexpr const char *CertificateRefused = "The server's certificate was refused: ";

/// Longest wait of the calls that finish on the library thread (synchronous open, SSL switch).
constexpr auto BlockingCallLimit = std::chrono::seconds(30);
constexpr auto TlsShutdownLimit = std::chrono::seconds(1);
/// Longest time a graceful close may spend sending what is still queued.
constexpr auto GracefulCloseLimit = std::chrono::seconds(30);

std::chrono::milliseconds hundredths(int value)
{
    return std::chrono::milliseconds(static_cast<long long>(value) * 10);
}

std::string fieldString(const char *field, std::size_t size)
{
    return std::string(field, strnlen(field, size));
}

void copyToField(char *field, std::size_t size, const std::string &text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

enum class ConnState { Opening, Open, Closing, Closed };

struct Connection
{
    Connection(asio::io_context &io)
        : socket(io)
        , resolver(io)
        , openTimer(io)
        , idleTimer(io)
    {}

    std::int32_t sockId = 0;
    std::uint32_t handle = 0;
    int thread = 0;
    int event = 0;
    std::string server;
    std::uint16_t port = 0;
    bool useSsl = false;
    bool sslDontConnectOnOpen = false;
    int asyncTimeOut = 0;
    int inActiveTimeout = 0;

    // Touched on the library thread only.
    tcp::socket socket;
    tcp::resolver resolver;
    asio::steady_timer openTimer;
    asio::steady_timer idleTimer;
    std::shared_ptr<asio::ssl::context> sslContext;
    std::unique_ptr<asio::ssl::stream<tcp::socket &>> tls;
    std::array<char, NetMaxBinData> readBuffer{};
    std::deque<std::vector<char>> writes;
    bool writing = false;
    bool reading = false;
    bool closeAfterWrites = false;
    bool shutdownAfterRead = false; // TLS close waits for the cancelled read to return
    bool closeFinished = false;
    std::promise<int> *openResult = nullptr; // synchronous open
    std::promise<int> *switchResult = nullptr;
    std::string fromIp;
    std::string refusal; // why the secure connection was refused, for the open failure

    // Guarded by the engine's mutex.
    ConnState state = ConnState::Opening;
    bool dropped = false;  // aborted or released: deliver nothing more
    bool orphaned = false; // its event was freed
    int queued = 0;        // packets waiting for the owner
    bool readPaused = false;
    Clock::time_point closedAt{};
};

using ConnectionPtr = std::shared_ptr<Connection>;

struct Pending
{
    std::int32_t sockId;
    std::unique_ptr<NetPacket> packet;
};

class Engine
{
public:
    // The destructor still frees TLS state, so OpenSSL's own clean-up at exit must come after
    // it: initialising OpenSSL first registers that clean-up first, and it then runs last.
    Engine() { OPENSSL_init_ssl(0, nullptr); }
    ~Engine() { stop(); }

    std::mutex mutex;
    std::map<std::int32_t, ConnectionPtr> connections;
    std::unordered_map<int, std::deque<Pending>> pending; // by owner event
    std::map<int, EventPoster *> posters;
    std::set<int> eventsInUse;
    int nextEvent = FirstEvent;
    std::int32_t nextSockId = 1;
    std::uint32_t nextHandle = 1000;
    bool verifyPeer = true;
    std::string caFile;
    std::shared_ptr<asio::ssl::context> sslContext;
    std::function<void(const std::string &)> sink;

    asio::io_context &io()
    {
        std::lock_guard lock(m_threadMutex);
        if (!m_thread.joinable()) {
            m_io.restart();
            m_work.emplace(asio::make_work_guard(m_io));
            m_thread = std::thread([this] { m_io.run(); });
            scheduleReaper();
        }
        return m_io;
    }

    void stop()
    {
        std::lock_guard lock(m_threadMutex);
        if (!m_thread.joinable())
            return;
        asio::post(m_io, [this] {
            std::vector<ConnectionPtr> all;
            {
                std::lock_guard lock(mutex);
                for (auto &[id, connection] : connections)
                    all.push_back(connection);
                connections.clear();
                pending.clear();
            }
            for (auto &connection : all)
                closeNow(connection);
            if (m_reaper)
                m_reaper->cancel();
            m_work.reset();
        });
        m_thread.join();
        m_reaper.reset();
    }

    std::shared_ptr<asio::ssl::context> currentSslContext()
    {
        // Called with `mutex` held.
        if (!sslContext) {
            auto context = std::make_shared<asio::ssl::context>(asio::ssl::context::tls_client);
            context->set_options(asio::ssl::context::default_workarounds
                                 | asio::ssl::context::no_sslv2 | asio::ssl::context::no_sslv3);
            std::error_code ec;
            context->set_default_verify_paths(ec);
            if (!caFile.empty())
                context->load_verify_file(caFile, ec);
            context->set_verify_mode(verifyPeer ? asio::ssl::verify_peer : asio::ssl::verify_none);
            sslContext = std::move(context);
        }
        return sslContext;
    }

    /// Queues a packet for the owner and posts its event. Library thread.
    void deliver(const ConnectionPtr &connection,
                 int type,
                 const char *data = nullptr,
                 std::size_t length = 0,
                 int error = 0)
    {
        std::lock_guard lock(mutex);
        if (connection->dropped || connection->orphaned || !eventsInUse.contains(connection->event))
            return;
        const auto poster = posters.find(connection->thread);
        if (poster == posters.end())
            return;
        // Zero everything but the payload that is about to be written (a full data packet
        // would otherwise be cleared for nothing).
        std::unique_ptr<NetPacket> packet(new NetPacket);
        const std::size_t used = data ? std::min<std::size_t>(length, NetMaxBinData) : 0;
        std::memset(packet.get(), 0, offsetof(NetPacket, BinData));
        std::memset(packet->BinData + used, 0, NetMaxBinData - used);
        std::memset(&packet->BinDataLen, 0, sizeof(NetPacket) - offsetof(NetPacket, BinDataLen));
        packet->OnSocket = connection->handle;
        packet->SockID = connection->sockId;
        copyToField(packet->FromIP, sizeof(packet->FromIP), connection->fromIp);
        packet->PacketType = type;
        packet->Error = error;
        if (used > 0) {
            std::memcpy(packet->BinData, data, used);
            packet->BinDataLen = static_cast<std::int32_t>(used);
        }
        pending[connection->event].push_back(Pending{connection->sockId, std::move(packet)});
        ++connection->queued;
        poster->second->post(connection->event);
    }

    // Everything below runs on the library thread.

    void startOpen(const ConnectionPtr &connection)
    {
        if (connection->asyncTimeOut > 0) {
            connection->openTimer.expires_after(hundredths(connection->asyncTimeOut));
            connection->openTimer.async_wait([this, connection](const std::error_code &ec) {
                if (!ec)
                    openFailed(connection, NetErrOpenFailed);
            });
        }
        connection->resolver
            .async_resolve(connection->server,
                           std::to_string(connection->port),
                           [this, connection](const std::error_code &ec,
                                              tcp::resolver::results_type results) {
                               if (!isOpening(connection))
                                   return;
                               if (ec) {
                                   openFailed(connection, NetErrAddressNotFound);
                                   return;
                               }
                               asio::async_connect(connection->socket,
                                                   results,
                                                   [this, connection](const std::error_code &ec,
                                                                      const tcp::endpoint &) {
                                                       connected(connection, ec);
                                                   });
                           });
    }

    bool isOpening(const ConnectionPtr &connection)
    {
        std::lock_guard lock(mutex);
        return connection->state == ConnState::Opening && !connection->dropped;
    }

    void connected(const ConnectionPtr &connection, const std::error_code &ec)
    {
        if (!isOpening(connection))
            return;
        if (ec) {
            openFailed(connection, NetErrCouldNotOpen);
            return;
        }
        std::error_code ignored;
        connection->socket.set_option(tcp::no_delay(true), ignored);
        const auto remote = connection->socket.remote_endpoint(ignored);
        connection->fromIp = ignored ? std::string() : remote.address().to_string();
        if (connection->useSsl && !connection->sslDontConnectOnOpen) {
            handshake(connection, [this, connection](int result) {
                if (!isOpening(connection))
                    return;
                if (result != 0)
                    openFailed(connection, result);
                else
                    opened(connection);
            });
            return;
        }
        opened(connection);
    }

    template<typename Done>
    void handshake(const ConnectionPtr &connection, Done done)
    {
        {
            std::lock_guard lock(mutex);
            connection->sslContext = currentSslContext();
        }
        connection->tls
            = std::make_unique<asio::ssl::stream<tcp::socket &>>(connection->socket,
                                                                 *connection->sslContext);
        std::error_code ec;
        asio::ip::make_address(connection->server, ec);
        if (ec) { // a host name: send it for virtual hosting
            SSL_ctrl(connection->tls->native_handle(),
                     SSL_CTRL_SET_TLSEXT_HOSTNAME,
                     TLSEXT_NAMETYPE_host_name,
                     const_cast<char *>(connection->server.c_str()));
        }
        // Keeps the first reason the certificate was refused: the handshake's own error says
        // only that verification failed.
        // The stream owns the callback and the connection owns the stream: a plain pointer.
        connection->tls->set_verify_callback(
            [connection = connection.get(),
             check = asio::ssl::host_name_verification(
                 connection->server)](bool preverified, asio::ssl::verify_context &context) mutable {
                X509_STORE_CTX *store = context.native_handle();
                if (!preverified) {
                    if (connection->refusal.empty())
                        connection->refusal = std::string(CertificateRefused)
                                              + X509_verify_cert_error_string(
                                                  X509_STORE_CTX_get_error(store));
                    return false;
                }
                if (X509_STORE_CTX_get_error_depth(store) > 0)
                    return true;
                if (check(preverified, context))
                    return true;
                if (connection->refusal.empty())
                    connection->refusal = std::string(CertificateRefused)
                                          + "it was issued for another host name";
                return false;
            });
        connection->tls->async_handshake(asio::ssl::stream_base::client,
                                         [connection, done](const std::error_code &ec) {
                                             if (ec && connection->refusal.empty())
                                                 connection->refusal
                                                     = "The secure connection could not be set "
                                                       "up: "
                                                       + ec.message();
                                             done(ec ? static_cast<int>(NetErrSSLFailed) : 0);
                                         });
    }

    void opened(const ConnectionPtr &connection)
    {
        connection->openTimer.cancel();
        {
            std::lock_guard lock(mutex);
            connection->state = ConnState::Open;
        }
        if (connection->openResult) {
            connection->openResult->set_value(0);
            connection->openResult = nullptr;
        } else {
            deliver(connection, NetPacketOpenSucceeded);
        }
        startRead(connection);
        touchIdle(connection);
    }

    void openFailed(const ConnectionPtr &connection, int reason)
    {
        {
            std::lock_guard lock(mutex);
            if (connection->state != ConnState::Opening)
                return;
            connection->state = ConnState::Closed;
            connection->closedAt = Clock::now();
        }
        connection->openTimer.cancel();
        connection->resolver.cancel();
        closeNow(connection);
        if (connection->openResult) {
            connection->openResult->set_value(NetErrCouldNotOpen);
            connection->openResult = nullptr;
        } else {
            const std::string &text = connection->refusal;
            deliver(connection,
                    NetPacketOpenFailed,
                    text.empty() ? nullptr : text.data(),
                    text.size(),
                    reason);
        }
    }

    void closeNow(const ConnectionPtr &connection)
    {
        std::error_code ignored;
        connection->openTimer.cancel();
        connection->idleTimer.cancel();
        connection->resolver.cancel();
        connection->socket.close(ignored);
        if (connection->switchResult) {
            connection->switchResult->set_value(NetErrSSLFailed);
            connection->switchResult = nullptr;
        }
    }

    void touchIdle(const ConnectionPtr &connection)
    {
        if (connection->inActiveTimeout <= 0)
            return;
        {
            std::lock_guard lock(mutex);
            if (connection->state != ConnState::Open)
                return;
        }
        connection->idleTimer.expires_after(hundredths(connection->inActiveTimeout));
        connection->idleTimer.async_wait([this, connection](const std::error_code &ec) {
            if (ec)
                return;
            {
                std::lock_guard lock(mutex);
                if (connection->state != ConnState::Open || connection->dropped)
                    return;
            }
            deliver(connection, NetPacketIdle);
            touchIdle(connection);
        });
    }

    void startRead(const ConnectionPtr &connection)
    {
        {
            std::lock_guard lock(mutex);
            if (connection->state != ConnState::Open || connection->dropped || connection->reading)
                return;
            if (connection->queued >= PauseReadingAt) {
                connection->readPaused = true;
                return;
            }
            connection->reading = true;
        }
        auto handler = [this, connection](const std::error_code &ec, std::size_t length) {
            connection->reading = false;
            readDone(connection, ec, length);
        };
        if (connection->tls)
            connection->tls->async_read_some(asio::buffer(connection->readBuffer), handler);
        else
            connection->socket.async_read_some(asio::buffer(connection->readBuffer), handler);
    }

    void readDone(const ConnectionPtr &connection, const std::error_code &ec, std::size_t length)
    {
        if (connection->switchResult) { // the read was cancelled to switch to SSL
            startSwitch(connection);
            return;
        }
        if (connection->shutdownAfterRead) { // the read was cancelled to close
            connection->shutdownAfterRead = false;
            shutdownTls(connection);
            return;
        }
        ConnState state;
        {
            std::lock_guard lock(mutex);
            state = connection->state;
        }
        if (state != ConnState::Open)
            return;
        if (length > 0) {
            deliver(connection, NetPacketData, connection->readBuffer.data(), length);
            touchIdle(connection);
        }
        if (ec) {
            if (ec == asio::error::operation_aborted)
                return;
            {
                std::lock_guard lock(mutex);
                connection->state = ConnState::Closed;
                connection->closedAt = Clock::now();
            }
            closeNow(connection);
            deliver(connection, NetPacketRemoteClosed);
            return;
        }
        startRead(connection);
    }

    void startWrite(const ConnectionPtr &connection)
    {
        if (connection->writing)
            return;
        if (connection->writes.empty()) {
            if (connection->closeAfterWrites)
                finishGracefulClose(connection);
            return;
        }
        connection->writing = true;
        auto handler = [this, connection](const std::error_code &ec, std::size_t) {
            connection->writing = false;
            if (ec) {
                // The read side reports the broken connection; what was queued is lost.
                connection->writes.clear();
                if (connection->closeAfterWrites)
                    finishGracefulClose(connection);
                return;
            }
            connection->writes.pop_front();
            touchIdle(connection);
            startWrite(connection);
        };
        if (connection->tls)
            asio::async_write(*connection->tls, asio::buffer(connection->writes.front()), handler);
        else
            asio::async_write(connection->socket, asio::buffer(connection->writes.front()), handler);
    }

    void beginGracefulClose(const ConnectionPtr &connection)
    {
        connection->closeAfterWrites = true;
        // A peer that stops reading must not keep the close (and its owner) waiting for ever.
        connection->idleTimer.expires_after(GracefulCloseLimit);
        connection->idleTimer.async_wait([this, connection](const std::error_code &ec) {
            if (!ec)
                completeGracefulClose(connection);
        });
        startWrite(connection);
    }

    void finishGracefulClose(const ConnectionPtr &connection)
    {
        connection->closeAfterWrites = false;
        if (connection->tls && connection->socket.is_open()) {
            // close_notify must not run beside the pending read: cancel it first.
            if (connection->reading) {
                connection->shutdownAfterRead = true;
                std::error_code ignored;
                connection->socket.cancel(ignored);
            } else {
                shutdownTls(connection);
            }
            return;
        }
        std::error_code ignored;
        connection->socket.shutdown(tcp::socket::shutdown_send, ignored);
        completeGracefulClose(connection);
    }

    void shutdownTls(const ConnectionPtr &connection)
    {
        // Send close_notify, but do not wait long for the peer's answer.
        connection->openTimer.expires_after(TlsShutdownLimit);
        connection->openTimer.async_wait([connection](const std::error_code &ec) {
            if (!ec) {
                std::error_code ignored;
                connection->socket.close(ignored);
            }
        });
        connection->tls->async_shutdown(
            [this, connection](const std::error_code &) { completeGracefulClose(connection); });
    }

    void completeGracefulClose(const ConnectionPtr &connection)
    {
        if (connection->closeFinished)
            return;
        connection->closeFinished = true;
        closeNow(connection);
        bool erase = false;
        {
            std::lock_guard lock(mutex);
            if (connection->state == ConnState::Closing) {
                connection->state = ConnState::Closed;
                connection->closedAt = Clock::now();
            }
            erase = connection->orphaned;
            if (erase)
                connections.erase(connection->sockId);
        }
        if (!erase)
            deliver(connection, NetPacketLocalClosed);
    }

    void startSwitch(const ConnectionPtr &connection)
    {
        handshake(connection, [this, connection](int result) {
            if (connection->switchResult) {
                connection->switchResult->set_value(result);
                connection->switchResult = nullptr;
            }
            if (result == 0)
                startRead(connection);
        });
    }

    void scheduleReaper()
    {
        m_reaper.emplace(m_io);
        m_reaper->expires_after(std::chrono::minutes(1));
        m_reaper->async_wait([this](const std::error_code &ec) {
            if (ec)
                return;
            {
                std::lock_guard lock(mutex);
                const auto now = Clock::now();
                std::erase_if(connections, [now](const auto &entry) {
                    return entry.second->state == ConnState::Closed
                           && now - entry.second->closedAt > ClosedConnectionLifetime;
                });
            }
            scheduleReaper();
        });
    }

    /// Removes the owner's waiting packets of one connection. With `mutex` held.
    void dropPending(const ConnectionPtr &connection)
    {
        const auto queue = pending.find(connection->event);
        if (queue == pending.end())
            return;
        std::erase_if(queue->second,
                      [&](const Pending &entry) { return entry.sockId == connection->sockId; });
        connection->queued = 0;
    }

private:
    std::mutex m_threadMutex;
    asio::io_context m_io;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> m_work;
    std::optional<asio::steady_timer> m_reaper;
    std::thread m_thread;
};

Engine &engine()
{
    static Engine instance;
    return instance;
}

thread_local int t_currentThread = 0;

ConnectionPtr findConnection(Engine &e, std::int32_t sockId)
{
    const auto found = e.connections.find(sockId);
    return found == e.connections.end() ? nullptr : found->second;
}

std::string lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trim(const std::string &text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

std::string g_registryFile;
std::mutex g_registryMutex;

std::string registryFile()
{
    {
        std::lock_guard lock(g_registryMutex);
        if (!g_registryFile.empty())
            return g_registryFile;
    }
    return AppFolders::registryIni().toStdString();
}

std::uint16_t icmpChecksum(const unsigned char *data, std::size_t length)
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2)
        sum += static_cast<std::uint32_t>(data[i] | (data[i + 1] << 8));
    if (length % 2)
        sum += data[length - 1];
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

} // namespace

int NetGetUniqueEvent()
{
    Engine &e = engine();
    std::lock_guard lock(e.mutex);
    if (static_cast<int>(e.eventsInUse.size()) >= MaxEvents)
        return 0;
    const int last = FirstEvent + 3 * (MaxEvents - 1);
    while (e.eventsInUse.contains(e.nextEvent))
        e.nextEvent = e.nextEvent >= last ? FirstEvent : e.nextEvent + 3;
    const int event = e.nextEvent;
    e.eventsInUse.insert(event);
    e.nextEvent = event >= last ? FirstEvent : event + 3;
    return event;
}

void NetFreeUniqueEvent(int event)
{
    Engine &e = engine();
    std::vector<ConnectionPtr> toAbort;
    {
        std::lock_guard lock(e.mutex);
        e.eventsInUse.erase(event);
        e.pending.erase(event);
        for (auto it = e.connections.begin(); it != e.connections.end();) {
            const ConnectionPtr &connection = it->second;
            if (connection->event != event) {
                ++it;
                continue;
            }
            connection->orphaned = true;
            // A graceful close still flushing its data finishes by itself and then goes.
            if (connection->state == ConnState::Closing) {
                ++it;
                continue;
            }
            connection->dropped = true;
            toAbort.push_back(connection);
            it = e.connections.erase(it);
        }
    }
    if (!toAbort.empty()) {
        asio::post(e.io(), [&e, toAbort] {
            for (const auto &connection : toAbort)
                e.closeNow(connection);
        });
    }
}

int NetSimpleConnectOpen(NetConnection &record)
{
    Engine &e = engine();
    if (record.Mode != 0 || record.UDPMode != 0)
        return NetErrServiceNotSupported;
    const std::string server = fieldString(record.Server, sizeof(record.Server));
    if (trim(server).empty() || record.Port == 0)
        return NetErrHostOrSocketNotSet;

    auto connection = std::make_shared<Connection>(e.io());
    connection->server = trim(server);
    connection->port = record.Port;
    connection->thread = record.Thread;
    connection->event = record.Event;
    connection->useSsl = record.SSL != 0;
    connection->sslDontConnectOnOpen = record.SSLDontConnectOnOpen != 0;
    // The record is packed: copy its fields before taking a reference (std::max) to them.
    const int asyncOpenTimeOut = record.AsyncOpenTimeOut;
    const int inActiveTimeout = record.InActiveTimeout;
    connection->asyncTimeOut = std::max(0, asyncOpenTimeOut);
    connection->inActiveTimeout = std::max(0, inActiveTimeout);
    {
        std::lock_guard lock(e.mutex);
        if (!e.eventsInUse.contains(record.Event) || !e.posters.contains(record.Thread))
            return NetErrNoPosting;
        connection->sockId = e.nextSockId++;
        if (e.nextSockId <= 0)
            e.nextSockId = 1;
        connection->handle = e.nextHandle++;
        e.connections[connection->sockId] = connection;
    }
    record.Socket = connection->handle;
    record.SockID = connection->sockId;
    std::memset(record.LocalIP, 0, sizeof(record.LocalIP));

    if (connection->asyncTimeOut > 0) {
        asio::post(e.io(), [&e, connection] { e.startOpen(connection); });
        return 0;
    }

    // Synchronous open: the connect still runs on the library thread.
    std::promise<int> result;
    auto future = result.get_future();
    asio::post(e.io(), [&e, connection, &result] {
        connection->openResult = &result;
        e.startOpen(connection);
    });
    int outcome = NetErrCouldNotOpen;
    if (future.wait_for(BlockingCallLimit) == std::future_status::ready) {
        outcome = future.get();
    } else {
        // Give up; the library thread must not touch `result` any more.
        std::promise<void> detached;
        auto done = detached.get_future();
        asio::post(e.io(), [&e, connection, &detached] {
            connection->openResult = nullptr;
            {
                std::lock_guard lock(e.mutex);
                connection->state = ConnState::Closed;
            }
            e.closeNow(connection);
            detached.set_value();
        });
        done.wait();
        if (future.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            outcome = future.get();
    }
    if (outcome != 0) {
        std::lock_guard lock(e.mutex);
        connection->dropped = true;
        e.connections.erase(connection->sockId);
        return outcome;
    }
    std::promise<std::string> local;
    auto localFuture = local.get_future();
    asio::post(e.io(), [connection, &local] {
        std::error_code ec;
        const auto endpoint = connection->socket.local_endpoint(ec);
        local.set_value(ec ? std::string() : endpoint.address().to_string());
    });
    copyToField(record.LocalIP, sizeof(record.LocalIP), localFuture.get());
    return 0;
}

int NetSimpleConnectReceive(NetConnection &record, NetPacket &packet)
{
    Engine &e = engine();
    ConnectionPtr resume;
    {
        std::lock_guard lock(e.mutex);
        const auto queue = e.pending.find(record.Event);
        if (queue == e.pending.end() || queue->second.empty())
            return NetErrNoRequest;
        Pending entry = std::move(queue->second.front());
        queue->second.pop_front();
        std::memcpy(&packet, entry.packet.get(), sizeof(NetPacket));
        if (const ConnectionPtr connection = findConnection(e, entry.sockId)) {
            connection->queued = std::max(0, connection->queued - 1);
            if (connection->readPaused && connection->queued <= ResumeReadingAt) {
                connection->readPaused = false;
                resume = connection;
            }
        }
    }
    if (resume)
        asio::post(e.io(), [&e, resume] { e.startRead(resume); });
    return 0;
}

int NetSimpleConnectSend(NetConnection &record, NetPacket &packet)
{
    Engine &e = engine();
    if (packet.BinDataLen <= 0 || packet.BinDataLen > NetMaxBinData)
        return NetErrInvalidSize;
    ConnectionPtr connection;
    {
        std::lock_guard lock(e.mutex);
        connection = findConnection(e, record.SockID);
        if (!connection || connection->dropped || connection->state != ConnState::Open)
            return NetErrConnectionNotFound;
    }
    std::vector<char> data(packet.BinData, packet.BinData + packet.BinDataLen);
    asio::post(e.io(), [&e, connection, data = std::move(data)]() mutable {
        {
            std::lock_guard lock(e.mutex);
            if (connection->state != ConnState::Open || connection->dropped)
                return;
        }
        connection->writes.push_back(std::move(data));
        e.startWrite(connection);
    });
    return 0;
}

int NetSimpleConnectClose(NetConnection &record,
                          std::uint32_t socket,
                          std::int32_t sockId,
                          int phase)
{
    Engine &e = engine();
    (void) socket;
    const std::int32_t id = sockId != 0 ? sockId : record.SockID;
    ConnectionPtr connection;
    {
        std::lock_guard lock(e.mutex);
        connection = findConnection(e, id);
        if (!connection)
            return phase == NetCloseRelease ? 0 : NetErrConnectionNotFound;
        switch (phase) {
        case NetCloseGraceful:
            if (connection->state == ConnState::Closing)
                return 0;
            if (connection->state == ConnState::Closed) {
                // Closed by the other side; its notification (packet 5) is on the way and
                // finishes the close.
                return 0;
            }
            if (connection->state != ConnState::Open)
                return NetErrConnectionNotFound;
            connection->state = ConnState::Closing;
            break;
        case NetCloseAbort:
        case NetCloseRelease:
            connection->dropped = true;
            connection->state = ConnState::Closed;
            e.dropPending(connection);
            e.connections.erase(id);
            break;
        default:
            return NetErrBadParameters;
        }
    }
    if (phase == NetCloseGraceful)
        asio::post(e.io(), [&e, connection] { e.beginGracefulClose(connection); });
    else
        asio::post(e.io(), [&e, connection] { e.closeNow(connection); });
    return 0;
}

int NetSimpleSwitchToSSL(NetConnection &record)
{
    Engine &e = engine();
    ConnectionPtr connection;
    {
        std::lock_guard lock(e.mutex);
        connection = findConnection(e, record.SockID);
        if (!connection || connection->state != ConnState::Open)
            return NetErrConnectionNotFound;
    }
    std::promise<int> result;
    auto future = result.get_future();
    asio::post(e.io(), [&e, connection, &result] {
        if (connection->tls) {
            result.set_value(0);
            return;
        }
        connection->switchResult = &result;
        if (connection->reading) {
            std::error_code ignored;
            connection->socket.cancel(ignored); // readDone() goes on with the handshake
        } else {
            e.startSwitch(connection);
        }
    });
    if (future.wait_for(BlockingCallLimit) == std::future_status::ready)
        return future.get();
    std::promise<void> detached;
    auto done = detached.get_future();
    asio::post(e.io(), [&e, connection, &detached] {
        connection->switchResult = nullptr;
        e.closeNow(connection);
        detached.set_value();
    });
    done.wait();
    return NetErrSSLFailed;
}

std::string NetErrorStr(int error)
{
    switch (error) {
    case NetErrNoRequest:
        return "No packet is waiting for this connection";
    case NetErrServiceNotSupported:
        return "Server and UDP connections are not supported";
    case NetErrAddressNotFound:
        return "The host name could not be resolved";
    case NetErrBadParameters:
        return "Bad parameters passed to function";
    case NetErrHostOrSocketNotSet:
        return "Host name or port not set";
    case NetErrConnectionNotFound:
        return "The connection does not exist (any more)";
    case NetErrCouldNotOpen:
        return "The connection was refused or the host is unreachable";
    case NetErrNoPosting:
        return "No event poster is registered for the connection's thread";
    case NetErrOpenFailed:
        return "The connection could not be opened in time";
    case NetErrPingFailed:
        return "No answer to the ping";
    case NetErrSSLFailed:
        return "The secure connection could not be set up";
    default:
        break;
    }
    return "Unknown network library error " + std::to_string(error);
}

NetCriticalSection *NetGet_NetCriticalSection()
{
    static NetCriticalSection section;
    return &section;
}

std::string NetGetRegistry(int rootKey,
                           int valueType,
                           int &found,
                           const std::string &valueName,
                           const std::string &keyPath)
{
    found = 0;
    // The platform's reader, so the network library sees every section the program sees.
    const Registry registry(QString::fromStdString(registryFile()));
    QString key = QString::fromStdString(keyPath);
    if (rootKey == NetRegistryLocalMachine)
        key.prepend(QStringLiteral("HKEY_LOCAL_MACHINE\\"));
    const QString name = QString::fromStdString(valueName);
    if (!registry.contains(key, name))
        return {};
    std::string value = registry.value(key, name).toStdString();
    if (valueType == NetRegistryNumber) {
        int base = 10;
        if (lower(value).starts_with("dword:")) {
            value = value.substr(6);
            base = 16;
        }
        char *end = nullptr;
        const long number = std::strtol(value.c_str(), &end, base);
        if (value.empty() || !end || *end != '\0')
            return {};
        found = 1;
        return std::to_string(number);
    }
    found = 1;
    return value;
}

int NetOptions(int option, std::string &buffer)
{
    Engine &e = engine();
    switch (option) {
    case NetOptionVersion:
        buffer = LibraryVersion;
        return 0;
    case NetOptionLocalHostName: {
        char name[256] = {};
        if (gethostname(name, sizeof(name) - 1) != 0)
            return NetErrBadParameters;
        buffer = name;
        return 0;
    }
    case NetOptionOpenConnections: {
        std::lock_guard lock(e.mutex);
        buffer = std::to_string(e.connections.size());
        return 0;
    }
    case NetOptionSSLVerifyPeer: {
        std::lock_guard lock(e.mutex);
        e.verifyPeer = buffer != "0";
        e.sslContext.reset();
        return 0;
    }
    case NetOptionSSLCAFile: {
        std::lock_guard lock(e.mutex);
        e.caFile = buffer;
        e.sslContext.reset();
        return 0;
    }
    default:
        return NetErrBadParameters;
    }
}

int NetPing(const std::string &host)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo *found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return NetErrAddressNotFound;
    sockaddr_in target{};
    std::memcpy(&target, found->ai_addr, sizeof(target));
    freeaddrinfo(found);

    // An unprivileged ICMP socket; the kernel fills in the identifier.
    const int fd = socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
    if (fd < 0)
        return NetErrPingFailed;
    unsigned char request[16] = {};
    request[0] = ICMP_ECHO;
    request[6] = 0;
    request[7] = 1; // sequence 1
    std::memcpy(request + 8, "pathkeep", 8);
    const std::uint16_t sum = icmpChecksum(request, sizeof(request));
    std::memcpy(request + 2, &sum, 2);
    int result = NetErrPingFailed;
    if (sendto(fd, request, sizeof(request), 0, reinterpret_cast<sockaddr *>(&target), sizeof(target))
        == static_cast<ssize_t>(sizeof(request))) {
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (Clock::now() < deadline) {
            pollfd poller{fd, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline
                                                                                    - Clock::now());
            if (poll(&poller, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0)
                break;
            unsigned char reply[128];
            const ssize_t length = recv(fd, reply, sizeof(reply), 0);
            if (length >= 8 && reply[0] == ICMP_ECHOREPLY) {
                result = 0;
                break;
            }
        }
    }
    close(fd);
    return result;
}

void NetDebugTrace(const std::string &text)
{
    Engine &e = engine();
    std::lock_guard lock(e.mutex);
    if (e.sink)
        e.sink(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

int NetCloseCallBackWindow()
{
    engine().stop();
    return 0;
}

int NetRegisterPoster(EventPoster *poster, int thread)
{
    Engine &e = engine();
    std::lock_guard lock(e.mutex);
    if (thread == 0) {
        thread = 1;
        while (e.posters.contains(thread))
            ++thread;
    }
    e.posters[thread] = poster;
    t_currentThread = thread;
    return thread;
}

void NetUnregisterPoster(int thread)
{
    Engine &e = engine();
    std::lock_guard lock(e.mutex);
    e.posters.erase(thread);
    if (t_currentThread == thread)
        t_currentThread = 0;
}

int NetCurrentThread()
{
    return t_currentThread;
}

void NetSetDebugSink(std::function<void(const std::string &line)> sink)
{
    Engine &e = engine();
    std::lock_guard lock(e.mutex);
    e.sink = std::move(sink);
}

void NetSetRegistryFile(const std::string &path)
{
    std::lock_guard lock(g_registryMutex);
    g_registryFile = path;
}

const char *NetLibraryVersion()
{
    return LibraryVersion;
}

} // namespace pk
