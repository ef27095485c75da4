#include "nibdl/transport.h"

#include <algorithm>
#include <cstring>

namespace nibdl {

namespace {

constexpr int kReplyCalls = 31;
constexpr uint32_t kReplyPollMs = 10;
constexpr int kPacketFirstCalls = 81;
constexpr int kPacketMoreCalls = 82;
constexpr uint32_t kPacketPollMs = 2;
constexpr uint32_t kMaxPacketLength = 64;

// Appends `n` bytes to dest[*used..size), dropping what does not fit.
void Append(uint8_t* dest, size_t size, size_t* used, const uint8_t* bytes, size_t n) {
  const size_t room = *used < size ? size - *used : 0;
  const size_t take = std::min(n, room);
  if (take > 0) std::memcpy(dest + *used, bytes, take);
  *used += take;
}

}  // namespace

bool WaitForData(PortLink& link, uint8_t* buffer, uint32_t capacity, uint32_t* length,
                 uint32_t timeoutMs) {
  *length = 0;
  if (!link.WaitPending(timeoutMs)) return false;
  *length = link.Retrieve(buffer, capacity);
  return true;
}

void DrainStale(PortLink& link) {
  // Bounded: at most a full memory's worth of reads.
  constexpr int kMaxDrains = 1100;
  uint8_t buffer[kDataBufferSize];
  for (int call = 0; call < kMaxDrains; ++call)
    if (link.Retrieve(buffer, sizeof buffer) == 0) return;
}

uint32_t ReadReply(PortLink& link, uint32_t wanted, uint8_t* dest, size_t destSize) {
  uint8_t buffer[kReplyBufferSize];
  size_t stored = 0;
  uint32_t collected = 0;
  for (int call = 0; call < kReplyCalls; ++call) {
    const uint32_t n = link.Retrieve(buffer, sizeof buffer);
    Append(dest, destSize, &stored, buffer, n);
    collected += n;
    link.Sleep(kReplyPollMs);
    if (collected >= wanted) break;
  }
  return static_cast<uint32_t>(stored);
}

uint32_t ReadPacket(PortLink& link, uint8_t* dest) {
  uint8_t buffer[kPacketBufferSize];
  uint32_t n = 0;
  for (int call = 0; call < kPacketFirstCalls && n == 0; ++call) {
    n = link.Retrieve(buffer, sizeof buffer);
    link.Sleep(kPacketPollMs);
  }
  if (n == 0) return 0;
  const uint32_t length = buffer[0];
  if (length > kMaxPacketLength) return 0;

  size_t collected = 0;
  Append(dest, kPacketDestSize, &collected, buffer + 1, n - 1);
  for (int call = 0; collected < length; ++call) {
    if (call == kPacketMoreCalls) return 0;
    n = link.Retrieve(buffer, sizeof buffer);
    Append(dest, kPacketDestSize, &collected, buffer, n);
    link.Sleep(kPacketPollMs);
  }
  return static_cast<uint32_t>(collected);
}

int CheckSum(const uint8_t* data, int n) {
  uint8_t sum = 0;
  for (int i = 0; i < n; ++i) sum ^= data[i];
  return sum == 0 ? 1 : 0;
}

}  // namespace nibdl
