#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace pk {

/// Texts of the frame's status bar zones 2 to 4.
class StatusTexts final
{
public:
    static constexpr int FolderLimit = 30;

    /**
     * The collection folder as zone 2 shows it: a text longer than 30 characters becomes its
     * first three characters, "..." and the rest from the first '/' at or after position
     * (length - 30), at most 31 characters of it.
     */
    static QString shortenFolder(const QString &folder);

    /// Zone 3: the day name, ", " and the long date (without a second day name).
    static QString dateText(const QDate &date, const QLocale &locale = QLocale());
    /// Zone 4: the time of day in the locale's short form.
    static QString timeText(const QTime &time, const QLocale &locale = QLocale());
};

} // namespace pk
