#include "nettestsupport.h"

#include "framework/scripteduserinterface.h"
#include "net/netlibrary.h"

#include <gtest/gtest.h>

namespace pk::test {
namespace {

/// Client objects on the test thread, logging everything so that every line is composed.
class NetSimpleTest : public ::testing::Test
{
protected:
    LogCapture log{{QStringLiteral("/netall")}};
    ScriptedUserInterface ui;
    EventPump pump;
    std::vector<std::unique_ptr<RecordingClient>> clients;

    RecordingClient &makeClient()
    {
        clients.push_back(std::make_unique<RecordingClient>(&ui));
        RecordingClient &client = *clients.back();
        client.Init(0);
        pump.add(&client);
        return client;
    }

    void TearDown() override
    {
        for (auto &client : clients)
            client->Kill();
    }

    bool openTo(RecordingClient &client, std::uint16_t port)
    {
        const int traps = client.trapCount;
        client.Open(QStringLiteral("127.0.0.1"), port);
        return pump.runUntil([&] { return client.isOpen() || client.trapCount > traps; })
               && client.isOpen();
    }
};

TEST_F(NetSimpleTest, InitPreparesAnAsynchronousClient)
{
    RecordingClient &client = makeClient();
    EXPECT_EQ(client._Initalised, 1);
    EXPECT_NE(client._Connection.Event, 0);
    EXPECT_EQ(client._Connection.Thread, pump.thread());
    EXPECT_EQ(client._Connection.Mode, 0);
    EXPECT_EQ(client.AsyncOpenUse, 1);
    EXPECT_EQ(client.AsyncOpenTimeOut, 1200);
    EXPECT_EQ(client._WholePacketAllocSize, 524288);
    EXPECT_NE(makeClient()._Connection.Event, client._Connection.Event);
}

TEST_F(NetSimpleTest, SecondOpenFailsWith55AndLeavesTheFirstConnectionWorking)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient &client = makeClient();
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    EXPECT_EQ(client.Error, 0);
    EXPECT_EQ(client.AsyncOpenBusy, 1);

    client.Open(QStringLiteral("127.0.0.1"), server.port()); // while still opening
    EXPECT_EQ(client.Error, -55);
    ASSERT_TRUE(pump.runUntil([&] { return client.isOpen(); }));

    client.Open(QStringLiteral("127.0.0.1"), server.port()); // while open
    EXPECT_EQ(client.Error, -55);
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(ui.interactions().last().title, QStringLiteral("Network Object Error"));
    EXPECT_EQ(ui.messages().last(),
              QStringLiteral("A network communication error has occurred.\n\nError = The client "
                             "connection could not be opened because the connection was already "
                             "open.\n\nThe error number was -55 which means Connection already "
                             "open.\n\nError occurred in function NetSimple.Open"));
    EXPECT_TRUE(log.contains(QStringLiteral(
        "NetSimple(Client).Open - Connection already open. Please close or abort the connection "
        "before trying to open a new connection.")));

