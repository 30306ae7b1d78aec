#include "linkcheckfixture.h"

#include "store/categorymanager.h"
#include "store/detailmanager.h"
#include "store/locationmanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

#include <cstdlib>

namespace pk::test {

LoopbackServer::Handler answer(std::string statusLine,
                               std::vector<std::string> lines,
                               int delayMs,
                               ConnectionGauge *gauge)
{
    return [statusLine, lines, delayMs, gauge](LoopbackServer::Connection &c) {
        if (gauge)
            gauge->enter();
        c.readRequest();
        if (delayMs > 0)
            c.pause(delayMs);
        std::string response = statusLine + "\r\n";
        for (const std::string &line : lines)
            response += line + "\r\n";
        response += "\r\n";
        c.send(response);
        if (gauge)
            gauge->leave();
    };
}

void LinkCheckTest::SetUpTestSuite()
{
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "linkcheck_tests";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

void LinkCheckTest::SetUp()
{
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"}) {
        if (const char *v = std::getenv(name))
            m_savedEnv.emplace_back(name, v);
        unsetenv(name);
    }
    ASSERT_TRUE(QDir().mkpath(temp.folder()));
    collection = std::make_unique<Collection>(temp.folder());
    ASSERT_TRUE(collection->openAll(true));
}

void LinkCheckTest::TearDown()
{
    tests.clear();
    collection.reset();
    for (const auto &[name, value] : m_savedEnv)
        setenv(name.c_str(), value.c_str(), 1);
}

LinkTestEnvironment LinkCheckTest::environment(int timeLimitMs)
{
    LinkTestEnvironment env;
    Collection *c = collection.get();
    env.collection = [c] { return c; };
    env.ui = &ui;
    env.timeLimit = std::chrono::milliseconds(timeLimitMs);
    env.tick = std::chrono::milliseconds(20);
    return env;
}

void LinkCheckTest::addLocation(const QString &location,
                                const QString &custom1,
                                const QString &custom2,
                                const QString &category)
{
    LocationRecord r;
    r.Location = location;
    r.Description = location;
    r.Category = category.isEmpty() ? QStringLiteral("General") : category;
    if (!collection->categories().exists(r.Category)) {
        CategoryRecord c;
        c.Category = r.Category;
        ASSERT_TRUE(collection->categories().insert(c));
    }
    r.Custom1 = custom1;
    r.Custom2 = custom2;
    const StoreStatus status = collection->locations().insert(r);
    ASSERT_TRUE(status) << status.describe().toStdString();
}

LocationRecord LinkCheckTest::location(const QString &location)
{
    LocationRecord r;
    EXPECT_TRUE(collection->locations().get(location, r));
    return r;
}

std::vector<DetailRecord> LinkCheckTest::details(const QString &location)
{
    std::vector<DetailRecord> rows;
    EXPECT_TRUE(collection->details().list(location, rows));
    return rows;
}

int LinkCheckTest::runTest(const QString &url, bool update, int timeLimitMs, LinkTest **keep)
{
    tests.push_back(std::make_unique<LinkTest>(environment(timeLimitMs), url, update));
    LinkTest &test = *tests.back();
    test.start();
    const bool ended = QTest::qWaitFor([&test] { return test.isFinished(); }, timeLimitMs + 5000);
    EXPECT_TRUE(ended);
    if (keep)
        *keep = &test;
    return test.result();
}

QString LinkCheckTest::urlOf(const LoopbackServer &server, const char *path)
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(QLatin1String(path));
}

} // namespace pk::test
