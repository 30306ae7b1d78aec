#pragma once

#include "store/records.h"

#include <QStringList>

namespace pk {

/**
 * @brief The "Actions" choice: which field "Copy to clipboard" and "Launch URL" work on.
 */
class SendType final
{
public:
    enum Type { Url, Description, Category, Keyword, Rating, SiteInformation, Count };

    /// The drop list's entries, in order ("URL" first, the default).
    static QStringList names();
    static QString name(Type type);
    /// Index of a name in names(), Url when unknown.
    static Type fromName(const QString &name);

    /// The text the clipboard receives, without trailing spaces.
    static QString clipboardText(const LocationRecord &record, Type type);
    /// Whether launching this send type starts something (Category, Keyword, Rating do not).
    static bool canLaunch(Type type);
    /// The text the launcher receives for a launchable type.
    static QString launchText(const LocationRecord &record, Type type);
};

} // namespace pk
