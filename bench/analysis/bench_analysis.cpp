// Token cutting speed on a 5 MB page, and a 200 MB download to disk over loopback with the
// process's peak memory. Prints MB/s; the targets are 100 MB/s and 200 MB/s.
#include "linkcheck/analysis/pagedownload.h"
#include "linkcheck/analysis/tokencutter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <httplib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

long peakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

std::string samplePage(std::size_t size)
{
    const std::string chunk
        = "<tr><td class=\"name\"><a href=\"http://example.org/page\">A link text"
          "</a></td>\r\n<td>Some words of ordinary text in a table cell</td></tr>\r\n";
    std::string page = "<html><head><title>Bench</title></head><body><table>";
    while (page.size() < size)
        page += chunk;
    return page;
}

} // namespace

int main()
{
    // The download runs first, so the peak memory it reports is its own.
    // Download: 200 MB from a loopback server to a file.
    {
        for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
            unsetenv(name);
        const std::size_t size = 200u * 1024 * 1024;
        const std::string block(1024 * 1024, 'd');
        httplib::Server server;
        server.Get("/big.bin", [&](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(size,
                                     "application/octet-stream",
                                     [&](size_t offset, size_t length, httplib::DataSink &sink) {
                                         const size_t n = std::min(length, block.size());
                                         sink.write(block.data(), n);
                                         (void) offset;
                                         return true;
                                     });
        });
        const int port = server.bind_to_any_port("127.0.0.1");
        std::thread thread([&] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::yield();

        QTemporaryDir dir;
        const long before = peakKilobytes();
        QElapsedTimer clock;
        clock.start();
        pk::PageDownload download(dir.path() + QStringLiteral("/*"),
                                  QStringLiteral("http://127.0.0.1:%1/big.bin").arg(port),
                                  dir.path());
        download.start();
        while (download.tick(5)) {
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        std::printf("download, 200 MB to disk: %.0f MB/s (target >= 200), %s, %lld bytes, "
                    "peak memory %ld kB -> %ld kB\n",
                    double(size) / 1e6 / seconds,
                    download.succeeded() ? "ok" : "FAILED",
                    static_cast<long long>(QFile(download.filePath()).size()),
                    before,
                    peakKilobytes());
        server.stop();
        thread.join();
    }
    // Token cutter: the page in 16384-byte blocks, as the analysis reads it.
    {
        const std::string page = samplePage(5 * 1024 * 1024);
        double best = 0;
        for (int round = 0; round < 5; ++round) {
            pk::TokenCutter cutter;
            std::vector<QString> tokens;
            tokens.reserve(200000);
            QElapsedTimer clock;
            clock.start();
            for (std::size_t at = 0; at < page.size(); at += 16384) {
                const std::size_t n = std::min<std::size_t>(16384, page.size() - at);
                cutter.cutBytes(page.data() + at, qsizetype(n), tokens);
            }
            const double seconds = double(clock.nsecsElapsed()) / 1e9;
            best = std::max(best, double(page.size()) / 1e6 / seconds);
        }
        std::printf("token cutter, 5 MB page: %.0f MB/s (target >= 100)\n", best);
    }

    return 0;
}
