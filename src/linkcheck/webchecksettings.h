#pragma once

#include <chrono>

namespace pk {

class IniFile;

/**
 * @brief How "Test Links" deals with today's web, kept in section "Testing" of PATHKEEP.INI.
 *
 * Each switch can be turned off on its own; with all of them off (off()) a run tests only
 * "http://" addresses, one request each, nine at a time in key order.
 */
struct WebCheckSettings
{
    static constexpr const char *Section = "Testing";

    bool testSecure = true;          ///< "TestSecure": "https://" locations are tested too
    bool getFallback = true;         ///< "GetWhenHeadRefused": ask again with GET
    int perHost = 2;                 ///< "PerHost": connections to one host at once; 0 no limit
    int requestSeconds = 30;         ///< "RequestTimeLimit": seconds for one request; 0 none
    bool waitWhenRateLimited = true; ///< "WaitWhenRateLimited": honour a short Retry-After
    bool offerSecureUpdate = true;   ///< "OfferSecureUpdate": offer to move to "https://"
    bool summary = true;             ///< "Summary": counts shown when the run ends

    static constexpr int MaxPerHost = 9;
    static constexpr int MaxRequestSeconds = 500;

    /// Every switch off.
    static WebCheckSettings off();
    /// The values in `ini`, defaults for missing keys, out-of-range numbers brought in range.
    static WebCheckSettings load(const IniFile &ini);
    void save(IniFile &ini) const;

    std::chrono::milliseconds requestLimit() const { return std::chrono::seconds(requestSeconds); }

    bool operator==(const WebCheckSettings &) const = default;
};

} // namespace pk
