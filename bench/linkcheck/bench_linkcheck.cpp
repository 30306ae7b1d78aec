// "Test Links" throughput: by default 900 locations against a loopback server that answers each HEAD after
// 200 ms. Nine tests at a time make 100 rounds, so the ideal run takes 20 s; the target is to
// stay within 1.15 times that. Prints the figures; exits with 1 when the target is missed.
//
// With hosts > 1 the locations are spread over that many servers (one port each), host h
// answering after delay-ms * (1 + h % 5) / 3; per-host > 0 switches on the web settings with
// that many connections to one host, and the ideal is what the two limits allow.
//
// Usage: bench_linkcheck [locations] [delay-ms] [hosts] [per-host] [windows]

#include "loopbackserver.h"

#include "framework/scripteduserinterface.h"
#include "linkcheck/runningtests.h"
#include "linkcheck/testlinksprocess.h"
#include "linkcheck/widgets/testlinkswindow.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"
#include "store/view.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using pk::test::LoopbackServer;

struct Gauge
{
    std::atomic<int> now{0};
    std::atomic<int> most{0};
    std::atomic<int> answered{0};
};

/// Largest resident set of the process so far, in MiB.
double peakMemoryMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char *argv[])
{
    // "windows" runs it as the program does: the progress window, and a window per test.
    const bool windows = argc > 5 && std::strcmp(argv[5], "windows") == 0;
    std::unique_ptr<QCoreApplication> application;
    if (windows)
        application = std::make_unique<QApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication &app = *application;
    const int count = argc > 1 ? std::atoi(argv[1]) : 900;
    const int delayMs = argc > 2 ? std::atoi(argv[2]) : 200;
    const int hosts = std::max(1, argc > 3 ? std::atoi(argv[3]) : 1);
    const int perHost = argc > 4 ? std::atoi(argv[4]) : 0;
    constexpr int Parallel = 9;

    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        unsetenv(name);
    QTemporaryDir temp;
    qputenv("XDG_CONFIG_HOME", (temp.path() + QStringLiteral("/config")).toUtf8());
    const QString folder = temp.path() + QStringLiteral("/collection");
    QDir().mkpath(folder);

    // The servers run in a child process, so that the memory measured is the run's own; the
    // gauges live in memory both processes share.
    std::vector<int> delays;
    for (int h = 0; h < hosts; ++h)
        delays.push_back(hosts == 1 ? delayMs : delayMs * (1 + h % 5) / 3);
    void *shared = mmap(nullptr,
                        sizeof(Gauge) * std::size_t(hosts),
                        PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS,
                        -1,
                        0);
    if (shared == MAP_FAILED) {
        std::fprintf(stderr, "cannot share the gauges\n");
        return 2;
    }
    auto *gauges = static_cast<Gauge *>(shared);
    for (int h = 0; h < hosts; ++h)
        new (&gauges[h]) Gauge;
    int portPipe[2];
    int stopPipe[2];
    if (pipe(portPipe) != 0 || pipe(stopPipe) != 0)
        return 2;
    const pid_t child = fork();
    if (child < 0)
        return 2;
    if (child == 0) {
        close(portPipe[0]);
        close(stopPipe[1]);
        std::vector<std::unique_ptr<LoopbackServer>> servers;
        for (int h = 0; h < hosts; ++h) {
            Gauge *gauge = &gauges[h];
            const int delay = delays[std::size_t(h)];
            servers.push_back(
                std::make_unique<LoopbackServer>([gauge, delay](LoopbackServer::Connection &c) {
                    const int n = ++gauge->now;
                    int seen = gauge->most.load();
                    while (n > seen && !gauge->most.compare_exchange_weak(seen, n)) {
                    }
                    c.readRequest();
                    c.pause(delay);
                    // Counted out before the answer leaves: the client may open its next
                    // connection before this thread runs again.
                    --gauge->now;
                    ++gauge->answered;
                    c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                           "1234\r\n\r\n");
                }));
            const std::uint16_t port = servers.back()->port();
            if (write(portPipe[1], &port, sizeof port) != ssize_t(sizeof port))
                _exit(2);
        }
        char byte = 0;
        while (read(stopPipe[0], &byte, 1) > 0) {
        }
        for (auto &server : servers)
            server->stop();
        _exit(0);
    }
    close(portPipe[1]);
    close(stopPipe[0]);
    std::vector<std::uint16_t> ports;
    for (int h = 0; h < hosts; ++h) {
        std::uint16_t port = 0;
        if (read(portPipe[0], &port, sizeof port) != ssize_t(sizeof port)) {
            std::fprintf(stderr, "the servers did not start\n");
            return 2;
        }
        ports.push_back(port);
    }

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
    std::vector<int> perHostCount(std::size_t(hosts), 0);
    const pk::StoreStatus filled = collection.transaction([&]() -> pk::StoreStatus {
        for (int i = 0; i < count; ++i) {
            // Key order runs through the hosts one after another: the worst case for a run
            // that takes locations in key order.
            const int h = int(qint64(i) * hosts / count);
            ++perHostCount[std::size_t(h)];
            pk::LocationRecord r;
            r.Location = QStringLiteral("http://127.0.0.1:%1/page%2.html")
                             .arg(ports[std::size_t(h)])
                             .arg(i, 5, 10, QLatin1Char('0'));
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
    if (perHost > 0) {
        env.web = pk::WebCheckSettings();
        env.web.perHost = perHost;
        env.web.summary = false;
    }
    auto owned = std::make_unique<pk::TestLinksProcess>(std::move(env));
    pk::TestLinksProcess &process = *owned;
    int mostRunning = 0;
    QObject::connect(&process, &pk::TestLinksProcess::testStarted, [&mostRunning](pk::LinkTest *) {
        mostRunning = std::max(mostRunning, pk::RunningTests::instance().count() + 1);
    });
    QObject::connect(&process, &pk::TestLinksProcess::finished, &app, &QCoreApplication::quit);

    if (!process.confirm())
        return 2;
    const double memoryBefore = peakMemoryMiB();
    QElapsedTimer wall;
    const std::clock_t cpuStart = std::clock();
    wall.start();
    std::unique_ptr<pk::TestLinksWindow> window;
    if (windows) {
        // The window starts the run from the event loop, as when the menu item is chosen.
        window = std::make_unique<pk::TestLinksWindow>(std::move(owned), nullptr);
        window->show();
        app.exec();
    } else {
        process.run();
        if (!process.isFinished())
            app.exec();
    }
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

    // The ideal: the busiest host at its own limit, or all the work over nine slots.
    const int hostLimit = perHost > 0 ? std::min(perHost, Parallel) : Parallel;
    double ideal = 0;
    double work = 0;
    for (int h = 0; h < hosts; ++h) {
        const int n = perHostCount[std::size_t(h)];
        const int limit = std::min(hostLimit, Parallel);
        ideal = std::max(ideal, double((n + limit - 1) / limit) * delays[std::size_t(h)] / 1000.0);
        work += double(n) * delays[std::size_t(h)] / 1000.0;
    }
    ideal = std::max(ideal, work / Parallel);
    if (hosts == 1)
        ideal = double((count + hostLimit - 1) / hostLimit) * delayMs / 1000.0;
    int answered = 0;
    int mostOnOneHost = 0;
    for (int h = 0; h < hosts; ++h) {
        answered += gauges[h].answered.load();
        mostOnOneHost = std::max(mostOnOneHost, gauges[h].most.load());
    }
    const double ratio = seconds / ideal;
    std::printf("locations            %d over %d host(s), per-host limit %d\n",
                count,
                hosts,
                perHost);
    std::printf("tests started        %d\n", process.testsStarted());
    std::printf("answered by servers  %d\n", answered);
    std::printf("marked passed        %d\n", passed);
    std::printf("most connections     %d (one host), %d (running list)\n",
                mostOnOneHost,
                mostRunning);
    std::printf("wall time            %.2f s (ideal %.2f s, ratio %.3f, target 1.15)\n",
                seconds,
                ideal,
                ratio);
    std::printf("process CPU time     %.2f s\n", cpu);
    std::printf("peak memory          %.1f MiB before the run, %.1f MiB after\n",
                memoryBefore,
                peakMemoryMiB());
    close(stopPipe[1]);
    waitpid(child, nullptr, 0);
    const bool ok = ratio <= 1.15 && passed == count && mostOnOneHost <= hostLimit
                    && mostRunning <= Parallel;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
