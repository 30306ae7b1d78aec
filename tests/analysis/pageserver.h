#pragma once

#include <httplib.h>

#include <cstdint>
#include <string>
#include <thread>

namespace pk::test {

/// An HTTP server on 127.0.0.1 for the analysis and download tests; handlers are set on
/// `http` before start().
class PageServer
{
public:
    PageServer() = default;
    ~PageServer()
    {
        http.stop();
        if (m_thread.joinable())
            m_thread.join();
    }
    PageServer(const PageServer &) = delete;
    PageServer &operator=(const PageServer &) = delete;

    void start()
    {
        m_port = http.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { http.listen_after_bind(); });
        while (!http.is_running())
            std::this_thread::yield();
    }
    std::string url(const std::string &path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    /// Serves `body` as text/html at `path`.
    void page(const std::string &path, std::string body)
    {
        http.Get(path, [body = std::move(body)](const httplib::Request &, httplib::Response &res) {
            res.set_content(body, "text/html");
        });
    }

    httplib::Server http;

private:
    std::thread m_thread;
    int m_port = 0;
};

/// `size` letters that do not repeat in any pattern compression finds: a large page that a
/// server packing its answers (as this one does for text) cannot shrink past the limits on
/// unpacking.
inline std::string letters(std::size_t size)
{
    std::string text(size, 'a');
    std::uint32_t state = 2463534242u;
    for (char &c : text) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = char('a' + state % 26);
    }
    return text;
}

/// Keeps the proxy variables away from loopback requests for the test's lifetime.
class NoProxy
{
public:
    NoProxy();
    ~NoProxy();

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

} // namespace pk::test
