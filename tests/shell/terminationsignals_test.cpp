#include "framework/terminationrequest.h"
#include "shell/terminationsignals.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace pk;
using namespace std::chrono_literals;

// Each case runs in a child process of its own: the handlers are installed once per process.
class TerminationSignalsTest : public ::testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

    static int argc;
    static char *argv[];
};

int TerminationSignalsTest::argc = 1;
char *TerminationSignalsTest::argv[] = {const_cast<char *>("terminationsignals_test"), nullptr};

TEST_F(TerminationSignalsTest, EachSignalReachesTheEventLoopAsARequest)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        EXPECT_EXIT(
            {
                QCoreApplication app(argc, argv);
                TerminationSignals::install(&app, [] {
                    std::_Exit(TerminationRequest::isRequested() ? 3 : 4);
                });
                std::raise(number);
                app.exec();
                std::_Exit(5);
            },
            ::testing::ExitedWithCode(3),
            "")
            << "signal " << number;
    }
}

TEST_F(TerminationSignalsTest, AStuckCloseDownEndsAfterTheGracePeriod)
{
    EXPECT_EXIT(
        {
            QCoreApplication app(argc, argv);
            TerminationSignals::install(
                &app, [] {}, 200ms);
            std::raise(SIGTERM);
            // Never returns to the loop, as a window stuck in a long operation would.
            std::this_thread::sleep_for(30s);
            std::_Exit(5);
        },
        ::testing::ExitedWithCode(128 + SIGTERM),
        "did not finish in time");
}

TEST_F(TerminationSignalsTest, ASecondSignalEndsAtOnce)
{
    EXPECT_EXIT(
        {
            QCoreApplication app(argc, argv);
            TerminationSignals::install(
                &app, [] {}, 60s);
            std::raise(SIGINT);
            std::raise(SIGINT);
            std::this_thread::sleep_for(30s);
            std::_Exit(5);
        },
        ::testing::ExitedWithCode(128 + SIGINT),
        "");
}

TEST(TerminationRequest, IsClearUntilRequested)
{
    TerminationRequest::resetForTest();
    EXPECT_FALSE(TerminationRequest::isRequested());
    TerminationRequest::request();
    EXPECT_TRUE(TerminationRequest::isRequested());
    TerminationRequest::resetForTest();
}
