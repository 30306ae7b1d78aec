// Page analysis and download against pages that would hold them without limits:
//  - the analysis of a 150 MB page of tags, run in a child process whose peak memory is
//    measured from outside (target: under 100 MB);
//  - a download of an endless page stopped at the size limit (target: within 1 s of the
//    server crossing it);
//  - a download of a 1 GB gzip bomb with the default limits (how soon, and how much written).
#include "childrun.h"
#include "linkcheck/analysis/pagedownload.h"
#include "linkcheck/analysis/urlanalyzer.h"
#include "linkcheck/fetchlimits.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <httplib.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

using Clock = std::chrono::steady_clock;

void noProxy()
{
    for (const char *name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
}

/// An HTTP server on 127.0.0.1 in a thread of its own.
class Server
{
public:
    Server()
    {
        m_port = http.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { http.listen_after_bind(); });
        while (!http.is_running())
            std::this_thread::yield();
    }
    ~Server()
    {
        http.stop();
        m_thread.join();
    }
    QString url(const char *path) const
    {
        return u"http://127.0.0.1:%1%2"_s.arg(m_port).arg(QLatin1String(path));
    }

    httplib::Server http;

private:
    std::thread m_thread;
    int m_port = 0;
};

/// Child: analyses a 150 MB page of <b> tags served as it is read.
int analyseTagPage()
{
    noProxy();
    const std::string head = "<html><head><title>Tags</title>"
                             "<meta name=\"description\" content=\"A page of tags\"></head><body>";
    const std::size_t size = 150u * 1024 * 1024;
    std::string block;
    while (block.size() < 64 * 1024)
        block += "<b>";
    Server server;
    server.http.Get("/tags.html", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content_provider(size,
                                 "text/html",
                                 [&](size_t offset, size_t length, httplib::DataSink &sink) {
                                     if (offset == 0) {
                                         sink.write(head.data(), head.size());
                                         return true;
                                     }
                                     sink.write(block.data(), std::min(length, block.size()));
                                     return true;
                                 });
    });
    std::vector<QString> tokens;
    QString why;
    QElapsedTimer clock;
    clock.start();
    const int result
        = pk::UrlAnalyzer::fetchWith(server.url("/tags.html"), tokens, pk::FetchLimits(), &why);
    std::printf("  analysed %d bytes in %.1f s, %zu tokens kept%s%s\n",
                result,
                double(clock.elapsed()) / 1000.0,
                tokens.size(),
                why.isEmpty() ? "" : ", failed: ",
                qPrintable(why));
    return result > 100 * 1024 * 1024 ? 0 : 1;
}

/// `size` zero bytes packed with gzip.
std::string gzipOfZeros(std::size_t size)
{
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(1 << 20, '\0');
    std::string out;
    std::string buffer(1 << 16, '\0');
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(zeros.size(), size - done);
        done += n;
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.data()));
        stream.avail_in = uInt(n);
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
            stream.avail_out = uInt(buffer.size());
            deflate(&stream, done == size ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer.data(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

void downloadOverTheSizeLimit()
{
    noProxy();
    const qint64 limit = qint64(64) << 20;
    std::atomic<Clock::rep> crossed{0};
    const std::string block(256 * 1024, 'd');
    Server server;
    server.http.Get("/endless.bin", [&](const httplib::Request &, httplib::Response &res) {
        res.set_chunked_content_provider("application/octet-stream",
                                         [&, sent = qint64(0)](size_t,
                                                               httplib::DataSink &sink) mutable {
                                             if (!sink.write(block.data(), block.size()))
                                                 return false;
                                             sent += qint64(block.size());
                                             if (sent > limit && crossed.load() == 0)
                                                 crossed = Clock::now().time_since_epoch().count();
                                             return sent < (qint64(4) << 30);
                                         });
    });
    QTemporaryDir dir;
    pk::FetchLimits limits;
    limits.pageBytes = limit;
    QString why;
    pk::PageDownload::fetch(dir.path() + u"/*"_s,
                            server.url("/endless.bin"),
                            dir.path(),
                            limits,
                            nullptr,
                            &why);
    const auto stopped = Clock::now().time_since_epoch().count();
    const double late = crossed.load() == 0 ? -1
                                            : double(stopped - crossed.load()) * Clock::period::num
                                                  / Clock::period::den;
    std::printf("download of an endless page, limit 64 MB: stopped %.3f s after the server "
                "crossed the limit (target < 1 s): %s; files left: %lld\n",
                late,
                qPrintable(why),
                static_cast<long long>(QDir(dir.path()).entryList(QDir::Files).size()));
}

void downloadGzipBomb()
{
    noProxy();
    const std::string packed = gzipOfZeros(std::size_t(1) << 30);
    Server server;
    server.http.Get("/bomb.html", [&](const httplib::Request &, httplib::Response &res) {
        res.set_header("Content-Encoding", "gzip");
        res.set_content(packed, "text/html");
    });
    QTemporaryDir dir;
    QString why;
    QElapsedTimer clock;
    clock.start();
    pk::PageDownload::fetch(dir.path() + u"/*"_s,
                            server.url("/bomb.html"),
                            dir.path(),
                            pk::FetchLimits(),
                            nullptr,
                            &why);
    std::printf("download of a gzip bomb (%.1f MB packed, 1 GB unpacked), default limits: "
                "ended after %.2f s: %s; files left: %lld\n",
                double(packed.size()) / 1e6,
                double(clock.elapsed()) / 1000.0,
                qPrintable(why),
                static_cast<long long>(QDir(dir.path()).entryList(QDir::Files).size()));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--analyse-tags") == 0)
        return analyseTagPage();

    std::printf("analysis of a 150 MB page of <b> tags (child process):\n");
    const pk::bench::ChildRun run = pk::bench::ChildRun::run(argv[0], {u"--analyse-tags"_s});
    std::printf("  %s, %.1f s, peak memory %.1f MB (target < 100 MB)\n",
                run.succeeded() ? "ok" : "FAILED",
                run.wallSeconds,
                run.maxResidentMegabytes);
    downloadOverTheSizeLimit();
    downloadGzipBomb();
    return 0;
}
