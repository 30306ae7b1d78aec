// pathkeep-cli: the collection's lists, checks, imports and exports for scripts and timer jobs.
// `pathkeep-cli --help` lists the commands.

#include "cli/commandline.h"
#include "net/netall.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pathkeep-cli"));
    int result = 0;
    {
        pk::CommandLine commandLine;
        result = commandLine.run(QCoreApplication::arguments());
    }
    pk::_NetAll::closeDown();
    return result;
}
