#include "nettestsupport.h"

#include "framework/scripteduserinterface.h"
#include "net/netlibrary.h"

#include <gtest/gtest.h>

namespace pk::test {
namespace {

void provokeLines(EventPump &pump)
{
    ScriptedUserInterface ui;
    RecordingClient client(&ui);
    client.Open(QStringLiteral("127.0.0.1"), 1); // an error line before Init
    client.Init(0);
    pump.add(&client);
    client.TakeEvent(client._Connection.Event); // a normal line
    client.Kill();
}

TEST(NetLogging, NoLogWinsOverEveryOtherSwitch)
{
    LogCapture log{
        {QStringLiteral("/netall"), QStringLiteral("/neterrors"), QStringLiteral("/netnolog")}};
    EventPump pump;
    provokeLines(pump);
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST(NetLogging, FullLoggingWritesFormattedLinesAndTheVersionOnce)
{
    LogCapture log{{QStringLiteral("/NetLog")}};
    EventPump pump;
    provokeLines(pump);
    provokeLines(pump);
    const QString prefix = QStringLiteral("[Net] [") + QString::number(pump.thread())
                           + QStringLiteral("] ");
    EXPECT_TRUE(log.lines().contains(
        prefix + QStringLiteral("NetSimple.Init - Initialising a new Client")));
    EXPECT_TRUE(
        log.lines().contains(prefix + QStringLiteral("_NetAll._LoggingSetup - Initialisation")));
    EXPECT_TRUE(log.lines().contains(
        prefix + QStringLiteral("NetSimple.Open - Error - Open being called before Init.")));
    EXPECT_TRUE(log.lines().contains(
        prefix
        + QStringLiteral(" - Network (Object) Information: Net:MaxBinData = 16384 "
                         "Size(Net:PacketType) = 17687 Size(Net:PublicServicesQType) = 599 "
                         "Size(Net:ServiceType) = 1117 Size(Net:RemoteType) = 149")));
    EXPECT_EQ(log.count(QStringLiteral("Network (Object) Information")), 1);
    EXPECT_EQ(log.count(QStringLiteral("net_tests /netlog")), 1); // lower-cased command line
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral("Pathkeep network library version")));
}

TEST(NetLogging, ErrorsOnlyWritesErrorLines)
{
    LogCapture log{{QStringLiteral("/netlogerrors")}};
    EventPump pump;
    provokeLines(pump);
    EXPECT_TRUE(log.contains(QStringLiteral(
        "Initialisation - ======== Object Logging : Errors only (/netlogerrors) ========")));
    EXPECT_TRUE(log.contains(QStringLiteral("Error - Open being called before Init.")));
    EXPECT_FALSE(log.contains(QStringLiteral("Initialising a new Client")));
    EXPECT_FALSE(log.contains(QStringLiteral("Attention.")));
    EXPECT_FALSE(log.contains(QStringLiteral("Network (Object) Information")));
}

TEST(NetLogging, CloseDownWritesClosingLinesWhenLoggingWasAskedFor)
{
    std::vector<std::string> traced;
    NetSetDebugSink([&](const std::string &line) { traced.push_back(line); });
    {
        LogCapture log{{QStringLiteral("/NETERRORS")}};
        _NetAll::closeDown();
    }
    ASSERT_EQ(traced.size(), 3u);
    EXPECT_EQ(traced[2], "[Net] Closing Down net_tests /neterrors");
    traced.clear();
    {
        LogCapture log{{QStringLiteral("/netlog"), QStringLiteral("/netnolog")}};
        _NetAll::closeDown();
    }
    EXPECT_TRUE(traced.empty());
    NetSetDebugSink({});

    // The library starts again for objects created after the close-down.
    LogCapture quiet;
    LoopbackServer server(LoopbackServer::echo());
    EventPump pump;
    RecordingClient client;
    client.Init(0);
    pump.add(&client);
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    EXPECT_TRUE(pump.runUntil([&] { return client.isOpen(); }));
    client.Kill();
}

TEST(NetLogging, NoSwitchMeansNoLines)
{
    LogCapture log;
    EventPump pump;
    provokeLines(pump);
    EXPECT_TRUE(log.lines().isEmpty());
}

} // namespace
} // namespace pk::test
