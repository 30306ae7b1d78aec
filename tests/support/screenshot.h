#pragma once

#include <QString>
#include <QWidget>

namespace pk::test {

/// Saves a picture of `window` as `name`.png in $PK_SCREENSHOT_DIR when that is set, so that
/// the windows of a test run can be looked at.
inline void screenshot(QWidget &window, const QString &name)
{
    const QString dir = qEnvironmentVariable("PK_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    window.show();
    window.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace pk::test
