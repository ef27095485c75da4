#include "nibdl/packetstore.h"

#include <algorithm>
#include <cstring>

namespace nibdl {

namespace {

uint32_t PacketNumber(const uint8_t* packet) { return (packet[0] << 8) | packet[1]; }

}  // namespace

PacketStore::PacketStore()
    : store(static_cast<size_t>(kMaxPackets) * kPacketSize, 0),
      log(kMaxPackets + 1, kPacketMissing) {}

void PacketStore::Reset() {
  std::fill(store.begin(), store.end(), 0);
  std::fill(log.begin(), log.end(), kPacketMissing);
}

uint32_t StorePackets(PacketStore& packets, const uint8_t* data, uint32_t len) {
  uint32_t last = 0;
  const size_t whole = len - len % kPacketSize;
  for (size_t offset = 0; offset < whole; offset += kPacketSize) {
    const uint32_t p = PacketNumber(data + offset);
    if (p == 0 || static_cast<size_t>(p) * kPacketSize > packets.store.size()) return 0;
    std::memcpy(&packets.store[(p - 1) * kPacketSize], data + offset, kPacketSize);
    last = p;
  }
  return last;
}

uint32_t CheckPackets(PacketStore& packets, uint32_t count) {
  count = std::min(count, kMaxPackets);
  uint32_t present = 0;
  for (uint32_t slot = 0; slot < count; ++slot) {
    const uint32_t p = PacketNumber(&packets.store[slot * kPacketSize]);
    if (p == slot + 1) {
      packets.log[p] = kPacketPresent;
      ++present;
    } else if (p < packets.log.size()) {
      packets.log[p] = kPacketMissing;
    }
  }
  return present;
}

uint32_t FileMissingPackets(PacketStore& packets, uint32_t count, const uint8_t* data,
                            uint32_t len) {
  count = std::min(count, kMaxPackets);
  uint32_t filed = 0;
  const size_t whole = len - len % kPacketSize;
  for (size_t offset = 0; offset < whole; offset += kPacketSize) {
    const uint32_t p = PacketNumber(data + offset);
    if (p == 0 || p > count || packets.log[p] == kPacketPresent) continue;
    std::memcpy(&packets.store[(p - 1) * kPacketSize], data + offset, kPacketSize);
    packets.log[p] = kPacketPresent;
    ++filed;
  }
  return filed;
}

size_t StripPacketNumbers(PacketStore& packets, uint32_t count) {
  count = std::min(count, kMaxPackets);
  uint8_t* store = packets.store.data();
  for (uint32_t slot = 0; slot < count; ++slot)
    std::memmove(store + slot * kPayloadSize, store + slot * kPacketSize + 2, kPayloadSize);
  const size_t size = static_cast<size_t>(count) * kPayloadSize;
  std::memset(store + size, 0, std::min<size_t>(kPayloadSize, packets.store.size() - size));
  return size;
}

}  // namespace nibdl
