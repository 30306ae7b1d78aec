#pragma once

#include <QString>

namespace pk {

struct AppSettings;
class UserInterface;

/// The start-up password rule.
class PasswordCheck final
{
public:
    /// What the prompt returns when the user cancels it; never matches a password.
    static constexpr const char *Cancelled = "**Cancelled**";

    /// A prompt is shown only when the switch is on and a password is stored.
    static bool needsPrompt(const AppSettings &settings);

    /// Typed and stored texts compared without trailing blanks and without regard to case.
    static bool matches(const QString &typed, const QString &stored);

    /// Asks "Confirm Password:" in "Security Check" when needed; true when the program may go on.
    static bool confirm(UserInterface &ui, const AppSettings &settings);
};

} // namespace pk
