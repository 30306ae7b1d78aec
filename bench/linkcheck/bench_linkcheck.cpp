// "Test Links" throughput: 900 locations against a loopback server that answers each HEAD after
// 200 ms. Nine tests at a time make 100 rounds, so the ideal run takes 20 s; the target is to
// stay within 1.15 times that. Prints the figures; exits with 1 when the target is missed.
//
// Usage: bench_linkcheck [locations] [delay-ms]

#include "loopbackserver.h"

#include "framework/scripteduserinterface.h"
#include "linkcheck/runningtests.h"
#include "linkcheck/testlinksprocess.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/view.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

using pk::test::LoopbackServer;

struct Gauge
{
    std::atomic<int> now{0};
    std::atomic<int> most{0};
    std::atomic<int> answered{0};
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 900;
    const int delayMs = argc > 2 ? std::atoi(argv[2]) : 200;
    constexpr int Parallel = 9;

    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        unsetenv(name);
    QTemporaryDir temp;
    qputenv("XDG_CONFIG_HOME", (temp.path() + QStringLiteral("/config")).toUtf8());
    const QString folder = temp.path() + QStringLiteral("/collection");
    QDir().mkpath(folder);

    Gauge gauge;
    LoopbackServer server([&gauge, delayMs](LoopbackServer::Connection &c) {
        const int n = ++gauge.now;
        int seen = gauge.most.load();
        while (n > seen && !gauge.most.compare_exchange_weak(seen, n)) {
        }
        c.readRequest();
        c.pause(delayMs);
        c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1234\r\n\r\n");
        ++gauge.answered;
        --gauge.now;
    });

    pk::Collection collection(folder);
    if (!collection.openAll(true)) {
        std::fprintf(stderr, "cannot create the collection\n");
        return 2;
    }
    pk::CategoryRecord category;
    category.Category = QStringLiteral("General");
    if (!collection.categories().insert(category)) {
        std::fprintf(stderr, "cannot add the category\n");
        return 2;
    }
    const pk::StoreStatus filled = collection.transaction([&]() -> pk::StoreStatus {
        for (int i = 0; i < count; ++i) {
            pk::LocationRecord r;
            r.Location = QStringLiteral("http://127.0.0.1:%1/page%2.html")
                             .arg(server.port())
                             .arg(i, 4, 10, QLatin1Char('0'));
            r.Description = r.Location;
            r.Category = category.Category;
            if (auto status = collection.locations().insert(r); !status)
                return status;
        }
        return {};
    });
    if (!filled) {
        std::fprintf(stderr, "cannot add the locations\n");
        return 2;
    }

    pk::ScriptedUserInterface ui;
    ui.push(true);  // proceed
    ui.push(false); // no query wizard
    pk::TestLinksEnvironment env;
    env.test.collection = [&collection] { return &collection; };
    env.test.ui = &ui;
    env.traceFile = temp.path() + QStringLiteral("/DEBUG.INI");
    pk::TestLinksProcess process(std::move(env));
    int mostRunning = 0;
    QObject::connect(&process, &pk::TestLinksProcess::testStarted, [&mostRunning](pk::LinkTest *) {
        mostRunning = std::max(mostRunning, pk::RunningTests::instance().count() + 1);
    });
    QObject::connect(&process, &pk::TestLinksProcess::finished, &app, &QCoreApplication::quit);

    if (!process.confirm())
        return 2;
    QElapsedTimer wall;
    const std::clock_t cpuStart = std::clock();
    wall.start();
    process.run();
    if (!process.isFinished())
        app.exec();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    int passed = 0;
    pk::View view(collection, pk::Keys::urlLocation());
    pk::ViewPage page;
    if (!view.firstPage(count, page)) {
        std::fprintf(stderr, "cannot read the locations\n");
        return 2;
    }
    for (const pk::ViewRow &row : page.rows)
        passed += row.location().Validated == 1 ? 1 : 0;

    const double ideal = double((count + Parallel - 1) / Parallel) * delayMs / 1000.0;
    const double ratio = seconds / ideal;
    std::printf("locations            %d\n", count);
    std::printf("tests started        %d\n", process.testsStarted());
    std::printf("answered by server   %d\n", gauge.answered.load());
    std::printf("marked passed        %d\n", passed);
    std::printf("most connections     %d (server), %d (running list)\n",
                gauge.most.load(),
                mostRunning);
    std::printf("wall time            %.2f s (ideal %.2f s, ratio %.3f, target 1.15)\n",
                seconds,
                ideal,
                ratio);
    std::printf("process CPU time     %.2f s\n", cpu);
    server.stop();
    const bool ok = ratio <= 1.15 && passed == count && gauge.most.load() <= Parallel;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
