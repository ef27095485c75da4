#pragma once
// The receive state of a USB download: the packet store (packet p at offset
// (p - 1) * 64) and PacketsLog (per packet number: 1 present, 0xFF missing).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nibdl {

constexpr uint32_t kMaxPackets = 33826;
constexpr uint32_t kPacketSize = 64;
constexpr uint32_t kPayloadSize = 62;
constexpr uint8_t kPacketPresent = 1;
constexpr uint8_t kPacketMissing = 0xFF;

struct PacketStore {
  // Zeroed room for every packet the pen can hold, and a log of missing
  // packets indexed by packet number (0 to kMaxPackets).
  PacketStore();
  // Back to the state of a new store.
  void Reset();

  std::vector<uint8_t> store;
  std::vector<uint8_t> log;
};

// Files the whole 64-byte packets in data[0..len) by their big-endian number.
// Returns the number of the last one filed, 0 when len < 64, and 0 at once for
// a packet whose number lies outside the store (0 included).
uint32_t StorePackets(PacketStore& packets, const uint8_t* data, uint32_t len);

// Marks in the log which of packets 1..count sit in their slot; returns how
// many do.
uint32_t CheckPackets(PacketStore& packets, uint32_t count);

// Files whole packets numbered 1..count that are still missing and marks them
// present; other packets are ignored. Returns how many were new.
uint32_t FileMissingPackets(PacketStore& packets, uint32_t count, const uint8_t* data,
                            uint32_t len);

// Strips the packet numbers in place: the 62-byte payloads of slots 0..count-1
// end up back to back from offset 0, followed by 62 zero bytes. Returns the
// image size, count * 62.
size_t StripPacketNumbers(PacketStore& packets, uint32_t count);

}  // namespace nibdl
