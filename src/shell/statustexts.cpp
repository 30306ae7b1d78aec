#include "shell/statustexts.h"

#include <QRegularExpression>

namespace pk {

QString StatusTexts::shortenFolder(const QString &folder)
{
    const qsizetype length = folder.size();
    if (length <= FolderLimit)
        return folder;
    // Position (length - 30) counted from 1 is index (length - 31).
    const qsizetype from = length - FolderLimit - 1;
    qsizetype cut = folder.indexOf(QLatin1Char('/'), from);
    if (cut < 0)
        cut = from;
    return folder.left(3) + QStringLiteral("...") + folder.mid(cut, FolderLimit + 1);
}

QString StatusTexts::dateText(const QDate &date, const QLocale &locale)
{
    // The locale's long form may carry the day name itself; drop it so it shows once.
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression dayName(QStringLiteral("dddd[,.]?\\s*|\\s*[,.]?\\s*dddd"));
    format.remove(dayName);
    format = format.trimmed();
    return locale.dayName(date.dayOfWeek(), QLocale::LongFormat) + QStringLiteral(", ")
           + locale.toString(date, format);
}

QString StatusTexts::timeText(const QTime &time, const QLocale &locale)
{
    return locale.toString(time, QLocale::ShortFormat);
}

} // namespace pk
