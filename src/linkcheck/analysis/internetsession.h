#pragma once

#include "linkcheck/analysis/internetrequest.h"
#include "linkcheck/fetchlimits.h"

#include <QString>

#include <memory>

namespace pk {

/**
 * @brief A session with the page fetcher: the agent text every request sends and the limits
 * every request keeps.
 *
 * Opening it sets libcurl up once per process; it fails only when libcurl cannot be set up.
 */
class InternetSession final
{
public:
    explicit InternetSession(QString agent, FetchLimits limits = {});

    bool isOpen() const { return m_open; }
    QString agent() const { return m_agent; }
    const FetchLimits &limits() const { return m_limits; }
    /// Starts opening `url`; nullptr when the session is not open.
    std::unique_ptr<InternetRequest> openUrl(const QString &url,
                                             const QByteArray &extraHeader = {}) const;

private:
    QString m_agent;
    FetchLimits m_limits;
    bool m_open = false;
};

} // namespace pk
