#pragma once

#include "net/netall.h"
#include "net/netconnection.h"
#include "net/netpacket.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

namespace pk {

class UserInterface;

/// One connection accepted by a server-mode object.
struct NetServerConnection
{
    QString RemoteIP;
    std::uint32_t Socket = 0;
    std::int32_t SockID = 0;
    std::uint16_t RemotePort = 0;
    QString LocalIP;
};
using NetServerConnectionQueue = QList<NetServerConnection>;

/// Reassembly data of one connection id (whole-packet mode).
struct NetWholePacket
{
    std::int32_t SockID = 0;
    QByteArray BinData;
};
using NetWholePacketQueue = QList<NetWholePacket>;

/**
 * @brief One network connection endpoint (client mode over TCP, optionally TLS).
 *
 * Owned by one thread: Init() binds it to that thread's event poster (or `UseThisThread`),
 * and the thread passes every network event to TakeEvent(), which fetches the pending packet
 * and calls the overridable operations (Process(), ConnectionClosed(), ErrorTrap()). Nothing
 * here blocks: the socket work runs on the network library's thread.
 *
 * Messages go to the UserInterface given to the object; without one, or with
 * `SuppressErrorMsg`, errors are only logged.
 */
class NetSimple : public _NetAll
{
public:
    explicit NetSimple(UserInterface *userInterface = nullptr);
    ~NetSimple() override;

    void setUserInterface(UserInterface *userInterface) { m_userInterface = userInterface; }
    UserInterface *userInterface() const { return m_userInterface; }

    // Properties, in declaration order.
    int WholePacketUseLengthField = 0;
    NetWholePacketQueue *WholePacketQueue = nullptr;
    NetWholePacketQueue *_WholePacketQueue = nullptr;
    int _WholePacketDontFreeWholeBinData = 0;
    int _WholePacketAllocSize = 0;
    NetPacket Packet{};
    int OpenFlag = 0;
    int OutgoingDLLPackets = 0;
    int OutgoingDLLPacketsBytes = 0;
    NetServerConnectionQueue *QServerConnections = nullptr;
    int ServerConnectionsCount = 0;
    int SuppressErrorMsg = 0;
    int DontErrorTrapInSendIfConnectionClosed = 0;
    int AsyncOpenUse = 0;
    int AsyncOpenTimeOut = 0; ///< hundredths of a second
    int AsyncOpenBusy = 0;
    int InActiveTimeout = 0; ///< hundredths of a second; 0 = never
    int LogDataBytes = 0;
    int SSL = 0;
    int SSLMethod = 0;
    int _SSLDontConnectOnOpen = 0;
    NetConnection _Connection{};
    int _Initalised = 0;
    NetServerConnectionQueue _QServerConnections;
    int _BetweenPhaseOneAnTwo = 0;
    int _IgnorePhaseTwo = 0;

    // Virtual operations after those of _NetAll, in slot order.
    /// Prepares the object: mode 0 client, 1 server.
    virtual void Init(int mode = 0);
    /// Opens a connection to server and port (asynchronously unless `AsyncOpenUse` is 0).
    virtual void Open(const QString &server, std::uint16_t port = 0);
    /// Graceful close (phase one); the library reports the end with packet 6.
    virtual void Close();
    /// Called for data, new-connection, open-success and idle packets; does nothing here.
    virtual void Process();
    /// Sends `Packet` (`BinData`, `BinDataLen`).
    virtual void Send();
    /// Handles one network event of the owning thread; events of other objects are ignored.
    virtual void TakeEvent(int event);
    /// Reports an error: a message box, or only a log line with `SuppressErrorMsg`.
    virtual void ErrorTrap(const QString &errorText, const QString &functionName);
    /// Called after the remote side closed the connection; does nothing here.
    virtual void ConnectionClosed();
    virtual void Prime();
    /// Releases everything; must run on the owning thread before the object goes.
    virtual void Kill();
    virtual void CloseServerConnection(std::uint32_t socket, std::int32_t sockId);
    /// Immediate close.
    virtual void Abort();
    /// A library option (NetOption); sets `Error`.
    virtual QString GetInfo(int option);
    virtual void AbortServerConnection(std::uint32_t socket, std::int32_t sockId);
    /// Pings a host through the library; blocks for up to 2 s. Returns `Error`.
    virtual int Ping(const QString &host);
    /// Logs the error with its context, then calls ErrorTrap().
    virtual void _CallErrorTrap(const QString &errorText, const QString &functionName);
    /// Switches the open connection to TLS; blocks until the handshake has finished.
    virtual void _SSLSwitchToSSL();
    /// Sends data longer than one packet as a chain of packets.
    virtual void BigSend(const QByteArray &data);
    /// Whole-packet mode: appends the received `Packet` to its connection's data.
    virtual void BigStorePacket();
    /// Whole-packet mode: drops the first `bytes` bytes of the connection's data.
    virtual void BigClearPacket(int bytes);
    /**
     * Whole-packet mode: length of the complete message at the start of the data of the
     * current packet's connection (a 4-byte little-endian length field, counting itself),
     * or 0 while it is incomplete.
     */
    virtual int BigCheckForPacketEnd();
    virtual void _DropWholePackets(std::int32_t sockId);
    virtual void PartiallyCloseServer();
    virtual void _UpdateServerConnections();

protected:
    /// Server and port of `_Connection` for log lines.
    QString serverText() const;
    /// "First n bytes of ... Data = [...]" for the first `LogDataBytes` bytes of `Packet`.
    QString dataExcerpt(const QString &what) const;

private:
    // TakeEvent's steps: the events E+1 and E+2, then a packet's arrival (E) and its kinds.
    QString modeText() const;
    void takeRemoteCloseEvent();
    void takeCloseEvent();
    void takePacketEvent();
    /// A packet of an earlier connection of this object is dropped (true) before it reaches
    /// the current connection's handling.
    bool dropEarlierConnectionPacket();
    void takeDataPacket();
    void takeLocalClosedPacket(bool earlierConnection);
    void takeOpenFailedPacket();
    void remoteClosed(std::uint32_t socket, std::int32_t sockId);
    void notInitialised(const QString &functionName);
    NetWholePacket *wholePacketsOf(std::int32_t sockId);

    UserInterface *m_userInterface = nullptr;
};

} // namespace pk
