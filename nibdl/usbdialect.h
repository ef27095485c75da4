#pragma once
// The USB dialect: the host asks for the number of 64-byte packets the pen
// holds, receives the memory image as a stream of numbered packets between two
// B6 commands, files them by number and asks again for missing ones.

#include <cstdint>

#include "nibdl/download.h"
#include "nibdl/packetstore.h"
#include "nibdl/portlink.h"

namespace nibdl {

// Download modes.
constexpr int kModeNormal = 0;
constexpr int kModeDump = 1;

// B5: the packet count (at most 33,826). DUVO_OK, DUVO_E_TIMEOUT or DUVO_E_PROTOCOL.
uint32_t GetPacketCount(PortLink& link, uint32_t* packetsInMemory);

// Finds AA AA AA AA AA hi lo in the bytes: the count hi * 256 + lo, or
// 0xFFFFFFFF when the marker (with both count bytes) is not there.
uint32_t ParsePacketCount(const uint8_t* data, uint32_t n);

// Asks again (B7 p_hi p_lo) for every packet 1..count the log marks missing.
// DUVO_OK, DUVO_E_TIMEOUT (a wait timed out) or DUVO_E_PROTOCOL (ten waits
// brought nothing missing).
uint32_t RecoverPackets(PortLink& link, PacketStore& packets, uint32_t count);

// True when the port reports the pen gone within ten seconds.
bool WaitForDisconnect(PortLink& link);

// B6, B6, B0 with 200 ms between them.
void EraseUsb(PortLink& link);

// The whole USB download. Normal mode decodes the pages into d.pages and
// returns DUVO_OK; dump mode writes the packet image file and returns 1. A
// stream that fails keeps in d.pages the notes received whole before the
// first missing packet, returns the failure and never erases the pen.
uint32_t DownloadUsb(Download& d, int mode);

}  // namespace nibdl
