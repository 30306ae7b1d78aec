#include "childrun.h"

#include <QElapsedTimer>

#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pk::bench {

namespace {

double secondsOf(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

} // namespace

ChildRun ChildRun::run(const char *program, const QStringList &arguments)
{
    // Everything the child needs is made before the fork: it only calls exec.
    std::vector<QByteArray> bytes;
    bytes.reserve(std::size_t(arguments.size()));
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program));
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // Output buffered so far must not be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    ChildRun result;
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execv(program, argv.data());
        _exit(127);
    }
    if (pid < 0)
        return result;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.wallSeconds = double(clock.nsecsElapsed()) / 1e9;
    result.userSeconds = secondsOf(usage.ru_utime);
    result.systemSeconds = secondsOf(usage.ru_stime);
    result.maxResidentMegabytes = double(usage.ru_maxrss) / 1024.0;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace pk::bench