    ASSERT_TRUE(client.sendBytes("ping"));
    EXPECT_TRUE(pump.runUntil([&] { return client.received == "ping"; }));
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(client.processed.front(), NetPacketOpenSucceeded);
}

TEST_F(NetSimpleTest, OpenOrSendBeforeInitFailsWith60)
{
    RecordingClient client(&ui);
    client.Open(QStringLiteral("127.0.0.1"), 80);
    EXPECT_EQ(client.Error, -60);
    EXPECT_EQ(client.trapText,
              QStringLiteral("The NetSimple object's Init() method was not "
                             "called before the Open() method was called"));
    EXPECT_EQ(client.trapFunction, QStringLiteral("NetSimple.Open"));
    EXPECT_TRUE(
        log.contains(QStringLiteral("NetSimple.Open - Error - Open being called before Init.")));
    EXPECT_EQ(client.ErrorString,
              QStringLiteral("The NetSimple object's Init() method was not called before the "
                             "Open() method was called. The error number was -60 which means "
                             "Object's Init method not called before the Object was used.")
                  .left(256));

    client.sendBytes("x");
    EXPECT_EQ(client.Error, -60);
    EXPECT_EQ(client.trapFunction, QStringLiteral("NetSimple.Send"));
    EXPECT_EQ(ui.messages().size(), 2);
}

TEST_F(NetSimpleTest, OpenToAPortWithoutServerEndsInPacket8)
{
    RecordingClient &client = makeClient();
    client.Open(QStringLiteral("127.0.0.1"), LoopbackServer::closedPort());
    EXPECT_EQ(client.Error, 0);
    ASSERT_TRUE(pump.runUntil([&] { return client.trapCount > 0; }));
    EXPECT_EQ(client.Packet.PacketType, NetPacketOpenFailed);
    EXPECT_EQ(client.Error, -53);
    EXPECT_EQ(client.OpenFlag, 0);
    EXPECT_EQ(client.AsyncOpenBusy, 0);
    EXPECT_EQ(client.trapText, QStringLiteral("The requested connection could not be opened."));
    EXPECT_EQ(client.trapFunction, QStringLiteral("NetSimple.TakeEvent"));
    EXPECT_TRUE(client.processed.empty());
    EXPECT_TRUE(ui.messages().last().contains(
        QStringLiteral("The error number was -53 which means Open Timeout or Failure error.")));
    // The object is idle again and can be used for another attempt.
    LoopbackServer server(LoopbackServer::echo());
    EXPECT_TRUE(openTo(client, server.port()));
}

TEST_F(NetSimpleTest, AsynchronousOpenGivesUpAfterItsTimeout)
{
    LoopbackServer server(LoopbackServer::holdOpen()); // never answers the handshake
    RecordingClient &client = makeClient();
    client.SSL = 1;
    client.AsyncOpenTimeOut = 30;
    const auto started = std::chrono::steady_clock::now();
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(pump.runUntil([&] { return client.trapCount > 0; }));
    EXPECT_GE(std::chrono::steady_clock::now() - started, 250ms);
    EXPECT_EQ(client.Error, -53);
    EXPECT_EQ(client.AsyncOpenBusy, 0);
    EXPECT_EQ(client.OpenFlag, 0);
}

TEST_F(NetSimpleTest, SendTakesAFullPacketAndRejectsWhatCannotBeSent)
{
    LoopbackServer server(LoopbackServer::collect());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));

    QByteArray full(NetMaxBinData, '\0');
    for (int i = 0; i < full.size(); ++i)
        full[i] = static_cast<char>('a' + i % 26);
    EXPECT_TRUE(client.sendBytes(full));
    EXPECT_TRUE(pump.runUntil([&] { return server.received().size() >= std::size_t(full.size()); }));
    EXPECT_EQ(QByteArray::fromStdString(server.received()), full);

    client.Packet.BinDataLen = NetMaxBinData + 1;
    client.Send();
    EXPECT_EQ(client.Error, -4);
    EXPECT_EQ(client.trapText,
              QStringLiteral("Trying to send too much data in self.packet.binData "
                             "and self.packet.binDataLen"));
    client.Packet.BinDataLen = 0;
    client.Send();
    EXPECT_EQ(client.Error, -4);
    EXPECT_EQ(client.trapText, QStringLiteral("Data length is less than or equal to zero"));

    client.Abort();
    EXPECT_EQ(client.OpenFlag, 0);
    client.sendBytes("late");
    EXPECT_EQ(client.Error, -36);
    EXPECT_EQ(client.trapText,
              QStringLiteral("The connection is not open and therefore the data can not be sent."));
    EXPECT_EQ(QByteArray::fromStdString(server.received()), full);
}

TEST_F(NetSimpleTest, ReceiveWithNothingPendingIsNotAnError)
{
    RecordingClient &client = makeClient();
    client.TakeEvent(client._Connection.Event);
    EXPECT_EQ(client.Error, -13);
    EXPECT_EQ(client.trapCount, 0);
    EXPECT_TRUE(ui.interactions().isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("Attention. This is not normally a problem. The DLL "
                                            "could not find a packet matching this connection.")));

    // Events of other objects are none of its business.
    client.Error = 0;
    client.TakeEvent(client._Connection.Event + 3);
    client.TakeEvent(client._Connection.Event - 1);
    EXPECT_EQ(client.Error, 0);
}

