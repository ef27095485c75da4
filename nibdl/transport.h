#pragma once
// The transport under both dialects: waiting for data, collecting a serial
// reply, reading a length-prefixed serial packet, and the XOR check.

#include <cstddef>
#include <cstdint>

#include "nibdl/portlink.h"

namespace nibdl {

// Receive buffer sizes handed to PortRetrieveData.
constexpr uint32_t kReplyBufferSize = 20;       // ReadReply
constexpr uint32_t kPacketBufferSize = 64;      // ReadPacket
constexpr uint32_t kExchangeBufferSize = 1256;  // serial wake-up and command mode
constexpr uint32_t kDataBufferSize = 2048;      // WaitForData callers

// Room ReadPacket needs in its destination: the first read brings at most 63
// bytes after the length byte, a further read at most 64.
constexpr size_t kPacketDestSize = 2 * kPacketBufferSize;

// Waits up to `timeoutMs` for DataPending; when signalled, one retrieval into
// `buffer` (its count in *length, possibly 0) and true. False on a time-out.
bool WaitForData(PortLink& link, uint8_t* buffer, uint32_t capacity, uint32_t* length,
                 uint32_t timeoutMs);

// Throws away whatever is waiting from an earlier exchange (the tail of a
// stream the pen was told to stop), so it is not read as the next answer.
void DrainStale(PortLink& link);

// Collects a serial reply of `wanted` bytes: up to 31 retrievals 10 ms apart,
// stopping as soon as `wanted` bytes are in. Returns the count collected, which
// may exceed `wanted` (all bytes of the last read are kept) or fall short of it.
// Bytes beyond `destSize` are dropped; wanted + 20 bytes always fit.
uint32_t ReadReply(PortLink& link, uint32_t wanted, uint8_t* dest, size_t destSize);

// Reads one serial note packet: a length byte L (at most 64), then L bytes.
// Returns the bytes collected after the length byte, 0 when nothing came, the
// length byte was too big, or the packet stayed incomplete. `dest` holds
// kPacketDestSize bytes.
uint32_t ReadPacket(PortLink& link, uint8_t* dest);

// 1 when the XOR of the n bytes is 0 (the last byte is the XOR of the others),
// else 0. An empty range passes.
int CheckSum(const uint8_t* data, int n);

}  // namespace nibdl
