// Web client throughput on loopback: many short HEAD requests one after the other, and one
// large GET body collected into the page buffer, with and without an announced length.

#include "loopbackserver.h"

#include "net/netlibrary.h"
#include "net/netwebclient.h"
#include "net/queueeventposter.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using pk::test::LoopbackServer;

class BenchClient final : public pk::NetWebClient
{
public:
    int pages = 0;
    int errors = 0;
    void PageReceived() override { ++pages; }
    void ErrorTrap(const QString &text, const QString &function) override
    {
        ++errors;
        std::fprintf(stderr, "error %d: %s (%s)\n", Error, qPrintable(text), qPrintable(function));
    }
};

/// Hands events to the client until it has `pages` pages or an error.
bool pump(pk::QueueEventPoster &poster, BenchClient &client, int pages)
{
    const auto until = Clock::now() + std::chrono::seconds(60);
    while (client.pages < pages && client.errors == 0 && Clock::now() < until) {
        if (const auto event = poster.take(std::chrono::milliseconds(50)))
            client.TakeEvent(*event);
    }
    return client.pages >= pages;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void sequentialHeads(pk::QueueEventPoster &poster, int count)
{
    LoopbackServer server([](LoopbackServer::Connection &c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1234\r\n\r\n");
        c.hold();
    });
    BenchClient client;
    client.Init();
    client.CanUseProxy = 0;
    client.HeaderOnly = 1;
    const QString url = QStringLiteral("http://127.0.0.1:%1/page.html").arg(server.port());
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        client.Fetch(url);
        if (!pump(poster, client, i + 1)) {
            std::printf("HEAD: stopped after %d requests\n", i);
            break;
        }
    }
    const double s = seconds(Clock::now() - start);
    std::printf("HEAD x %d sequential: %.2f s, %.0f requests/s, %.1f us each\n",
                client.pages,
                s,
                client.pages / s,
                s * 1e6 / std::max(client.pages, 1));
    client.Kill();
}

void bigBody(pk::QueueEventPoster &poster, std::int64_t size, bool announce)
{
    LoopbackServer server([size, announce](LoopbackServer::Connection &c) {
        c.readRequest();
        std::string header = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
        if (announce)
            header += "Content-Length: " + std::to_string(size) + "\r\n";
        c.send(header + "\r\n");
        const std::string block(1 << 20, 'b');
        for (std::int64_t sent = 0; sent < size; sent += std::int64_t(block.size())) {
            const auto n = std::min<std::int64_t>(std::int64_t(block.size()), size - sent);
            if (!c.send(std::string_view(block).substr(0, std::size_t(n))))
                return;
        }
        if (announce)
            c.hold(); // the length ends the page; without it the close does
    });
    BenchClient client;
    client.Init();
    client.CanUseProxy = 0;
    const auto start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    client.Fetch(QStringLiteral("http://127.0.0.1:%1/big.bin").arg(server.port()));
    const bool ok = pump(poster, client, 1);
    const double s = seconds(Clock::now() - start);
    // Processor time of the whole process (client, library and server threads): on a busy
    // machine it shows what the transfer costs when it is not kept waiting.
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const std::int64_t body = client.PageLen - client.HeaderLen;
    std::printf("GET %lld MB %s Content-Length: %s, %.2f s, %.0f MB/s (%.2f s processor time, "
                "%.0f MB per processor second), %d buffer growths, buffer %lld MB\n",
                static_cast<long long>(size >> 20),
                announce ? "with" : "without",
                ok && body == size ? "complete" : "INCOMPLETE",
                s,
                double(body) / 1e6 / s,
                cpu,
                double(body) / 1e6 / cpu,
                client._PageGrowths,
                static_cast<long long>(client._AllocatedPageLen >> 20));
    client.Kill();
}

} // namespace

int main(int argc, char **argv)
{
    int heads = 10000;
    std::int64_t megabytes = 200;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--heads=", 0) == 0)
            heads = std::atoi(arg.c_str() + 8);
        else if (arg.rfind("--megabytes=", 0) == 0)
            megabytes = std::atoll(arg.c_str() + 12);
    }
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");

    pk::QueueEventPoster poster;
    const int thread = pk::NetRegisterPoster(&poster);
    sequentialHeads(poster, heads);
    bigBody(poster, megabytes << 20, true);
    bigBody(poster, megabytes << 20, false);
    pk::NetUnregisterPoster(thread);
    pk::NetCloseCallBackWindow();
    return 0;
}
