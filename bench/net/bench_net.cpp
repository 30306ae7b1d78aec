// Network library figures: many connections on one owning thread against a loopback echo
// server, and the throughput of one large receive. Every byte is checked, so a lost or
// mixed-up event shows as a failure, not only as a slower figure.

#include "net/netlibrary.h"
#include "net/netsimple.h"
#include "net/queueeventposter.h"

#include <asio.hpp>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

using namespace pk;
using namespace std::chrono_literals;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

/// Echo server (or a sender of `sendBytes` bytes) on 127.0.0.1, on its own thread.
class Server
{
public:
    explicit Server(std::size_t sendBytes = 0)
        : m_acceptor(m_io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0))
        , m_sendBytes(sendBytes)
    {
        accept();
        m_thread = std::thread([this] { m_io.run(); });
    }
    ~Server()
    {
        m_io.stop();
        m_thread.join();
    }
    std::uint16_t port() const { return m_acceptor.local_endpoint().port(); }

private:
    void accept()
    {
        auto socket = std::make_shared<tcp::socket>(m_io);
        m_acceptor.async_accept(*socket, [this, socket](const std::error_code &ec) {
            if (ec)
                return;
            socket->set_option(tcp::no_delay(true));
            if (m_sendBytes > 0)
                send(socket, std::make_shared<std::size_t>(m_sendBytes));
            else
                echo(socket, std::make_shared<std::array<char, 65536>>());
            accept();
        });
    }
    void echo(std::shared_ptr<tcp::socket> socket, std::shared_ptr<std::array<char, 65536>> buffer)
    {
        socket->async_read_some(asio::buffer(*buffer),
                                [this, socket, buffer](const std::error_code &ec, std::size_t n) {
                                    if (ec)
                                        return;
                                    asio::async_write(*socket,
                                                      asio::buffer(buffer->data(), n),
                                                      [this,
                                                       socket,
                                                       buffer](const std::error_code &ec,
                                                               std::size_t) {
                                                          if (!ec)
                                                              echo(socket, buffer);
                                                      });
                                });
    }
    void send(std::shared_ptr<tcp::socket> socket, std::shared_ptr<std::size_t> left)
    {
        static const std::vector<char> block = [] {
            std::vector<char> b(256 * 1024);
            for (std::size_t i = 0; i < b.size(); ++i)
                b[i] = static_cast<char>(i % 251);
            return b;
        }();
        const std::size_t n = std::min(*left, block.size());
        asio::async_write(*socket,
                          asio::buffer(block.data(), n),
                          [this, socket, left, n](const std::error_code &ec, std::size_t) {
                              *left -= n;
                              if (!ec && *left > 0) {
                                  send(socket, left);
                              } else {
                                  std::error_code ignored;
                                  socket->shutdown(tcp::socket::shutdown_both, ignored);
                                  socket->close(ignored);
                              }
                          });
    }

    asio::io_context m_io;
    tcp::acceptor m_acceptor;
    std::size_t m_sendBytes;
    std::thread m_thread;
};

class Client final : public NetSimple
{
public:
    void Process() override
    {
        if (Packet.SockID != _Connection.SockID)
            ++foreignPackets;
        if (Packet.PacketType == NetPacketData) {
            received.insert(received.end(), Packet.BinData, Packet.BinData + Packet.BinDataLen);
            receivedBytes += static_cast<std::size_t>(Packet.BinDataLen);
            if (checksumOnly) {
                for (int i = 0; i < Packet.BinDataLen; ++i)
                    checksum = checksum * 31 + static_cast<unsigned char>(Packet.BinData[i]);
                received.clear();
            }
        }
    }
    void ConnectionClosed() override { closed = true; }
    void ErrorTrap(const QString &text, const QString &function) override
    {
        ++errors;
        NetSimple::ErrorTrap(text, function);
    }

    std::vector<char> received;
    std::size_t receivedBytes = 0;
    unsigned long long checksum = 0;
    bool checksumOnly = false;
    bool closed = false;
    int errors = 0;
    int foreignPackets = 0;
};

/// Hands every event of the queue to every object, until `done` or the time limit.
template<typename Done>
bool pump(QueueEventPoster &poster,
          std::vector<std::unique_ptr<Client>> &clients,
          Done done,
          long long &events,
          std::chrono::seconds limit = 120s)
{
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        if (const auto event = poster.take(50ms)) {
            ++events;
            for (auto &client : clients)
                client->TakeEvent(*event);
        }
    }
    return true;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

