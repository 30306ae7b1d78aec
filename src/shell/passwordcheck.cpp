#include "shell/passwordcheck.h"

#include "shell/appsettings.h"
#include "shell/texts.h"
#include "framework/userinterface.h"

namespace pk {

bool PasswordCheck::needsPrompt(const AppSettings &settings)
{
    return settings.secure && !rtrimmed(settings.password).isEmpty();
}

bool PasswordCheck::matches(const QString &typed, const QString &stored)
{
    if (typed == QLatin1String(Cancelled))
        return false;
    return rtrimmed(typed).compare(rtrimmed(stored), Qt::CaseInsensitive) == 0;
}

bool PasswordCheck::confirm(UserInterface &ui, const AppSettings &settings)
{
    if (!needsPrompt(settings))
        return true;
    const auto typed = ui.text(QStringLiteral("Security Check"),
                               QStringLiteral("Confirm Password:"),
                               {},
                               AppSettings::PasswordWidth,
                               true);
    return matches(typed.value_or(QLatin1String(Cancelled)).left(AppSettings::PasswordWidth),
                   settings.password);
}

} // namespace pk
