#include "nettestsupport.h"

#include "net/netlibrary.h"
#include "net/qteventposter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>

#include <gtest/gtest.h>

namespace pk::test {
namespace {

/// A receiver that hands NetQtEvent to its network object, as a window does.
class Receiver final : public QObject
{
public:
    explicit Receiver(NetSimple *object)
        : m_object(object)
    {}
    bool event(QEvent *event) override
    {
        if (event->type() != NetQtEvent::eventType())
            return QObject::event(event);
        m_object->TakeEvent(static_cast<NetQtEvent *>(event)->netEvent());
        return true;
    }

private:
    NetSimple *m_object;
};

bool processUntil(const std::function<bool()> &done, int milliseconds = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

class QtEventPosterTest : public ::testing::Test
{
protected:
    int argc = 1;
    char name[10] = "net_tests";
    char *argv[1] = {name};
    QCoreApplication app{argc, argv};
    LogCapture quiet;
};

TEST_F(QtEventPosterTest, HandlerRunsOnTheReceiversThreadInOrder)
{
    QObject context;
    std::vector<int> seen;
    const auto owner = std::this_thread::get_id();
    bool foreignThread = false;
    QtEventPoster poster(&context, [&](int event) {
        foreignThread = foreignThread || std::this_thread::get_id() != owner;
        seen.push_back(event);
    });
    std::thread library([&] {
        for (int i = 1; i <= 2000; ++i)
            poster.post(i);
    });
    library.join();
    ASSERT_TRUE(processUntil([&] { return seen.size() == 2000; }));
    EXPECT_FALSE(foreignThread);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(seen[static_cast<std::size_t>(i)], i + 1);
}

TEST_F(QtEventPosterTest, ClientDrivenByQtEvents)
{
    LoopbackServer server(LoopbackServer::echo());
    RecordingClient client;
    Receiver receiver(&client);
    QtEventPoster poster(&receiver);
    const int thread = NetRegisterPoster(&poster);
    client.Init(0);
    EXPECT_EQ(client._Connection.Thread, thread);
    client.Open(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(processUntil([&] { return client.isOpen(); }));
    ASSERT_TRUE(client.sendBytes("through Qt"));
    EXPECT_TRUE(processUntil([&] { return client.received == "through Qt"; }));
    client.Kill();
    NetUnregisterPoster(thread);
}

} // namespace
} // namespace pk::test
