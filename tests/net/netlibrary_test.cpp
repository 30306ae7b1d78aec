#include "nettestsupport.h"

#include "net/netlibrary.h"
#include "platform/registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace pk::test {
namespace {

NetConnection clientRecord(int thread, int event, std::uint16_t port, int asyncTimeOut = 500)
{
    NetConnection record{};
    std::strcpy(record.Server, "127.0.0.1");
    record.Port = port;
    record.Thread = thread;
    record.Event = event;
    record.AsyncOpenTimeOut = asyncTimeOut;
    return record;
}

TEST(NetLibrary, UniqueEventsAreDistinctUntilExhausted)
{
    std::vector<int> events;
    for (int event = NetGetUniqueEvent(); event != 0; event = NetGetUniqueEvent())
        events.push_back(event);
    ASSERT_GT(events.size(), 100u);
    std::vector<int> sorted = events;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_GE(sorted[i] - sorted[i - 1], 3); // E+1 and E+2 belong to E
    NetFreeUniqueEvent(events[5]);
    EXPECT_EQ(NetGetUniqueEvent(), events[5]);
    for (const int event : events)
        NetFreeUniqueEvent(event);
}

TEST(NetLibrary, CallsOnUnknownConnectionsFail)
{
    EventPump pump;
    const int event = NetGetUniqueEvent();
    NetConnection record = clientRecord(pump.thread(), event, 1);
    record.SockID = 999999;
    NetPacket packet{};
    packet.BinDataLen = 1;
    EXPECT_EQ(NetSimpleConnectReceive(record, packet), -13);
    EXPECT_EQ(NetSimpleConnectSend(record, packet), -34);
    EXPECT_EQ(NetSimpleConnectClose(record, 0, 0, NetCloseGraceful), -34);
    EXPECT_EQ(NetSimpleConnectClose(record, 0, 0, NetCloseAbort), -34);

    NetConnection noPoster = clientRecord(0, event, 1);
    EXPECT_EQ(NetSimpleConnectOpen(noPoster), -52);
    NetConnection blank = clientRecord(pump.thread(), event, 1);
    blank.Server[0] = '\0';
    EXPECT_EQ(NetSimpleConnectOpen(blank), -33);
    NetConnection server = clientRecord(pump.thread(), event, 1);
    server.Mode = 1;
    EXPECT_EQ(NetSimpleConnectOpen(server), -17);
    NetFreeUniqueEvent(event);
}

TEST(NetLibrary, SynchronousOpenIsOpenOnReturn)
{
    LoopbackServer server(LoopbackServer::echo());
    EventPump pump;
    const int event = NetGetUniqueEvent();
    NetConnection record = clientRecord(pump.thread(), event, server.port(), 0);
    ASSERT_EQ(NetSimpleConnectOpen(record), 0);
    EXPECT_STREQ(record.LocalIP, "127.0.0.1");
    NetPacket packet{};
    std::memcpy(packet.BinData, "sync", 4);
    packet.BinDataLen = 4;
    ASSERT_EQ(NetSimpleConnectSend(record, packet), 0);
    ASSERT_TRUE(pump.poster().take(5s).has_value());
    NetPacket reply{};
    ASSERT_EQ(NetSimpleConnectReceive(record, reply), 0);
    EXPECT_EQ(reply.PacketType, NetPacketData);
    EXPECT_EQ(QByteArray(reply.BinData, reply.BinDataLen), QByteArray("sync"));
    EXPECT_EQ(reply.SockID, record.SockID);
    EXPECT_STREQ(reply.FromIP, "127.0.0.1");
    EXPECT_EQ(NetSimpleConnectClose(record, 0, 0, NetCloseAbort), 0);

    NetConnection refused = clientRecord(pump.thread(), event, LoopbackServer::closedPort(), 0);
    EXPECT_EQ(NetSimpleConnectOpen(refused), -39);
    NetFreeUniqueEvent(event);
}

TEST(NetLibrary, AbortDropsPacketsStillWaiting)
{
    LoopbackServer server(LoopbackServer::sendAndClose(std::string(100000, 'x')));
    EventPump pump;
    const int event = NetGetUniqueEvent();
    NetConnection record = clientRecord(pump.thread(), event, server.port());
    ASSERT_EQ(NetSimpleConnectOpen(record), 0);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (pump.poster().size() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_GE(pump.poster().size(), 3u);
    EXPECT_EQ(NetSimpleConnectClose(record, 0, 0, NetCloseAbort), 0);
    NetPacket packet{};
    EXPECT_EQ(NetSimpleConnectReceive(record, packet), -13);
    NetFreeUniqueEvent(event);
}

TEST(NetLibrary, SlowOwnerDoesNotLoseData)
{
    QByteArray payload(4 * 1024 * 1024, '\0');
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 % 251);
    LoopbackServer server(LoopbackServer::sendAndClose(payload.toStdString()));
    EventPump pump;
    const int event = NetGetUniqueEvent();
    NetConnection record = clientRecord(pump.thread(), event, server.port());
    ASSERT_EQ(NetSimpleConnectOpen(record), 0);
    // The owner stays away until the library has stopped reading: 64 packets wait for it.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (pump.poster().size() < 64 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_GE(pump.poster().size(), 64u);
    QByteArray received;
    bool closed = false;
    while (!closed) {
        ASSERT_TRUE(pump.poster().take(5s).has_value());
        NetPacket packet{};
        ASSERT_EQ(NetSimpleConnectReceive(record, packet), 0);
        if (packet.PacketType == NetPacketData)
            received.append(packet.BinData, packet.BinDataLen);
        closed = packet.PacketType == NetPacketRemoteClosed;
    }
    EXPECT_EQ(received, payload);
    NetSimpleConnectClose(record, 0, 0, NetCloseRelease);
    NetFreeUniqueEvent(event);
}

TEST(NetLibrary, RegistryFileValues)
{
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("registry.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
               "ProxyEnable=dword:00000001\n"
               "ProxyServer=\"http=gate:3128;ftp=other:21\"\n"
               "[HKEY_LOCAL_MACHINE\\Other]\nCount=12\n");
    file.close();
    NetSetRegistryFile(path.toStdString());
    const std::string key = "software\\microsoft\\windows\\currentversion\\internet settings";
    int found = 0;
    EXPECT_EQ(NetGetRegistry(NetRegistryCurrentUser, NetRegistryNumber, found, "proxyenable", key),
              "1");
    EXPECT_EQ(found, 1);
    EXPECT_EQ(NetGetRegistry(NetRegistryCurrentUser, NetRegistryText, found, "ProxyServer", key),
              "http=gate:3128;ftp=other:21");
    EXPECT_EQ(NetGetRegistry(NetRegistryLocalMachine, NetRegistryNumber, found, "Count", "Other"),
              "12");
    EXPECT_EQ(found, 1);
    EXPECT_EQ(NetGetRegistry(NetRegistryCurrentUser, NetRegistryText, found, "Missing", key), "");
    EXPECT_EQ(found, 0);
    NetSetRegistryFile({});
}

TEST(NetLibrary, RegistryFileIsReadAsTheProgramReadsIt)
{
    // Sections written with a short hive name, and values the program's own reader finds.
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("registry.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
               "ProxyServer = gate:8080 \n"
               "[HKLM\\Machine]\nName=box\n"
               "[Plain]\nName=user\n");
    file.close();
    NetSetRegistryFile(path.toStdString());
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    const pk::Registry registry(path);
    int found = 0;
    const std::string server
        = NetGetRegistry(NetRegistryCurrentUser, NetRegistryText, found, "ProxyServer", key);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(QString::fromStdString(server),
              registry.value(QString::fromStdString(key), QStringLiteral("ProxyServer")));
    EXPECT_EQ(server, "gate:8080");
    EXPECT_EQ(NetGetRegistry(NetRegistryLocalMachine, NetRegistryText, found, "Name", "Machine"),
              "box");
    EXPECT_EQ(NetGetRegistry(NetRegistryCurrentUser, NetRegistryText, found, "Name", "Plain"),
              "user");
    // A user's section is not a machine-wide one.
    EXPECT_EQ(NetGetRegistry(NetRegistryLocalMachine, NetRegistryText, found, "Name", "Plain"), "");
    EXPECT_EQ(found, 0);
    NetSetRegistryFile({});
}

TEST(NetLibrary, OptionsAndErrorTexts)
{
    std::string buffer;
    EXPECT_EQ(NetOptions(NetOptionVersion, buffer), 0);
    EXPECT_EQ(buffer, NetLibraryVersion());
    EXPECT_EQ(NetOptions(12345, buffer), -22);
    EXPECT_FALSE(NetErrorStr(-34).empty());
    EXPECT_NE(NetGet_NetCriticalSection(), nullptr);
}

} // namespace
} // namespace pk::test
