#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

#pragma pack(push, 1)
/**
 * @brief The record that identifies one connection to the network library (248 bytes).
 *
 * The caller fills in what it wants (`Mode`, `Server`, `Port`, `Thread`, `Event`, the timeouts
 * and the SSL choices); the library fills in `Socket`, `SockID` and `LocalIP`. `Thread` names
 * the event poster registered with NetRegisterPoster() that receives the connection's events.
 */
struct NetConnection
{
    std::uint8_t Mode; ///< 0 client, 1 server
    char Server[81];   ///< host name or address, zero-terminated
    std::uint16_t Port;
    std::uint32_t Socket;              ///< filled in by the library
    std::int32_t SockID;               ///< filled in by the library
    std::int32_t Thread;               ///< poster that receives the events
    std::int32_t Event;                ///< the owner's unique event E
    std::int32_t MaxServerConnections; ///< server mode only
    char LocalIP[16];                  ///< filled in by the library
    std::int32_t Reserved1;
    std::uint8_t UDPMode;
    std::int32_t AsyncOpenTimeOut; ///< hundredths of a second; 0 = synchronous open
    std::int32_t InActiveTimeout;  ///< hundredths of a second; 0 = never idle
    std::uint8_t SSL;
    std::int32_t SSLMethod;
    std::uint8_t SSLDontConnectOnOpen;
    char Reserved2[109];
};
#pragma pack(pop)

static_assert(sizeof(NetConnection) == 248);
static_assert(offsetof(NetConnection, Server) == 1);
static_assert(offsetof(NetConnection, Port) == 82);
static_assert(offsetof(NetConnection, Socket) == 84);
static_assert(offsetof(NetConnection, SockID) == 88);
static_assert(offsetof(NetConnection, Thread) == 92);
static_assert(offsetof(NetConnection, Event) == 96);
static_assert(offsetof(NetConnection, MaxServerConnections) == 100);
static_assert(offsetof(NetConnection, LocalIP) == 104);
static_assert(offsetof(NetConnection, Reserved1) == 120);
static_assert(offsetof(NetConnection, UDPMode) == 124);
static_assert(offsetof(NetConnection, AsyncOpenTimeOut) == 125);
static_assert(offsetof(NetConnection, InActiveTimeout) == 129);
static_assert(offsetof(NetConnection, SSL) == 133);
static_assert(offsetof(NetConnection, SSLMethod) == 134);
static_assert(offsetof(NetConnection, SSLDontConnectOnOpen) == 138);
static_assert(offsetof(NetConnection, Reserved2) == 139);

} // namespace pk
