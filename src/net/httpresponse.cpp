#include "net/httpresponse.h"

#include "net/weburl.h"

#include <limits>

namespace pk {

std::size_t HttpResponse::headerEnd(std::string_view data, std::size_t from)
{
    const auto pos = data.find("\r\n\r\n", from);
    return pos == std::string_view::npos ? 0 : pos + 4;
}

bool HttpResponse::contentLength(std::string_view header, std::int64_t &length)
{
    static constexpr std::string_view Name = "content-length:";
    std::size_t pos = 0;
    while ((pos = WebUrl::findNoCase(header, Name, pos)) != std::string_view::npos) {
        // Only a field at the start of a line counts, not text inside another field's value.
        const bool lineStart = pos >= 2 && header[pos - 1] == '\n' && header[pos - 2] == '\r';
        pos += Name.size();
        if (!lineStart)
            continue;
        while (pos < header.size() && (header[pos] == ' ' || header[pos] == '\t'))
            ++pos;
        std::int64_t value = 0;
        bool digits = false;
        while (pos < header.size() && header[pos] >= '0' && header[pos] <= '9') {
            const int digit = header[pos] - '0';
            if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
                value = std::numeric_limits<std::int64_t>::max();
            else
                value = value * 10 + digit;
            digits = true;
            ++pos;
        }
        if (!digits)
            return false;
        length = value;
        return true;
    }
    return false;
}

int HttpResponse::statusCode(std::string_view header)
{
    const auto lineEnd = header.find("\r\n");
    if (lineEnd == std::string_view::npos || lineEnd < 1)
        return 0;
    const std::string_view line = header.substr(0, lineEnd);
    if (WebUrl::findNoCase(line, "HTTP/1.") == std::string_view::npos)
        return 0;
    const auto space = line.find(' ');
    if (space == std::string_view::npos)
        return 0;
    int code = 0;
    for (std::size_t i = space + 1; i < line.size() && line[i] != ' '; ++i) {
        if (line[i] < '0' || line[i] > '9' || code > 99999)
            return code;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

std::string HttpResponse::field(std::string_view header, std::string_view name, int n)
{
    if (header.size() < 2 || n < 1)
        return {};
    std::size_t pos = 0;
    int seen = 0;
    while ((pos = header.find("\r\n", pos)) != std::string_view::npos) {
        pos += 2;
        if (!WebUrl::startsWithNoCase(header.substr(pos), name) || ++seen < n)
            continue;
        std::string_view value = header.substr(pos + name.size());
        value = value.substr(0, value.find("\r\n"));
        const auto begin = value.find_first_not_of(" \t");
        if (begin == std::string_view::npos)
            return {};
        value = value.substr(begin, value.find_last_not_of(" \t") - begin + 1);
        return std::string(value.substr(0, MaxFieldLength));
    }
    return {};
}

bool HttpResponse::endsWithHtmlEndTag(std::string_view data)
{
    return data.size() >= 7 && WebUrl::startsWithNoCase(data.substr(data.size() - 7), "</html>");
}

} // namespace pk
