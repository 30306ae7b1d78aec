#include "shell/terminationsignals.h"

#include "framework/terminationrequest.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace pk {

namespace {

int g_wakeFds[2] = {-1, -1};

void onSignal(int number)
{
    // A second signal: the user insists, or close-down is stuck.
    if (TerminationRequest::isRequested())
        ::_exit(128 + number);
    TerminationRequest::request();
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const auto n = ::write(g_wakeFds[1], &byte, 1);
}

void watch(QPointer<QObject> context,
           std::function<void()> onRequest,
           std::chrono::milliseconds grace)
{
    char byte = 0;
    while (::read(g_wakeFds[0], &byte, 1) < 0 && errno == EINTR) {
    }
    if (context)
        QMetaObject::invokeMethod(context.data(), onRequest, Qt::QueuedConnection);
    // The program returns from main() long before this in a normal close-down.
    ::poll(nullptr, 0, static_cast<int>(grace.count()));
    static const char text[] = "pathkeep: close-down did not finish in time; ending now\n";
    [[maybe_unused]] const auto n = ::write(STDERR_FILENO, text, sizeof text - 1);
    ::_exit(128 + static_cast<unsigned char>(byte));
}

} // namespace

bool TerminationSignals::install(QObject *context,
                                 std::function<void()> onRequest,
                                 std::chrono::milliseconds grace)
{
    if (g_wakeFds[0] >= 0)
        return false;
    if (::pipe2(g_wakeFds, O_CLOEXEC) != 0)
        return false;
    std::thread(watch, QPointer<QObject>(context), std::move(onRequest), grace).detach();

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        sigaction(number, &action, nullptr);
    return true;
}

} // namespace pk
