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
    // "HTTP/1." digits, one space, a code of three digits, then a space or the end: anything
    // else ("HTTP/1.1 -200", "HTTP/1.1 20", "FOO 200 OK") is no status line.
    if (!WebUrl::startsWithNoCase(line, "HTTP/1."))
        return 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 7;
    const std::size_t minor = i;
    while (i < line.size() && isDigit(line[i]))
        ++i;
    if (i == minor || i >= line.size() || line[i] != ' ')
        return 0;
    ++i;
    if (line.size() < i + 3 || !isDigit(line[i]) || !isDigit(line[i + 1]) || !isDigit(line[i + 2]))
        return 0;
    if (line.size() > i + 3 && line[i + 3] != ' ')
        return 0;
    const int code = (line[i] - '0') * 100 + (line[i + 1] - '0') * 10 + (line[i + 2] - '0');
    return code >= 100 && code <= 599 ? code : 0;
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
