#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace pk {

class NetCriticalSection;

/// Levels of _NetAll::Log().
enum NetLogLevel : int {
    NetLogNormal = 0, ///< written only with `LoggingOn`
    NetLogError = 1,  ///< written with `LoggingOn` or `LoggingErrorsOnly`
    NetLogAlways = 2, ///< always written
};

/**
 * @brief What every network object shares: the error number and text, diagnostic logging
 * switched by the command line, error texts, and the library's shared lock.
 *
 * Logging switches are process-wide and read once, from the arguments set with
 * setArguments() or else QCoreApplication::arguments(): "/netnolog" wins over everything,
 * "/netlog" or "/netall" log everything, "/netlogerrors" or "/neterrors" only error lines.
 */
class _NetAll
{
public:
    _NetAll() = default;
    virtual ~_NetAll() = default;
    _NetAll(const _NetAll &) = delete;
    _NetAll &operator=(const _NetAll &) = delete;

    // Properties, in declaration order.
    int Error = 0;
    QString ErrorString;
    int LoggingOn = 0;
    int LoggingErrorsOnly = 0;
    int UseThisThread = 0;
    int _NoCritSectionPointer = 0;
    NetCriticalSection *_NetCritical = nullptr;

    // Virtual operations, in slot order.
    /// Writes one diagnostic line "[Net] [thread] function - message" when `level` allows.
    virtual void Log(const QString &message,
                     const QString &functionName = {},
                     int level = NetLogNormal);
    /// Message text for the current `Error`.
    virtual QString InterpretError();
    virtual void Wait();
    virtual void Release();
    virtual void _LoggingSetup();
    virtual void LogVersionInfo();

    /// The text InterpretError() gives for `error` when it is in the object's own table.
    static bool objectErrorText(int error, QString &text);

    /// Arguments the logging switches are read from; resets the process-wide switches.
    static void setArguments(const QStringList &arguments);
    /// Forget the process-wide switches and the version line, so they are read again.
    static void resetLogging();
    /// Where diagnostic lines go (default: standard error); an empty function restores it.
    static void setLogSink(std::function<void(const QString &line)> sink);
    /// Program end: closes the library's notification thread and writes the closing lines.
    static void closeDown();

protected:
    /// Whether Log() writes a line of `level`; callers compose costly lines only then.
    bool willLog(int level) const
    {
        return level >= NetLogAlways || LoggingOn || (level == NetLogError && LoggingErrorsOnly);
    }
    /// Writes a finished line through the sink.
    static void writeLine(const QString &functionName, const QString &message);
    /// Lower-cased command line, for the version and closing lines.
    static QString commandLine();

private:
    bool m_locked = false;
};

} // namespace pk
