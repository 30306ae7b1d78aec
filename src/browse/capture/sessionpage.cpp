#include "browse/capture/sessionpage.h"

#include <array>

namespace pk {

bool isOfferedAddress(const QString &address)
{
    static constexpr std::array kSchemes = {"http://", "https://", "ftp://", "file://"};
    for (const char *scheme : kSchemes) {
        if (address.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)
            && address.size() > qsizetype(qstrlen(scheme)))
            return true;
    }
    return false;
}

} // namespace pk
