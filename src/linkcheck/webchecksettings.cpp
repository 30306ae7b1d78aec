#include "linkcheck/webchecksettings.h"

#include "platform/inifile.h"

#include <algorithm>

namespace pk {

namespace {

QString section()
{
    return QLatin1String(WebCheckSettings::Section);
}

bool flag(const IniFile &ini, const char *key, bool defaultValue)
{
    return ini.intValue(section(), QLatin1String(key), defaultValue ? 1 : 0) != 0;
}

} // namespace

WebCheckSettings WebCheckSettings::off()
{
    WebCheckSettings s;
    s.testSecure = false;
    s.getFallback = false;
    s.perHost = 0;
    s.requestSeconds = 0;
    s.waitWhenRateLimited = false;
    s.offerSecureUpdate = false;
    s.summary = false;
    return s;
}

WebCheckSettings WebCheckSettings::load(const IniFile &ini)
{
    WebCheckSettings s;
    s.testSecure = flag(ini, "TestSecure", s.testSecure);
    s.getFallback = flag(ini, "GetWhenHeadRefused", s.getFallback);
    s.perHost = std::clamp(ini.intValue(section(), QStringLiteral("PerHost"), s.perHost),
                           0,
                           MaxPerHost);
    s.requestSeconds
        = std::clamp(ini.intValue(section(), QStringLiteral("RequestTimeLimit"), s.requestSeconds),
                     0,
                     MaxRequestSeconds);
    s.waitWhenRateLimited = flag(ini, "WaitWhenRateLimited", s.waitWhenRateLimited);
    s.offerSecureUpdate = flag(ini, "OfferSecureUpdate", s.offerSecureUpdate);
    s.summary = flag(ini, "Summary", s.summary);
    return s;
}

void WebCheckSettings::save(IniFile &ini) const
{
    ini.setValue(section(), QStringLiteral("TestSecure"), testSecure ? 1 : 0);
    ini.setValue(section(), QStringLiteral("GetWhenHeadRefused"), getFallback ? 1 : 0);
    ini.setValue(section(), QStringLiteral("PerHost"), perHost);
    ini.setValue(section(), QStringLiteral("RequestTimeLimit"), requestSeconds);
    ini.setValue(section(), QStringLiteral("WaitWhenRateLimited"), waitWhenRateLimited ? 1 : 0);
    ini.setValue(section(), QStringLiteral("OfferSecureUpdate"), offerSecureUpdate ? 1 : 0);
    ini.setValue(section(), QStringLiteral("Summary"), summary ? 1 : 0);
}

} // namespace pk