int concurrentEcho(int connections, int messages, int messageSize)
{
    Server server;
    QueueEventPoster poster;
    const int thread = NetRegisterPoster(&poster);
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < connections; ++i) {
        clients.push_back(std::make_unique<Client>());
        clients.back()->Init(0);
    }
    long long events = 0;
    const auto started = Clock::now();
    for (auto &client : clients)
        client->Open(QStringLiteral("127.0.0.1"), server.port());
    const bool opened = pump(
        poster,
        clients,
        [&] {
            for (auto &c : clients)
                if (!c->OpenFlag)
                    return false;
            return true;
        },
        events);
    const auto openTime = Clock::now() - started;

    // Each message carries its object and sequence number, so a byte in the wrong stream or
    // out of order is caught by the comparison below.
    std::vector<std::vector<char>> expected(static_cast<std::size_t>(connections));
    const auto exchangeStarted = Clock::now();
    for (int m = 0; m < messages; ++m) {
        for (int i = 0; i < connections; ++i) {
            Client &client = *clients[static_cast<std::size_t>(i)];
            std::memset(client.Packet.BinData,
                        'a' + (i + m) % 26,
                        static_cast<std::size_t>(messageSize));
            std::snprintf(client.Packet.BinData, 32, "<%d:%d>", i, m);
            client.Packet.BinDataLen = messageSize;
            auto &e = expected[static_cast<std::size_t>(i)];
            e.insert(e.end(), client.Packet.BinData, client.Packet.BinData + messageSize);
            client.Send();
        }
        // Keep the exchange going while sending, as a window would between its own work.
        while (const auto event = poster.tryTake()) {
            ++events;
            for (auto &client : clients)
                client->TakeEvent(*event);
        }
    }
    const bool complete = pump(
        poster,
        clients,
        [&] {
            for (std::size_t i = 0; i < clients.size(); ++i)
                if (clients[i]->received.size() < expected[i].size())
                    return false;
            return true;
        },
        events);
    const auto exchangeTime = Clock::now() - exchangeStarted;

    int mismatched = 0;
    int foreign = 0;
    int errors = 0;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        mismatched += clients[i]->received != expected[i] ? 1 : 0;
        foreign += clients[i]->foreignPackets;
        errors += clients[i]->errors;
    }
    const double bytes = 2.0 * connections * messages * messageSize;
    std::printf("concurrent echo: %d connections on one thread, %d messages of %d bytes each way\n",
                connections,
                messages,
                messageSize);
    std::printf("  open all:   %.1f ms\n", seconds(openTime) * 1000);
    std::printf("  exchange:   %.3f s, %.0f messages/s, %.1f MB/s (both directions), %lld events\n",
                seconds(exchangeTime),
                connections * messages / seconds(exchangeTime),
                bytes / seconds(exchangeTime) / 1e6,
                events);
    std::printf("  result:     %s (opened %d, complete %d, mismatched streams %d, foreign packets "
                "%d, error traps %d)\n",
                opened && complete && mismatched == 0 && foreign == 0 && errors == 0 ? "OK"
                                                                                     : "FAILED",
                opened,
                complete,
                mismatched,
                foreign,
                errors);
    for (auto &client : clients)
        client->Kill();
    NetUnregisterPoster(thread);
    return opened && complete && mismatched == 0 && foreign == 0 && errors == 0 ? 0 : 1;
}

int largeReceive(std::size_t totalBytes)
{
    Server server(totalBytes);
    QueueEventPoster poster;
    const int thread = NetRegisterPoster(&poster);
    std::vector<std::unique_ptr<Client>> clients;
    clients.push_back(std::make_unique<Client>());
    Client &client = *clients.front();
    client.checksumOnly = true;
    client.Init(0);
    long long events = 0;
    const auto started = Clock::now();
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    const bool done = pump(
        poster, clients, [&] { return client.closed; }, events);
    const auto elapsed = Clock::now() - started;

    unsigned long long expected = 0;
    for (std::size_t i = 0; i < totalBytes; ++i)
        expected = expected * 31 + static_cast<unsigned char>((i % (256 * 1024)) % 251);
    const bool ok = done && client.receivedBytes == totalBytes && client.checksum == expected;
    std::printf("large receive: %zu MB through TakeEvent/Process on one thread\n", totalBytes >> 20);
    std::printf("  %.3f s, %.1f MB/s, %lld events (%.0f bytes per packet on average): %s\n",
                seconds(elapsed),
                totalBytes / seconds(elapsed) / 1e6,
                events,
                events ? static_cast<double>(totalBytes) / static_cast<double>(events) : 0.0,
                ok ? "OK" : "FAILED");
    client.Kill();
    NetUnregisterPoster(thread);
    return ok ? 0 : 1;
}

} // namespace

int main()
{
    int failures = 0;
    failures += concurrentEcho(100, 200, 1024);
    failures += concurrentEcho(100, 20, NetMaxBinData);
    failures += largeReceive(512u << 20);
    NetCloseCallBackWindow();
    return failures == 0 ? 0 : 1;
}
