#pragma once

#include <QIcon>

namespace pk {

/// The list's state icons for URL:Validated: a green check (passed), a red x (failed), blank.
class StateIcons final
{
public:
    static QIcon forValidated(int validated);
};

} // namespace pk
