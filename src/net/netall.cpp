#include "net/netall.h"

#include "net/netcriticalsection.h"
#include "net/netlibrary.h"
#include "net/netpacket.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
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

bool _NetAll::objectErrorText(int error, QString &text)
{
    const char *message = nullptr;
    switch (error) {
    case 0:
        message = "General Object level error";
        break;
    case -1:
        message = "Unknown Error (was previously network library not actively initiated)";
        break;
    case -2:
        message = "Network library already active. Certain options can't be set once the library "
                  "is loaded.";
        break;
    case -3:
        message = "Too many network library instances on one machine";
        break;
    case -4:
        message = "Invalid structure size";
        break;
    case -5:
        message = "Main start sequence faile";
        break;
    case -6:
        message = "CallBack window timeout";
        break;
    case -7:
        message = "Accepted data too short";
        break;
    case -8:
        message = "Data is out of topic";
        break;
    case -9:
        message = "Unknown packet type received";
        break;
    case -10:
        message = "Not all data sent";
        break;
    case -11:
        message = "Not all data received";
        break;
    case -12:
        message
            = "You are trying to send data to someone who is not in the receivers (servers) list.";
        break;
    case -13:
        message = "No request";
        break;
    case -14:
        message = "Request not found";
        break;
    case -15:
        message = "No servers";
        break;
    case -16:
        message = "Server not found";
        break;
    case -17:
        message = "Service not supported";
        break;
    case -18:
        message = "Bad response address";
        break;
    case -19:
        message = "New thread failed";
        break;
    case -20:
        message = "Address not found";
        break;
    case -21:
        message = "Incorrect DLL version";
        break;
    case -22:
        message = "Bad parameters passed to function";
        break;
    case -23:
        message = "Too many listening sockets. The maximum has been reached";
        break;
    case -24:
        message = "Socket dead. Could not find socket in listening queue";
        break;
    case -25:
        message = "An incompatible packet version was received";
        break;
    case -26:
        message = "This machine has no IP address";
        break;
    case -27:
        message = "The service is marked as inactive, because a previous error occurred";
        break;
    case -28:
        message = "The simple connection was not closed properly";
        break;
    case -29:
        message = "Too many sending sockets. The maximum has been reached";
        break;
    case -30:
        message = "An error occurred while trying to access a memory queue (read or write error). "
                  "The queue could be full or there is not enough memory";
        break;
    case -31:
        message = "An error occurred while trying to load the network library. The library could "
                  "not be loaded.";
        break;
    case -32:
        message = "Unable to allocate the requested memory";
        break;
    case -33:
        message = "Host or Socket not specified. Please set the <object>.packet.ToIp and "
                  "<object>.packet.OnSocket before sending data.";
        break;
    case -34:
        message = "Could not find connected client in Simple Connect Client or Server";
        break;
    case -35:
        message = "An error occurred while trying to access a file";
        break;
    case -36:
        message = "The connection is not open";
        break;
    case -37:
        message = "The network object requires more properties to contain valid values";
        break;
    case -38:
        message = "This functionality is no longer supported";
        break;
    case -39:
        message = "Could not open a connection to the specified host machine";
        break;
    case -40:
        message = "Could not send NetSimple Data";
        break;
    case -41:
        message = "a General FTP error occurred";
        break;
    case -42:
        message = "Invalid String Size";
        break;
    case -43:
        message = "No Phone Book Entry. You need a Phone Book Entry before you can dial.";
        break;
    case -44:
        message = "The Ras Object is not in the DLL queue.";
        break;
    case -45:
        message = "The Ras Object is busy opening another RAS connection.";
        break;
    case -46:
        message = "Could Not Load the Dial-Up Networking Windows Procedures. DUN will be disabled.";
        break;
    case -47:
        message = "Could not load the socket library. The network library needs this to be able to "
                  "work.";
        break;
    case -48:
        message = "Call Back Window Already Closed";
        break;
    case -49:
        message = "Could not create new thread to start the network library Callback Window";
        break;
    case -50:
        message = "Could not load some run-time procedures";
        break;
    case -51:
        message = "Received a corrupt packet";
        break;
    case -52:
        message = "No Posting allowing";
        break;
    case -53:
        message = "Open Timeout or Failure error";
        break;
    case -54:
        message = "Ping unsuccessful";
        break;
    case -55:
        message = "Connection already open";
        break;
    case -56:
        message = "Network library not actively initiated";
        break;
    case -57:
        message = "Connection was closed because it was idle (inactive)";
        break;
    case -58:
        message = "Already busy with a command";
        break;
    case -59:
        message = "No Data was received";
        break;
    case -60:
        message = "Object's Init method not called before the Object was used";
        break;
    case -61:
        message = "SSL (Secure Connection) Failed";
        break;
    default:
        return false;
    }
    text = QString::fromUtf8(message);
    return true;
}

} // namespace pk
