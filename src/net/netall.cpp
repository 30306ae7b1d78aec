#include "net/netall.h"

#include "net/netcriticalsection.h"
#include "net/netlibrary.h"
#include "net/netpacket.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <optional>

#include <unistd.h>

namespace pk {

namespace {

// Sizes of the original records that the size line reports, kept for comparison of logs.
constexpr int SizePacketType = 17687;
constexpr int SizePublicServicesQType = 599;
constexpr int SizeServiceType = 1117;
constexpr int SizeRemoteType = 149;

struct LoggingState
{
    std::mutex mutex;
    std::optional<QStringList> arguments;
    bool switchesRead = false;
    int loggingOn = 0;
    int errorsOnly = 0;
    std::function<void(const QString &)> sink;
};

LoggingState &state()
{
    static LoggingState s;
    return s;
}

std::atomic_bool g_versionLogged{false};

QStringList currentArguments()
{
    LoggingState &s = state();
    {
        std::lock_guard lock(s.mutex);
        if (s.arguments)
            return *s.arguments;
    }
    if (QCoreApplication::instance())
        return QCoreApplication::arguments();
    return {};
}

bool hasSwitch(const QStringList &arguments, const char *name)
{
    const QString wanted = QString::fromLatin1(name);
    for (const QString &argument : arguments) {
        if (argument.compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

void _NetAll::setArguments(const QStringList &arguments)
{
    {
        std::lock_guard lock(state().mutex);
        state().arguments = arguments;
    }
    resetLogging();
}

void _NetAll::resetLogging()
{
    LoggingState &s = state();
    std::lock_guard lock(s.mutex);
    s.switchesRead = false;
    s.loggingOn = 0;
    s.errorsOnly = 0;
    g_versionLogged = false;
}

void _NetAll::setLogSink(std::function<void(const QString &line)> sink)
{
    std::lock_guard lock(state().mutex);
    state().sink = std::move(sink);
}

void _NetAll::writeLine(const QString &functionName, const QString &message)
{
    int thread = NetCurrentThread();
    if (thread == 0)
        thread = static_cast<int>(gettid());
    const QString line = QStringLiteral("[Net] [") + QString::number(thread) + QStringLiteral("] ")
                         + functionName + QStringLiteral(" - ") + message;
    LoggingState &s = state();
    std::lock_guard lock(s.mutex);
    if (s.sink) {
        s.sink(line);
    } else {
        const QByteArray bytes = line.toUtf8();
        std::fprintf(stderr, "%s\n", bytes.constData());
    }
}

QString _NetAll::commandLine()
{
    return currentArguments().join(QLatin1Char(' ')).toLower();
}

void _NetAll::Log(const QString &message, const QString &functionName, int level)
{
    if (!willLog(level))
        return;
    if (!g_versionLogged.exchange(true))
        LogVersionInfo();
    writeLine(functionName, message);
}

QString _NetAll::InterpretError()
{
    QString text;
    if (objectErrorText(Error, text))
        return text;
    Log(QStringLiteral("Not an object level error - need to ask the network library (NetErrorStr)"),
        QStringLiteral("_NetAll.InterpretError"));
    text = QString::fromStdString(NetErrorStr(Error)) + QStringLiteral(" [listed by NetErrorStr]");
    return text.left(512);
}

void _NetAll::Wait()
{
    if (_NoCritSectionPointer)
        return;
    if (!_NetCritical)
        _NetCritical = NetGet_NetCriticalSection();
    if (!_NetCritical) {
        _NoCritSectionPointer = 1;
        Log(QStringLiteral(
                "Error. Could not get address of Critical Section from the network library."),
            QStringLiteral("_NetAll.Wait"),
            NetLogError);
        return;
    }
    _NetCritical->wait();
    m_locked = true;
}

void _NetAll::Release()
{
    // Releasing a lock this object does not hold would corrupt the shared lock.
    if (!_NetCritical || !m_locked) {
        Log(QStringLiteral("Error. Calling _NetAll._Release() before calling Wait()."),
            QStringLiteral("_NetAll.Release"),
            NetLogError);
        return;
    }
    m_locked = false;
    _NetCritical->release();
}

void _NetAll::_LoggingSetup()
{
    bool announceErrorsOnly = false;
    {
        const QStringList arguments = currentArguments();
        LoggingState &s = state();
        std::lock_guard lock(s.mutex);
        if (!s.switchesRead) {
            s.switchesRead = true;
            if (!hasSwitch(arguments, "/netnolog")) {
                if (hasSwitch(arguments, "/netlog") || hasSwitch(arguments, "/netall"))
                    s.loggingOn = 1;
                if (hasSwitch(arguments, "/netlogerrors") || hasSwitch(arguments, "/neterrors")) {
                    s.errorsOnly = 1;
                    announceErrorsOnly = true;
                }
            }
        }
        LoggingOn = s.loggingOn;
        LoggingErrorsOnly = s.errorsOnly;
    }
    if (announceErrorsOnly) {
        Log(QStringLiteral("======== Object Logging : Errors only (/netlogerrors) ========"),
            QStringLiteral("Initialisation"),
            NetLogError);
    }
    if (LoggingOn)
        Log(QStringLiteral("Initialisation"), QStringLiteral("_NetAll._LoggingSetup"));
}

void _NetAll::LogVersionInfo()
{
    g_versionLogged = true;
    if (!willLog(NetLogNormal))
        return;
    Log(QStringLiteral("Pathkeep network library version ")
            + QString::fromLatin1(NetLibraryVersion()) + QStringLiteral(" Command line = ")
            + commandLine(),
        {});
    Log(QStringLiteral("Network (Object) Information: Net:MaxBinData = ")
            + QString::number(NetMaxBinData) + QStringLiteral(" Size(Net:PacketType) = ")
            + QString::number(SizePacketType) + QStringLiteral(" Size(Net:PublicServicesQType) = ")
            + QString::number(SizePublicServicesQType) + QStringLiteral(" Size(Net:ServiceType) = ")
            + QString::number(SizeServiceType) + QStringLiteral(" Size(Net:RemoteType) = ")
            + QString::number(SizeRemoteType),
        {});
    Log(QStringLiteral("Runtime version = Qt ") + QString::fromLatin1(qVersion()), {});
}

void _NetAll::closeDown()
{
    NetCloseCallBackWindow();
    const QStringList arguments = currentArguments();
    if (hasSwitch(arguments, "/netnolog"))
        return;
    if (!hasSwitch(arguments, "/netlog") && !hasSwitch(arguments, "/netlogerrors")
        && !hasSwitch(arguments, "/neterrors") && !hasSwitch(arguments, "/netall"))
        return;
    const std::string version = NetLibraryVersion();
    NetDebugTrace("[Net] Template version = " + version);
    NetDebugTrace("[Net] Object version = " + version);
    NetDebugTrace("[Net] Closing Down " + commandLine().toStdString());
}

namespace {

/// The object-level error texts, error 0 first, then -1, -2, ... down to -61.
constexpr const char *ObjectErrorTexts[] = {
    /* 0 */ "General Object level error",
    /* -1 */ "Unknown Error (was previously network library not actively initiated)",
    /* -2 */
    "Network library already active. Certain options can't be set once the library "
    "is loaded.",
    /* -3 */ "Too many network library instances on one machine",
    /* -4 */ "Invalid structure size",
    /* -5 */ "Main start sequence faile",
    /* -6 */ "CallBack window timeout",
    /* -7 */ "Accepted data too short",
    /* -8 */ "Data is out of topic",
    /* -9 */ "Unknown packet type received",
    /* -10 */ "Not all data sent",
    /* -11 */ "Not all data received",
    /* -12 */ "You are trying to send data to someone who is not in the receivers (servers) list.",
    /* -13 */ "No request",
    /* -14 */ "Request not found",
    /* -15 */ "No servers",
    /* -16 */ "Server not found",
    /* -17 */ "Service not supported",
    /* -18 */ "Bad response address",
    /* -19 */ "New thread failed",
    /* -20 */ "Address not found",
    /* -21 */ "Incorrect DLL version",
    /* -22 */ "Bad parameters passed to function",
    /* -23 */ "Too many listening sockets. The maximum has been reached",
    /* -24 */ "Socket dead. Could not find socket in listening queue",
    /* -25 */ "An incompatible packet version was received",
    /* -26 */ "This machine has no IP address",
    /* -27 */ "The service is marked as inactive, because a previous error occurred",
    /* -28 */ "The simple connection was not closed properly",
    /* -29 */ "Too many sending sockets. The maximum has been reached",
    /* -30 */
    "An error occurred while trying to access a memory queue (read or write error). "
    "The queue could be full or there is not enough memory",
    /* -31 */
    "An error occurred while trying to load the network library. The library could "
    "not be loaded.",
    /* -32 */ "Unable to allocate the requested memory",
    /* -33 */
    "Host or Socket not specified. Please set the <object>.packet.ToIp and "
    "<object>.packet.OnSocket before sending data.",
    /* -34 */ "Could not find connected client in Simple Connect Client or Server",
    /* -35 */ "An error occurred while trying to access a file",
    /* -36 */ "The connection is not open",
    /* -37 */ "The network object requires more properties to contain valid values",
    /* -38 */ "This functionality is no longer supported",
    /* -39 */ "Could not open a connection to the specified host machine",
    /* -40 */ "Could not send NetSimple Data",
    /* -41 */ "a General FTP error occurred",
    /* -42 */ "Invalid String Size",
    /* -43 */ "No Phone Book Entry. You need a Phone Book Entry before you can dial.",
    /* -44 */ "The Ras Object is not in the DLL queue.",
    /* -45 */ "The Ras Object is busy opening another RAS connection.",
    /* -46 */ "Could Not Load the Dial-Up Networking Windows Procedures. DUN will be disabled.",
    /* -47 */
    "Could not load the socket library. The network library needs this to be able to "
    "work.",
    /* -48 */ "Call Back Window Already Closed",
    /* -49 */ "Could not create new thread to start the network library Callback Window",
    /* -50 */ "Could not load some run-time procedures",
    /* -51 */ "Received a corrupt packet",
    /* -52 */ "No Posting allowing",
    /* -53 */ "Open Timeout or Failure error",
    /* -54 */ "Ping unsuccessful",
    /* -55 */ "Connection already open",
    /* -56 */ "Network library not actively initiated",
    /* -57 */ "Connection was closed because it was idle (inactive)",
    /* -58 */ "Already busy with a command",
    /* -59 */ "No Data was received",
    /* -60 */ "Object's Init method not called before the Object was used",
    /* -61 */ "SSL (Secure Connection) Failed",
};

} // namespace

bool _NetAll::objectErrorText(int error, QString &text)
{
    constexpr int lowest = 1 - int(std::size(ObjectErrorTexts));
    if (error > 0 || error < lowest)
        return false;
    text = QString::fromUtf8(ObjectErrorTexts[-error]);
    return true;
}

} // namespace pk
