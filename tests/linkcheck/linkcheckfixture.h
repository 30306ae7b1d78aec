#pragma once

#include "framework/scripteduserinterface.h"
#include "linkcheck/linktest.h"
#include "loopbackserver.h"
#include "store/collection.h"
#include "support/tempcollection.h"

#include <gtest/gtest.h>

#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace pk::test {

/// Counts the connections a server holds at the same time.
struct ConnectionGauge
{
    std::atomic<int> now{0};
    std::atomic<int> most{0};

    void enter()
    {
        const int n = ++now;
        int seen = most.load();
        while (n > seen && !most.compare_exchange_weak(seen, n)) {
        }
    }
    void leave() { --now; }
};

/// A HEAD response with the given status line and header lines ("Name: value"), then close.
LoopbackServer::Handler answer(std::string statusLine,
                               std::vector<std::string> lines = {},
                               int delayMs = 0,
                               ConnectionGauge *gauge = nullptr);

/**
 * @brief A fresh collection, a scripted user interface and a Qt event loop for link tests.
 * No proxy is used (the variables are cleared and the configuration folder is empty).
 */
class LinkCheckTest : public testing::Test
{
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    LinkTestEnvironment environment(int timeLimitMs = 5000);
    void addLocation(const QString &location,
                     const QString &custom1 = {},
                     const QString &custom2 = {},
                     const QString &category = {});
    LocationRecord location(const QString &location);
    std::vector<DetailRecord> details(const QString &location);
    /// Runs one test to its end; returns its result.
    int runTest(const QString &url,
                bool update = true,
                int timeLimitMs = 5000,
                LinkTest **keep = nullptr);
    static QString urlOf(const LoopbackServer &server, const char *path = "/");

    TempCollection temp;
    std::unique_ptr<Collection> collection;
    ScriptedUserInterface ui;
    std::vector<std::unique_ptr<LinkTest>> tests;

private:
    std::vector<std::pair<std::string, std::string>> m_savedEnv;
};

} // namespace pk::test
