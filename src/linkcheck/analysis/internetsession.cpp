#include "linkcheck/analysis/internetsession.h"

#include <curl/curl.h>

namespace pk {

namespace {

bool globalInit()
{
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

} // namespace

InternetSession::InternetSession(QString agent, FetchLimits limits)
    : m_agent(std::move(agent))
    , m_limits(limits)
    , m_open(globalInit())
{}

std::unique_ptr<InternetRequest> InternetSession::openUrl(const QString &url,
                                                          const QByteArray &extraHeader) const
{
    if (!m_open)
        return nullptr;
    return std::make_unique<InternetRequest>(m_agent, url, extraHeader, m_limits);
}

} // namespace pk