TEST_F(NetSimpleTest, GracefulCloseFinishesWithPhaseTwo)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));
    client.Close();
    EXPECT_EQ(client.OpenFlag, 0);
    EXPECT_EQ(client._BetweenPhaseOneAnTwo, 1);
    ASSERT_TRUE(pump.runUntil([&] { return client._BetweenPhaseOneAnTwo == 0; }));
    EXPECT_EQ(client.Packet.PacketType, NetPacketLocalClosed);
    EXPECT_TRUE(log.contains(
        QStringLiteral("was closed locally. Will call NetSimpleConnectClose for 2nd Phase")));
    EXPECT_EQ(client.closedCount, 0);

    client.Close();
    EXPECT_TRUE(log.contains(QStringLiteral("Warning. Socket not open. Can not close")));
    client.Abort();
    EXPECT_TRUE(log.contains(QStringLiteral("Warning. Socket not open. Can not abort")));
    EXPECT_EQ(client.trapCount, 0);
}

TEST_F(NetSimpleTest, ReopenBeforePhaseTwoOnlyLogsTheLatePhaseTwo)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));
    client.Close();
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    EXPECT_EQ(client._IgnorePhaseTwo, 1);
    ASSERT_TRUE(pump.runUntil([&] {
        return client.isOpen()
               && log.contains(QStringLiteral("Attention. 2nd Phase NOT Called! The Connection "
                                              "property has changed, since calling Phase One."));
    }));
    EXPECT_TRUE(log.contains(
        QStringLiteral("NetSimple.TakeEvent.ConClosed2 - Attention. 2nd Phase NOT Called!")));
    // The late notification left the new connection alone.
    ASSERT_TRUE(client.sendBytes("second"));
    EXPECT_TRUE(pump.runUntil([&] { return client.received == "second"; }));
    EXPECT_EQ(client.trapCount, 0);
}

TEST_F(NetSimpleTest, PhaseTwoEventIsIgnoredAfterReopen)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));
    client._IgnorePhaseTwo = 1;
    pump.poster().post(client._Connection.Event + 2);
    pump.runFor(50ms);
    EXPECT_TRUE(log.contains(QStringLiteral("Received a message+2 about a Close (2).")));
    EXPECT_TRUE(log.contains(
        QStringLiteral("NetSimple.TakeEvent.Message+2 - Attention. 2nd Phase NOT Called!")));
    EXPECT_TRUE(client.isOpen());
    ASSERT_TRUE(client.sendBytes("still"));
    EXPECT_TRUE(pump.runUntil([&] { return client.received == "still"; }));
}

TEST_F(NetSimpleTest, RemoteCloseCallsConnectionClosedOnce)
{
    LoopbackServer server(LoopbackServer::closeAtOnce());
    RecordingClient &client = makeClient();
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(pump.runUntil([&] { return client.closedCount > 0; }));
    pump.runFor(100ms);
    EXPECT_EQ(client.closedCount, 1);
    EXPECT_EQ(client.Packet.PacketType, NetPacketRemoteClosed);
    EXPECT_EQ(client.OpenFlag, 0);
    EXPECT_EQ(client.AsyncOpenBusy, 0);
    EXPECT_EQ(client.processed, std::vector<int>{NetPacketOpenSucceeded});
    EXPECT_TRUE(log.contains(
        QStringLiteral("NetSimple.TakeEvent.ConClosed1 - The client connection on Socket = ")));
    EXPECT_EQ(client.trapCount, 0);
}

TEST_F(NetSimpleTest, CloseRacingARemoteCloseIsNotAnError)
{
    LoopbackServer server(LoopbackServer::closeAtOnce());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));
    for (int wait = 0; wait < 500 && pump.poster().size() == 0; ++wait)
        std::this_thread::sleep_for(10ms);
    client.Close(); // the library already knows the other side has gone
    EXPECT_EQ(client.Error, 0);
    ASSERT_TRUE(pump.runUntil([&] { return client.closedCount == 1; }));
    EXPECT_EQ(client.trapCount, 0);
    EXPECT_TRUE(ui.interactions().isEmpty());
}

