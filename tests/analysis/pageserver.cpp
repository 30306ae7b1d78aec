#include "pageserver.h"

#include <cstdlib>

namespace pk::test {

NoProxy::NoProxy()
{
    for (const char *name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        if (const char *value = std::getenv(name))
            m_saved.emplace_back(name, value);
        unsetenv(name);
    }
}

NoProxy::~NoProxy()
{
    for (const auto &[name, value] : m_saved)
        setenv(name.c_str(), value.c_str(), 1);
}

} // namespace pk::test
