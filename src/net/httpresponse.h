#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pk {

/**
 * @brief Reading an HTTP response header: where it ends, its status, its fields.
 *
 * The web client collects responses as raw bytes; these functions look into those bytes
 * without copying them.
 */
class HttpResponse final
{
public:
    static constexpr std::size_t MaxFieldLength = 2048;

    /**
     * Length of the header including the blank line that ends it, searching `data` from
     * `from` (a caller that appends data re-searches only the last three old bytes);
     * 0 when the blank line has not arrived yet.
     */
    static std::size_t headerEnd(std::string_view data, std::size_t from = 0);

    /**
     * The Content-Length announced in `header` (any letter case, blanks allowed after the
     * colon); false when the header has none or the value is no number. Values too large for
     * 63 bits are returned as INT64_MAX so that the caller's size limit refuses them.
     */
    static bool contentLength(std::string_view header, std::int64_t &length);

    /// Status code of a well-formed status line ("HTTP/1.x nnn ...", nnn from 100 to 599); 0
    /// when the header does not begin with one.
    static int statusCode(std::string_view header);

    /**
     * Value of the `n`-th (1-based) header line that begins with `name` (for example
     * "Location: "), compared without regard to case; blanks around the value removed, at most
     * 2048 characters. Empty when not found.
     */
    static std::string field(std::string_view header, std::string_view name, int n = 1);

    /// True when the last seven bytes are the closing html tag, in any letter case.
    static bool endsWithHtmlEndTag(std::string_view data);
};

} // namespace pk
