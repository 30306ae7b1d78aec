#include "cliprocess.h"

#include <QProcess>

namespace pk::test {

CliResult runCli(const QStringList &arguments,
                 const QProcessEnvironment &extra,
                 const QString &workingFolder)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("PATHKEEP_PASSWORD"));
    env.remove(QStringLiteral("PATHKEEP_COLLECTION"));
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    process.setProcessEnvironment(env);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(PK_CLI_PROGRAM), arguments);
    CliResult r;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return r;
    }
    r.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

} // namespace pk::test
