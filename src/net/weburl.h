#pragma once

#include <string>
#include <string_view>

namespace pk {

/**
 * @brief URL text rules of the web client: normalising, host and port, request target,
 * redirect targets and percent-encoding.
 *
 * All functions work on bytes (UTF-8 text passes through unchanged) and never throw.
 */
class WebUrl final
{
public:
    /// Longest URL the normaliser returns.
    static constexpr std::size_t MaxUrlLength = 1024;
    /// Longest host name taken from a URL.
    static constexpr std::size_t MaxHostLength = 255;
    static constexpr std::size_t MaxEncodedLength = 16384;
    static constexpr std::size_t MaxDecodedLength = 8196;

    struct HostPort
    {
        std::string host;
        int port = 80;
    };

    /**
     * Normalises a URL typed by a user or stored in the collection: trailing blanks dropped,
     * spaces as "%20", backslashes as "/", "http://" in front when no scheme is given and a "/"
     * appended when there is no path. Blank stays blank.
     */
    static std::string normalise(std::string_view url);

    /// True when `url` begins with "https://", in any letter case.
    static bool isSecure(std::string_view url);

    /// Host and port of a normalised URL; the default port is 443 when `secure`, else 80.
    static HostPort hostFromUrl(std::string_view url, bool secure);

    /**
     * What follows the method in the request line: the path from the first "/" after the host
     * ("/" when there is none), or the whole URL when the request goes through a proxy.
     */
    static std::string requestTarget(std::string_view url, bool throughProxy);

    /**
     * Turns a Location value into the URL to fetch next. An absolute-path ("/x") or
     * scheme-relative ("//host/x") target is resolved against `current`; anything else is
     * returned as it stands and normalised later.
     */
    static std::string resolveRedirect(std::string_view current, std::string_view location);

    /// Percent-encodes every byte except letters, digits and "*_@-.".
    static std::string encode(std::string_view text);

    /// Turns "+" into a space and "%XX" into its byte.
    static std::string decode(std::string_view text);

    /// Case-insensitive (ASCII) prefix test.
    static bool startsWithNoCase(std::string_view text, std::string_view prefix);
    /// Case-insensitive (ASCII) search; npos when not found.
    static std::size_t findNoCase(std::string_view text,
                                  std::string_view what,
                                  std::size_t from = 0);
    /// `text` without trailing blanks.
    static std::string_view trimRight(std::string_view text);
};

} // namespace pk
