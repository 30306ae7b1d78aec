#include "browse/forms/requiredentry.h"

#include "framework/userinterface.h"

namespace pk::RequiredEntry {

QString message(const QString &prompt)
{
    QString text = prompt;
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return QStringLiteral("@PROMPT must be entered.")
        .replace(QLatin1String("@PROMPT"), QLatin1Char('"') + text + QLatin1Char('"'));
}

void report(UserInterface &ui, const QString &prompt)
{
    ui.message(QStringLiteral("Missing Information"), message(prompt), UserInterface::Icon::Warning);
}

} // namespace pk::RequiredEntry
