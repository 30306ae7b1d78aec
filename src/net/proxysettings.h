#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pk {

/**
 * @brief Where the web client finds the HTTP proxy the desktop is set up with.
 *
 * The `http_proxy` (or `HTTP_PROXY`) environment variable wins when it is set; otherwise the
 * read-only registry file `registry.ini` in the configuration folder is read, section
 * `Software\Microsoft\Windows\CurrentVersion\Internet Settings`, number `ProxyEnable` and text
 * `ProxyServer` (a host:port, or a per-protocol list such as `http=gate:3128;ftp=other:21`).
 */
class ProxySettings final
{
public:
    static constexpr const char *RegistrySection
        = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    /// Longest proxy text taken from the settings.
    static constexpr std::size_t MaxProxyText = 80;

    struct Proxy
    {
        std::string host;
        int port = 80;
        std::vector<std::string> log; ///< diagnostic lines the parse produced, in order
    };

    struct Lookup
    {
        bool found = false;         ///< a proxy text was found and enabled
        bool enableNonZero = false; ///< the enabled flag was set (or the environment named one)
        std::string text;           ///< the proxy text as found
    };

    /// Host and port from a proxy text; picks the "http=" entry of a per-protocol list.
    static Proxy parse(std::string_view text);

    /// Reads the environment, then the registry file (through NetGetRegistry()), as the
    /// paragraph above describes.
    static Lookup lookup();
};

} // namespace pk
