#include "linkcheckfixture.h"

#include "linkcheck/testlinksprocess.h"
#include "linkcheck/widgets/linkcheckprocedures.h"
#include "linkcheck/widgets/linktestwindow.h"
#include "linkcheck/widgets/testlinkswindow.h"
#include "shell/procedurenames.h"
#include "shell/procedureregistry.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace pk;
using namespace pk::test;

namespace {

/// Window tests run on the offscreen platform with a QApplication.
class LinkCheckWindowTest : public LinkCheckTest
{
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "linkcheck_window_tests";
            static char *argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
};

LoopbackServer::Handler silent()
{
    return [](LoopbackServer::Connection &c) {
        c.readRequest();
        c.hold();
    };
}

} // namespace

TEST_F(LinkCheckWindowTest, ClosingTheTestWindowCancelsTheTest)
{
    LoopbackServer server(silent());
    const QString url = urlOf(server);
    addLocation(url);
    QString title;
    QString shown;
    QTimer::singleShot(300, [&title, &shown] {
        QWidget *window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        title = window->windowTitle();
        shown = window->findChild<QPlainTextEdit *>()->toPlainText();
        window->close();
    });
    EXPECT_EQ(retrieveAndTest(environment(), url, true, nullptr), LinkTest::Cancelled);
    EXPECT_EQ(title, QStringLiteral("Retrieving information..."));
    EXPECT_EQ(shown, QStringLiteral("Retrieving information from ") + url);
    EXPECT_EQ(location(url).LastValidated, 0);
    server.stop();
}

TEST_F(LinkCheckWindowTest, TestWindowClosesByItselfWithTheAnswer)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK"));
    const QString url = urlOf(server);
    addLocation(url);
    EXPECT_EQ(retrieveAndTest(environment(), url, true, nullptr), LinkTest::Evaluated);
    EXPECT_EQ(location(url).Validated, 1);
}

TEST_F(LinkCheckWindowTest, ClosingTheProgressWindowStopsTestLinks)
{
    LoopbackServer server(silent());
    for (int i = 0; i < 12; ++i)
        addLocation(urlOf(server, "/") + QString::number(i));
    TestLinksEnvironment env;
    env.test = environment(1500);
    env.traceFile = temp.root() + QStringLiteral("/DEBUG.INI");
    auto process = std::make_unique<TestLinksProcess>(std::move(env));
    ui.push(true);
    ui.push(false);
    ASSERT_TRUE(process->confirm());
    TestLinksProcess *p = process.get();
    TestLinksWindow window(std::move(process), nullptr);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Testing Multiple Links"));
    ASSERT_TRUE(QTest::qWaitFor([p] { return p->testsRunning() == 9; }, 5000));
    const QList<QLabel *> labels = window.findChildren<QLabel *>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_TRUE(labels[0]->text().startsWith(QLatin1String("Testing ")));
    EXPECT_TRUE(labels[0]->text().endsWith(QLatin1String(" of up to 12")));

    // A window of its own above the frame, with Cancel.
    EXPECT_EQ(window.windowType(), Qt::Dialog);
    auto *cancel = window.findChild<QPushButton *>(QStringLiteral("cancel"));
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_TRUE(window.isVisible()); // stays until the running tests end
    EXPECT_TRUE(p->isStopped());
    ASSERT_TRUE(QTest::qWaitFor([p] { return p->isFinished(); }, 8000));
    EXPECT_EQ(p->testsStarted(), 9);
    EXPECT_FALSE(window.isVisible());
    server.stop();
}

TEST_F(LinkCheckWindowTest, TestWindowsAreReusedAndEachShowsItsOwnTest)
{
    LoopbackServer server(answer("HTTP/1.1 200 OK", {}, 30));
    for (int i = 0; i < 30; ++i)
        addLocation(urlOf(server, "/") + QString::number(i));
    TestLinksEnvironment env;
    env.test = environment(5000);
    env.traceFile = temp.root() + QStringLiteral("/DEBUG.INI");
    auto process = std::make_unique<TestLinksProcess>(std::move(env));
    ui.push(true);
    ui.push(false);
    ASSERT_TRUE(process->confirm());
    TestLinksProcess *p = process.get();
    QWidget parent;
    // Every running test has a visible window of its own showing its address.
    int mismatched = 0;
    QObject::connect(p, &TestLinksProcess::testStarted, &parent, [&](LinkTest *test) {
        QTimer::singleShot(0, &parent, [&, url = test->url()] {
            int showing = 0;
            for (auto *w : parent.findChildren<LinkTestWindow *>()) {
                if (w->isVisible()
                    && w->findChild<QPlainTextEdit *>()->toPlainText()
                           == QStringLiteral("Retrieving information from ") + url)
                    ++showing;
            }
            mismatched += showing > 1 ? 1 : 0; // (0: it may have ended already)
        });
    });
    {
        TestLinksWindow window(std::move(process), &parent);
        window.show();
        ASSERT_TRUE(QTest::qWaitFor([p] { return p->isFinished(); }, 20000));
        EXPECT_EQ(p->testsStarted(), 30);
        const auto windows = parent.findChildren<LinkTestWindow *>();
        EXPECT_LE(windows.size(), 9);
        for (auto *w : windows)
            EXPECT_FALSE(w->isVisible());
    }
    // The kept windows go with the progress window.
    EXPECT_TRUE(QTest::qWaitFor([&parent] { return parent.findChildren<LinkTestWindow *>().isEmpty(); },
                                5000));
    EXPECT_EQ(mismatched, 0);
}

TEST(LinkCheckProcedures, RegistersTheNamesTheListsAndTheFrameStart)
{
    registerLinkCheckProcedures();
    const ProcedureRegistry &registry = ProcedureRegistry::instance();
    EXPECT_TRUE(registry.contains(QLatin1String(Procedure::RetrieveAndTest)));
    EXPECT_TRUE(registry.contains(QLatin1String(Procedure::ValidateAll)));
    EXPECT_TRUE(registry.contains(QLatin1String(Procedure::ValidateFavorites)));
}