TEST_F(NetSimpleTest, RemoteCloseEventClosesTheCurrentConnection)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));
    pump.poster().post(client._Connection.Event + 1);
    ASSERT_TRUE(pump.runUntil([&] { return client.closedCount == 1; }));
    EXPECT_EQ(client.OpenFlag, 0);
    EXPECT_TRUE(log.contains(QStringLiteral("Received a message+1 about a ConClose(1) (Remote).")));
    // The library has released the connection.
    NetPacket packet{};
    packet.BinDataLen = 1;
    EXPECT_EQ(NetSimpleConnectSend(client._Connection, packet), -34);
}

TEST_F(NetSimpleTest, SendOnAVanishedConnectionGives34)
{
    LoopbackServer server(LoopbackServer::closeAtOnce());
    RecordingClient &quiet = makeClient();
    RecordingClient &loud = makeClient();
    quiet.DontErrorTrapInSendIfConnectionClosed = 1;
    for (RecordingClient *client : {&quiet, &loud}) {
        ASSERT_TRUE(openTo(*client, server.port()));
        // Let the library see the close, but do not hand its notification to the object yet.
        for (int wait = 0; wait < 500 && pump.poster().size() == 0; ++wait)
            std::this_thread::sleep_for(10ms);
        ASSERT_EQ(pump.poster().size(), 1u);
        client->sendBytes("gone?");
        EXPECT_EQ(client->Error, -34);
        EXPECT_EQ(client->OpenFlag, 0);
    }
    EXPECT_EQ(quiet.trapCount, 0);
    EXPECT_TRUE(log.contains(QStringLiteral("While trying to send data, we discover the connection "
                                            "has been closed down. The programmer has chosen to "
                                            "handle the error himself.")));
    EXPECT_EQ(loud.trapCount, 1);
    EXPECT_EQ(loud.trapText, QStringLiteral("Error sending data"));
    EXPECT_TRUE(log.contains(QStringLiteral("Error. Note to the programmer - look at the docs")));
}

TEST_F(NetSimpleTest, IdleConnectionReportsPacket9Repeatedly)
{
    LoopbackServer server(LoopbackServer::holdOpen());
    RecordingClient &client = makeClient();
    client.InActiveTimeout = 10;
    ASSERT_TRUE(openTo(client, server.port()));
    ASSERT_TRUE(pump.runUntil([&] {
        return std::count(client.processed.begin(), client.processed.end(), NetPacketIdle) >= 2;
    }));
    EXPECT_TRUE(client.isOpen());
    EXPECT_TRUE(log.contains(QStringLiteral("Will use InActive (Idle) Timeout (hs) = 10")));
}

TEST_F(NetSimpleTest, DataArrivesInOrderBeforeTheRemoteClose)
{
    QByteArray payload;
    for (int i = 0; payload.size() < 300000; ++i)
        payload += QByteArray::number(i) + ',';
    LoopbackServer server(LoopbackServer::sendAndClose(payload.toStdString()));
    RecordingClient &client = makeClient();
    client.LogDataBytes = 8;
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(pump.runUntil([&] { return client.closedCount == 1; }));
    EXPECT_EQ(client.received, payload);
    ASSERT_GE(client.processed.size(), 2u);
    EXPECT_EQ(client.processed.front(), NetPacketOpenSucceeded);
    for (std::size_t i = 1; i < client.processed.size(); ++i)
        EXPECT_EQ(client.processed[i], NetPacketData);
    EXPECT_TRUE(log.contains(QStringLiteral("bytes of Received Data = [0,1,2,3,]...")));
}

