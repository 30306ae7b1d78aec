#include "nettestsupport.h"

#include <gtest/gtest.h>

#include <future>

namespace pk::test {
namespace {

/// What one object sends: numbered messages that name the object, one packet each.
QByteArray messageOf(int object, int sequence)
{
    return QByteArrayLiteral("obj") + QByteArray::number(object) + QByteArrayLiteral("-seq")
           + QByteArray::number(sequence) + ';';
}

/**
 * Opens `count` objects on the calling thread to the echo server, sends `messages` packets
 * from each and checks that each object got back exactly its own bytes, in order, and only
 * packets of its own connection. Returns the number of failures.
 */
int exchangeOnThisThread(std::uint16_t port, int firstObject, int count, int messages)
{
    EventPump pump;
    std::vector<std::unique_ptr<RecordingClient>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<RecordingClient>());
        clients.back()->Init(0);
        pump.add(clients.back().get());
    }
    for (auto &client : clients)
        client->Open(QStringLiteral("127.0.0.1"), port);
    const auto allOpen = [&] {
        return std::all_of(clients.begin(), clients.end(), [](auto &c) { return c->isOpen(); });
    };
    if (!pump.runUntil(allOpen))
        return count;

    std::vector<QByteArray> expected(static_cast<std::size_t>(count));
    for (int sequence = 0; sequence < messages; ++sequence) {
        for (int i = 0; i < count; ++i) {
            const QByteArray message = messageOf(firstObject + i, sequence);
            expected[static_cast<std::size_t>(i)] += message;
            clients[static_cast<std::size_t>(i)]->sendBytes(message);
        }
    }
    pump.runUntil([&] {
        for (int i = 0; i < count; ++i) {
            if (clients[static_cast<std::size_t>(i)]->received.size()
                < expected[static_cast<std::size_t>(i)].size())
                return false;
        }
        return true;
    });
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        RecordingClient &client = *clients[static_cast<std::size_t>(i)];
        if (client.received != expected[static_cast<std::size_t>(i)] || client.trapCount != 0)
            ++failures;
        for (const int id : client.processedIds) {
            if (id != client._Connection.SockID)
                ++failures;
        }
    }
    for (auto &client : clients)
        client->Kill();
    return failures;
}

TEST(NetConcurrency, ManyObjectsOnOneThreadKeepTheirOwnData)
{
    LogCapture quiet;
    LoopbackServer server(LoopbackServer::echo());
    EXPECT_EQ(exchangeOnThisThread(server.port(), 0, 40, 25), 0);
}

TEST(NetConcurrency, ObjectsOnSeveralThreadsAtOnce)
{
    LogCapture quiet;
    LoopbackServer server(LoopbackServer::echo());
    std::vector<std::future<int>> threads;
    for (int t = 0; t < 6; ++t) {
        threads.push_back(std::async(std::launch::async, [port = server.port(), t] {
            return exchangeOnThisThread(port, t * 100, 9, 20);
        }));
    }
    for (auto &thread : threads)
        EXPECT_EQ(thread.get(), 0);
}

TEST(NetConcurrency, EventsReachOnlyTheOwningThread)
{
    LogCapture quiet;
    LoopbackServer server(LoopbackServer::echo());
    EventPump idle; // a second poster on this thread that must stay silent
    const int idleThread = idle.thread();
    EXPECT_EQ(exchangeOnThisThread(server.port(), 0, 3, 3), 0);
    EXPECT_EQ(idle.poster().size(), 0u);
    EXPECT_NE(idleThread, 0);
}

} // namespace
} // namespace pk::test
