#include "linkcheck/linktestclient.h"

namespace pk {

void LinkTestClient::PageReceived()
{
    if (onPage)
        onPage();
}

void LinkTestClient::ErrorTrap(const QString &errorText, const QString &functionName)
{
    if (onError)
        onError(errorText, functionName);
    else
        reportError(errorText, functionName);
}

void LinkTestClient::reportError(const QString &errorText, const QString &functionName)
{
    NetWebClient::ErrorTrap(errorText, functionName);
}

} // namespace pk