TEST_F(NetSimpleTest, TlsRoundTripWithTheTestCertificate)
{
    LoopbackServer server(LoopbackServer::echo(), true);
    std::string caFile = server.certificateFile();
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, caFile), 0);
    for (const QString &host : {QStringLiteral("127.0.0.1"), QStringLiteral("localhost")}) {
        RecordingClient &client = makeClient();
        client.SSL = 1;
        client.Open(host, server.port());
        ASSERT_TRUE(pump.runUntil([&] { return client.isOpen() || client.trapCount > 0; }));
        ASSERT_TRUE(client.isOpen()) << client.trapText.toStdString();
        ASSERT_TRUE(client.sendBytes("secret hello"));
        EXPECT_TRUE(pump.runUntil([&] { return client.received == "secret hello"; }));
        client.Close();
        EXPECT_TRUE(pump.runUntil([&] { return client._BetweenPhaseOneAnTwo == 0; }));
    }
    std::string none;
    ASSERT_EQ(NetOptions(NetOptionSSLCAFile, none), 0);
}

TEST_F(NetSimpleTest, TlsRefusesAnUntrustedCertificateUnlessVerificationIsOff)
{
    LoopbackServer server(LoopbackServer::echo(), true);
    RecordingClient &client = makeClient();
    client.SSL = 1;
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(pump.runUntil([&] { return client.trapCount > 0 || client.isOpen(); }));
    // Refused for its certificate, and the report says so and why.
    EXPECT_EQ(client.Error, -61);
    EXPECT_EQ(client.trapText,
              QStringLiteral("The server's certificate was refused: self-signed certificate"));

    std::string off = "0";
    ASSERT_EQ(NetOptions(NetOptionSSLVerifyPeer, off), 0);
    EXPECT_TRUE(openTo(client, server.port()));
    std::string on = "1";
    NetOptions(NetOptionSSLVerifyPeer, on);
}

TEST_F(NetSimpleTest, SuppressedErrorsAreOnlyLogged)
{
    RecordingClient client(&ui);
    client.SuppressErrorMsg = 1;
    client.Open(QStringLiteral("127.0.0.1"), 80);
    EXPECT_TRUE(ui.interactions().isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral(
        "<no display> Error = -60 = The NetSimple object's Init() method was not called before "
        "the Open() method was called : Object's Init method not called before the Object was "
        "used Function = NetSimple.Open Server =  Port = 0")));
}

TEST_F(NetSimpleTest, InterpretErrorUsesTheTableThenTheLibrary)
{
    RecordingClient &client = makeClient();
    client.Error = -57;
    EXPECT_EQ(client.InterpretError(),
              QStringLiteral("Connection was closed because it was idle (inactive)"));
    client.Error = 0;
    EXPECT_EQ(client.InterpretError(), QStringLiteral("General Object level error"));
    client.Error = -5;
    EXPECT_EQ(client.InterpretError(), QStringLiteral("Main start sequence faile"));
    client.Error = -61; // the last of the table
    EXPECT_EQ(client.InterpretError(), QStringLiteral("SSL (Secure Connection) Failed"));
    // Just past either end of the table: the library's text.
    for (const int error : {-62, 1, -200}) {
        client.Error = error;
        EXPECT_EQ(client.InterpretError(),
                  QString::fromStdString(NetErrorStr(error))
                      + QStringLiteral(" [listed by NetErrorStr]"))
            << error;
    }
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Not an object level error - need to ask the network library (NetErrorStr)")));

    client.Error = 0;
    client.ErrorTrap(QStringLiteral("Something"), QStringLiteral("Test.Function"));
    EXPECT_EQ(client.ErrorString, QStringLiteral("Something."));
    EXPECT_EQ(ui.messages().last(),
              QStringLiteral("A network communication error has occurred."
                             "\n\nError = Something.\n\nError occurred in "
                             "function Test.Function"));
}

TEST_F(NetSimpleTest, KillReturnsTheEventAndClosesTheConnection)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient &client = makeClient();
    ASSERT_TRUE(openTo(client, server.port()));
    const NetConnection before = client._Connection;
    client.Kill();
    EXPECT_EQ(client._Initalised, 0);
    EXPECT_EQ(client._Connection.Thread, 0);
    EXPECT_EQ(client.WholePacketQueue, nullptr);
    NetConnection record = before;
    NetPacket packet{};
    EXPECT_EQ(NetSimpleConnectReceive(record, packet), -13);

    client.Init(0);
    EXPECT_NE(client._Connection.Event, 0);
    EXPECT_TRUE(openTo(client, server.port()));
}

} // namespace
} // namespace pk::test
