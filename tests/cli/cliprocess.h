#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace pk::test {

/// How a run of pathkeep-cli ended: exit status (-1 when it crashed or hung) and its output.
struct CliResult
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

/// Runs the real program with `extra` added to the environment (without PATHKEEP_PASSWORD and
/// PATHKEEP_COLLECTION otherwise), in `workingFolder` when given. Its standard error is not a
/// terminal, so it draws no progress bar.
CliResult runCli(const QStringList &arguments,
                 const QProcessEnvironment &extra = {},
                 const QString &workingFolder = {});

} // namespace pk::test
