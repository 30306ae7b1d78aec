#include "platform/environment.h"

#include <QDir>

namespace pk {

QString expandFirstVariable(const QString &text)
{
    const qsizetype open = text.indexOf(QLatin1Char('%'));
    if (open < 0)
        return text;
    const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
    if (close < 0)
        return text;
    const QString name = text.mid(open + 1, close - open - 1);
    if (name.isEmpty())
        return text;
    QString value;
    if (qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
        value = qEnvironmentVariable(name.toLocal8Bit().constData());
    else if (name.compare(QLatin1String("USERPROFILE"), Qt::CaseInsensitive) == 0)
        value = QDir::homePath();
    else
        return text;
    return text.left(open) + value + text.mid(close + 1);
}

} // namespace pk
