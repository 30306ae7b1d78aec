#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

/// Largest payload one packet carries; longer data is split by the caller.
inline constexpr int NetMaxBinData = 16384;

/// Kinds of packet the network library delivers (`PacketType`).
enum NetPacketKind : std::int32_t {
    NetPacketNewConnection = 2, ///< server mode: a connection was accepted
    NetPacketData = 3,          ///< data received
    NetPacketNoConnection = 4,  ///< no connection
    NetPacketRemoteClosed = 5,  ///< the remote side closed the connection
    NetPacketLocalClosed = 6,   ///< a graceful local close has finished
    NetPacketOpenSucceeded = 7, ///< asynchronous open succeeded
    NetPacketOpenFailed = 8,    ///< asynchronous open failed or timed out
    NetPacketIdle = 9,          ///< nothing moved for `InActiveTimeout`
};

#pragma pack(push, 1)
/**
 * @brief The record exchanged with the network library for every received or sent packet.
 *
 * The layout is fixed (16564 bytes, little-endian) so that it stays a plain record that can be
 * copied as a whole; the offsets are checked below.
 */
struct NetPacket
{
    char ToIP[16];          ///< destination address (server mode and UDP)
    std::uint32_t OnSocket; ///< socket handle of the connection the packet belongs to
    std::int32_t SockID;    ///< connection id assigned by the library
    char FromIP[16];        ///< address of the remote side
    char BinData[NetMaxBinData];
    std::int32_t BinDataLen; ///< 0 to NetMaxBinData
    std::int32_t PacketType; ///< a NetPacketKind
    std::int32_t Reserved2;
    std::uint16_t UDPToPort;
    std::uint16_t UDPFromPort;
    std::int32_t Error;
    char Reserved[120];
};
#pragma pack(pop)

static_assert(sizeof(NetPacket) == 16564);
static_assert(offsetof(NetPacket, OnSocket) == 16);
static_assert(offsetof(NetPacket, SockID) == 20);
static_assert(offsetof(NetPacket, FromIP) == 24);
static_assert(offsetof(NetPacket, BinData) == 40);
static_assert(offsetof(NetPacket, BinDataLen) == 16424);
static_assert(offsetof(NetPacket, PacketType) == 16428);
static_assert(offsetof(NetPacket, Reserved2) == 16432);
static_assert(offsetof(NetPacket, UDPToPort) == 16436);
static_assert(offsetof(NetPacket, UDPFromPort) == 16438);
static_assert(offsetof(NetPacket, Error) == 16440);
static_assert(offsetof(NetPacket, Reserved) == 16444);

} // namespace pk
