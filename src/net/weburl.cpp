#include "net/weburl.h"

#include <algorithm>
#include <charconv>

namespace pk {

namespace {

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

/// Length of the scheme prefix ("http://" or "https://") at the start of `url`, else 0.
std::size_t schemeLength(std::string_view url)
{
    if (WebUrl::startsWithNoCase(url, "http://"))
        return 7;
    if (WebUrl::startsWithNoCase(url, "https://"))
        return 8;
    return 0;
}

} // namespace

bool WebUrl::startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    }
    return true;
}

std::size_t WebUrl::findNoCase(std::string_view text, std::string_view what, std::size_t from)
{
    if (what.empty())
        return from <= text.size() ? from : std::string_view::npos;
    if (text.size() < what.size())
        return std::string_view::npos;
    const char first = lower(what.front());
    for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
        if (lower(text[i]) != first)
            continue;
        if (startsWithNoCase(text.substr(i), what))
            return i;
    }
    return std::string_view::npos;
}

std::string_view WebUrl::trimRight(std::string_view text)
{
    const auto end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string WebUrl::normalise(std::string_view url)
{
    std::string result;
    for (char c : trimRight(url)) {
        if (c == ' ')
            result += "%20";
        else if (c == '\\')
            result += '/';
        else
            result += c;
    }
    if (result.empty())
        return result;
    if (schemeLength(result) == 0)
        result.insert(0, "http://");
    if (result.back() != '/' && std::count(result.begin(), result.end(), '/') < 3)
        result += '/';
    if (result.size() > MaxUrlLength)
        result.resize(MaxUrlLength);
    return result;
}

bool WebUrl::isSecure(std::string_view url)
{
    return startsWithNoCase(url, "https://");
}

WebUrl::HostPort WebUrl::hostFromUrl(std::string_view url, bool secure)
{
    std::string_view rest = url.substr(schemeLength(url));
    rest = rest.substr(0, rest.find('/'));

    HostPort result;
    result.port = secure ? 443 : 80;
    const auto colon = rest.find(':');
    if (colon != std::string_view::npos && colon + 1 < rest.size()) {
        int port = 0;
        const std::string_view digits = rest.substr(colon + 1);
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        (void) end;
        // A port that is no number, or out of range, is left at 0 and so opens nothing.
        result.port = (ec == std::errc() && port >= 0 && port <= 65535) ? port : 0;
        rest = rest.substr(0, colon);
    } else if (colon != std::string_view::npos) {
        rest = rest.substr(0, colon);
    }
    result.host = std::string(rest.substr(0, MaxHostLength));
    return result;
}

std::string WebUrl::requestTarget(std::string_view url, bool throughProxy)
{
    if (throughProxy)
        return std::string(url);
    const std::size_t scheme = schemeLength(url);
    if (scheme == 0)
        return std::string(url);
    const auto slash = url.find('/', scheme);
    if (slash == std::string_view::npos)
        return "/";
    return std::string(url.substr(slash));
}

std::string WebUrl::resolveRedirect(std::string_view current, std::string_view location)
{
    if (location.size() >= 2 && location[0] == '/' && location[1] == '/') {
        const std::size_t scheme = schemeLength(current);
        const std::string_view prefix = scheme ? current.substr(0, scheme - 2) : "http:";
        return std::string(prefix) + std::string(location);
    }
    if (!location.empty() && location[0] == '/') {
        const std::size_t scheme = schemeLength(current);
        const auto slash = current.find('/', scheme);
        const std::string_view origin = slash == std::string_view::npos ? current
                                                                        : current.substr(0, slash);
        if (scheme == 0)
            return "http://" + std::string(origin) + std::string(location);
        return std::string(origin) + std::string(location);
    }
    return std::string(location);
}

std::string WebUrl::encode(std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                          || c == '*' || c == '_' || c == '@' || c == '-' || c == '.';
        const std::size_t need = keep ? 1 : 3;
        if (result.size() + need > MaxEncodedLength)
            break; // never cut an escape in half
        if (keep) {
            result += c;
        } else {
            result += '%';
            result += Hex[byte >> 4];
            result += Hex[byte & 0x0f];
        }
    }
    return result;
}

std::string WebUrl::decode(std::string_view text)
{
    std::string result;
    result.reserve(std::min(text.size(), MaxDecodedLength));
    for (std::size_t i = 0; i < text.size() && result.size() < MaxDecodedLength; ++i) {
        const char c = text[i];
        if (c == '+') {
            result += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0
                   && hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace pk
