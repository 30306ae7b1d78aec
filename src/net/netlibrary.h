#pragma once

#include "net/netconnection.h"
#include "net/netpacket.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pk {

class EventPoster;
class NetCriticalSection;

/**
 * The network library: connections run on one library thread over Asio (TLS over OpenSSL);
 * notifications reach the owning thread through the EventPoster registered for the
 * connection's `Thread`. A result of 0 is success, a negative result one of the numbers below.
 *
 * For an owner event E the library posts E when a packet is waiting (NetSimpleConnectReceive
 * fetches it), E+1 when the remote side closed and E+2 when the second close phase is due.
 * This library reports a remote close as packet 5 and a finished local close as packet 6, both
 * through E, so that they stay in order with the data packets before them. Waiting packets are
 * kept per owner event, oldest first; each packet names its connection (`OnSocket`, `SockID`).
 *
 * TLS: client connections check the server's certificate against the system's trusted
 * certificates (plus NetOptionSSLCAFile) and the host name given in `Server`, and send that
 * name (SNI). A failed check ends the open like any other failure (packet 8). The check can be
 * switched off with NetOptionSSLVerifyPeer "0". `SSLMethod` is not used: OpenSSL negotiates
 * the highest TLS version both sides support (SSL 2 and 3 are refused).
 */

/// Error numbers the network layer uses (NetErrorStr and the objects' tables describe them).
enum NetErrorNumber : int {
    NetErrInvalidSize = -4,
    NetErrDataTooShort = -7,
    NetErrNoRequest = -13,
    NetErrNoServers = -15,
    NetErrServiceNotSupported = -17,
    NetErrAddressNotFound = -20,
    NetErrBadParameters = -22,
    NetErrNoMemory = -32,
    NetErrHostOrSocketNotSet = -33,
    NetErrConnectionNotFound = -34,
    NetErrFileAccess = -35,
    NetErrNotOpen = -36,
    NetErrCouldNotOpen = -39,
    NetErrCouldNotSend = -40,
    NetErrCallBackClosed = -48,
    NetErrNoRuntime = -50,
    NetErrNoPosting = -52,
    NetErrOpenFailed = -53,
    NetErrPingFailed = -54,
    NetErrAlreadyOpen = -55,
    NetErrIdle = -57,
    NetErrNoData = -59,
    NetErrInitNotCalled = -60,
    NetErrSSLFailed = -61,
};

/// Close phases of NetSimpleConnectClose().
enum NetClosePhase : int { NetCloseAbort = -1, NetCloseGraceful = 1, NetCloseRelease = 2 };

/// Options of NetOptions().
enum NetOption : int {
    NetOptionVersion = 1,         ///< out: the library's version text
    NetOptionLocalHostName = 2,   ///< out: this machine's host name
    NetOptionOpenConnections = 3, ///< out: number of connections the library holds
    NetOptionSSLVerifyPeer = 4,   ///< in: "1" verify server certificates (default), "0" do not
    NetOptionSSLCAFile = 5,       ///< in: extra trusted certificate file (PEM); "" to drop it
};

/// Value types of NetGetRegistry().
enum NetRegistryType : int { NetRegistryText = 1, NetRegistryNumber = 4 };
/// Root keys of NetGetRegistry().
enum NetRegistryRoot : int { NetRegistryCurrentUser = 1, NetRegistryLocalMachine = 2 };

/// A window event number not used by any other object (E, E+1, E+2 are reserved), or 0.
int NetGetUniqueEvent();
/// Gives E back; later packets for E are dropped.
void NetFreeUniqueEvent(int event);

int NetSimpleConnectOpen(NetConnection &connection);
int NetSimpleConnectReceive(NetConnection &connection, NetPacket &packet);
int NetSimpleConnectSend(NetConnection &connection, NetPacket &packet);
int NetSimpleConnectClose(NetConnection &connection,
                          std::uint32_t socket,
                          std::int32_t sockId,
                          int phase);
int NetSimpleSwitchToSSL(NetConnection &connection);

/// Message text for a library error number.
std::string NetErrorStr(int error);

/// The lock shared by all network objects; never null while the library is loaded.
NetCriticalSection *NetGet_NetCriticalSection();

/**
 * Reads a value of the read-only registry file (`registry.ini` in the configuration folder,
 * one section per key path). `valueType` NetRegistryNumber gives the number as decimal text.
 */
std::string NetGetRegistry(int rootKey,
                           int valueType,
                           int &found,
                           const std::string &valueName,
                           const std::string &keyPath);

/// Reads (or for the SSL options sets) a library option; 0 or NetErrBadParameters.
int NetOptions(int option, std::string &buffer);

/// Sends one echo request to `host` and waits up to 2 s: 0 on a reply, NetErrPingFailed, or
/// NetErrAddressNotFound. Blocks the caller.
int NetPing(const std::string &host);

/// Writes the text as one line to the diagnostic output.
void NetDebugTrace(const std::string &text);

/// Stops the library thread and drops every connection; called once at program end.
int NetCloseCallBackWindow();

/**
 * Makes `poster` receive the events of connections whose `Thread` is the returned number, and
 * the calling thread's default (NetCurrentThread()). `thread` 0 picks a free number.
 */
int NetRegisterPoster(EventPoster *poster, int thread = 0);
/// After this no event reaches the poster; call before the poster is destroyed.
void NetUnregisterPoster(int thread);
/// The number the calling thread registered last, or 0.
int NetCurrentThread();

/// Where diagnostic lines go (default: standard error). An empty function restores it.
void NetSetDebugSink(std::function<void(const std::string &line)> sink);

/// Path of the registry file; empty restores `$XDG_CONFIG_HOME/pathkeep/registry.ini`.
void NetSetRegistryFile(const std::string &path);

/// Version text of the library.
const char *NetLibraryVersion();

} // namespace pk
