#include "linkcheckfixture.h"

#include "linkcheck/runningtests.h"
#include "linkcheck/testlinksprocess.h"
#include "platform/inifile.h"

#include <QTest>

using namespace pk;
using namespace pk::test;

namespace {

class TestLinksTest : public LinkCheckTest
{
protected:
    TestLinksEnvironment processEnvironment(int timeLimitMs = 5000)
    {
        TestLinksEnvironment env;
        env.test = environment(timeLimitMs);
        env.refreshLists = [this] { ++refreshes; };
        env.traceFile = temp.root() + QStringLiteral("/DEBUG.INI");
        return env;
    }

    /// Answers the two questions (proceed: Yes, query wizard: `query`) and runs to the end.
    void runProcess(TestLinksProcess &process, bool query = false, int timeoutMs = 20000)
    {
        ui.push(true);
        ui.push(query);
        ASSERT_TRUE(process.confirm());
        process.run();
        EXPECT_TRUE(QTest::qWaitFor([&process] { return process.isFinished(); }, timeoutMs));
    }

    int refreshes = 0;
};

} // namespace

TEST_F(TestLinksTest, NoMeansNothingHappens)
{
    TestLinksProcess process(processEnvironment());
    ui.push(false);
    EXPECT_FALSE(process.confirm());
    ASSERT_EQ(ui.interactions().size(), 1);
    EXPECT_EQ(ui.interactions()[0].title, QStringLiteral("Test Links"));
    EXPECT_EQ(ui.interactions()[0].text, QLatin1String(TestLinksProcess::Question));
}

TEST_F(TestLinksTest, TestsOnlyHttpLocationsAndTracesEachTest)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK"));
    const QString a = urlOf(server, "/a");
    const QString b = urlOf(server, "/b");
    addLocation(a);
    addLocation(b);
    const QString upper = QStringLiteral("HTTP://127.0.0.1:%1/upper").arg(server.port());
    const QString secure = QStringLiteral("https://127.0.0.1:%1/secure").arg(server.port());
    addLocation(upper);
    addLocation(secure);
    addLocation(QStringLiteral("ftp://files.test/"));

    TestLinksProcess process(processEnvironment());
    QStringList texts;
    QObject::connect(&process, &TestLinksProcess::progressText, [&texts](const QString &t) {
        texts << t;
    });
    runProcess(process);

    EXPECT_EQ(process.total(), 5);
    EXPECT_EQ(process.counter(), 5);
    EXPECT_EQ(process.testsStarted(), 2);
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(location(a).Validated, 1);
    EXPECT_EQ(location(b).Validated, 1);
    EXPECT_EQ(location(upper).Validated, 0);
    EXPECT_EQ(location(secure).Validated, 0);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(texts.contains(QStringLiteral("Testing 5 of up to 5")));
    EXPECT_EQ(ui.titles(),
              (QStringList{QStringLiteral("Test Links"), QStringLiteral("Query Wizard")}));

    IniFile trace(temp.root() + QStringLiteral("/DEBUG.INI"));
    ASSERT_TRUE(trace.load());
    const QStringList entries = trace.keys(QStringLiteral("Testing"));
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(trace.value(QStringLiteral("Testing"), entries.first()),
              QDate::currentDate().toString(QStringLiteral("dd/MM/yy")));
}

TEST_F(TestLinksTest, QueryWizardChoosesTheLocations)
{
    LoopbackServer server(answer("HTTP/1.1 404 Not Found"));
    const QString news = urlOf(server, "/news");
    const QString other = urlOf(server, "/other");
    addLocation(news, {}, {}, QStringLiteral("News"));
    addLocation(other, {}, {}, QStringLiteral("Sport"));

    TestLinksEnvironment env = processEnvironment();
    int wizardRuns = 0;
    env.queryWizard = [&wizardRuns]() -> std::optional<QString> {
        ++wizardRuns;
        return QStringLiteral("URL:Category = 'news'");
    };
    TestLinksProcess process(std::move(env));
    QString percent;
    QObject::connect(&process, &TestLinksProcess::percentText, [&percent](const QString &text) {
        percent = text;
    });
    runProcess(process, true);
    EXPECT_EQ(wizardRuns, 1);
    // One of two records matched, yet the run looked at them all: it ends complete.
    EXPECT_EQ(percent, QStringLiteral("100% Completed"));
    EXPECT_EQ(location(news).Validated, 2);
    EXPECT_EQ(location(other).Validated, 0);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(TestLinksTest, NeverMoreThanNineTestsAtOnce)
{
    ConnectionGauge gauge;
    LoopbackServer server(answer("HTTP/1.1 200 OK", {}, 150, &gauge));
    std::vector<QString> urls;
    for (int i = 0; i < 20; ++i) {
        urls.push_back(urlOf(server, "/") + QString::number(i));
        addLocation(urls.back());
    }
    TestLinksProcess process(processEnvironment());
    int mostRunning = 0;
    QObject::connect(&process, &TestLinksProcess::testStarted, [&mostRunning](LinkTest *) {
        mostRunning = std::max(mostRunning, RunningTests::instance().count() + 1);
    });
    runProcess(process);
    EXPECT_EQ(process.testsStarted(), 20);
    EXPECT_LE(gauge.most.load(), 9);
    EXPECT_GE(gauge.most.load(), 2); // they do run side by side
    EXPECT_LE(mostRunning, 9);
    for (const QString &url : urls)
        EXPECT_EQ(location(url).Validated, 1) << url.toStdString();
    EXPECT_EQ(RunningTests::instance().count(), 0);
}

TEST_F(TestLinksTest, CancellingATestStopsTheRun)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.hold();
    });
    for (int i = 0; i < 15; ++i)
        addLocation(urlOf(server, "/") + QString::number(i));
    TestLinksProcess process(processEnvironment());
    LinkTest *first = nullptr;
    QObject::connect(&process, &TestLinksProcess::testStarted, [&first](LinkTest *t) {
        if (!first)
            first = t;
    });
    ui.push(true);
    ui.push(false);
    ASSERT_TRUE(process.confirm());
    process.run();
    ASSERT_TRUE(QTest::qWaitFor([&process] { return process.testsRunning() == 9; }, 5000));
    first->cancel();
    ASSERT_TRUE(QTest::qWaitFor([&process] { return process.isStopped(); }, 5000));
    EXPECT_EQ(process.testsStarted(), 9);
    EXPECT_FALSE(process.isFinished()); // the others are still running
    EXPECT_EQ(refreshes, 0);

    // The run ends once the tests it started have ended (here at their time limit).
    EXPECT_TRUE(QTest::qWaitFor([&process] { return process.isFinished(); }, 10000));
    EXPECT_EQ(process.testsStarted(), 9);
    EXPECT_EQ(refreshes, 1);
    server.stop();
}
