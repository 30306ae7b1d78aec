#pragma once

#include <QString>
#include <QStringView>

namespace pk {

/**
 * @brief The form of an address under which near-duplicates compare equal.
 *
 * "http" and "https" (and an address written without a scheme) are one scheme; the host loses
 * a leading "www." and its letter case; the default port (80, 443; 21 for ftp), one trailing
 * "/" of the path, the fragment and tracking parameters ("utm_*", "fbclid", "gclid") are
 * dropped. Path and remaining query keep their letter case and order. An address that is not
 * hierarchical ("mailto:...") is only trimmed.
 */
class AddressKey final
{
public:
    static QString of(QStringView address);
    /// Whether a query parameter (its name) only tracks where a visitor came from.
    static bool isTrackingParameter(QStringView name);
};

} // namespace pk
