#pragma once

#include "net/netwebclient.h"

#include <functional>

namespace pk {

/**
 * @brief The web client of one link test: hands the response and errors to its owner.
 *
 * The owner decides what an error means; reportError() gives the client's usual report
 * (a message box, or a log line without a display).
 */
class LinkTestClient final : public NetWebClient
{
public:
    using NetWebClient::NetWebClient;

    std::function<void()> onPage;
    std::function<void(const QString &errorText, const QString &functionName)> onError;

    void PageReceived() override;
    void ErrorTrap(const QString &errorText, const QString &functionName) override;

    void reportError(const QString &errorText, const QString &functionName);
};

} // namespace pk
