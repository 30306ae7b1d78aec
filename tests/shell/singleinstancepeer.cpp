// A second start of the program, as far as the hand-over goes: sends the request on its command
// line ("--restore" or "--get-url") for the collection folder given first, and exits 0 when a
// running program took it, 3 when none did.
#include "shell/singleinstance.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const auto request = pk::SingleInstance::requestIn(arguments);
    if (arguments.size() < 3 || !request)
        return 2;
    return pk::SingleInstance::handOver(arguments.at(1), *request) ? 0 : 3;
}
