#include "nibdl/versionreport.h"

#include <utility>
#include <vector>

#include "nibdl/transport.h"

namespace nibdl {

namespace {

constexpr uint8_t kVersionRequest = 0x95;
constexpr uint8_t kSignature0 = 0x80;  // PCNTSignature
constexpr uint8_t kSignature1 = 0xA9;
constexpr uint32_t kMinReport = 12;
constexpr int kWaits = 10;
constexpr uint32_t kWaitMs = 100;
constexpr uint32_t kSwapBelow = 0x011E0000;

}  // namespace

bool ParseVersionReport(const uint8_t* data, uint32_t n, DUVOVERSION* version) {
  if (n < kMinReport) return false;
  // The signature and all eight bytes after it must lie inside the read.
  for (uint32_t at = 0; at + 10 <= n; ++at) {
    if (data[at] != kSignature0 || data[at + 1] != kSignature1) continue;
    const uint8_t* b = data + at + 2;
    version->dwHead = b[0];
    version->dwVersion1 = (static_cast<uint32_t>(b[1]) << 24) + (static_cast<uint32_t>(b[2]) << 16);
    version->dwVersion2 = (static_cast<uint32_t>(b[3]) << 24) + (static_cast<uint32_t>(b[4]) << 16);
    version->dwVersion3 = (static_cast<uint32_t>(b[5]) << 24) + (static_cast<uint32_t>(b[6]) << 16);
    version->dwTail = b[7];
    if (version->dwVersion1 < kSwapBelow) std::swap(version->dwVersion1, version->dwVersion2);
    return true;
  }
  return false;
}

uint32_t ReadVersionReport(PortLink& link, DUVOVERSION* version) {
  DrainStale(link);
  link.Send({kVersionRequest, kVersionRequest});
  std::vector<uint8_t> buffer(kDataBufferSize);
  for (int wait = 0; wait < kWaits; ++wait) {
    uint32_t n = 0;
    if (!WaitForData(link, buffer.data(), kDataBufferSize, &n, kWaitMs)) continue;
    if (ParseVersionReport(buffer.data(), n, version)) return DUVO_OK;
  }
  return DUVO_E_TIMEOUT;
}

}  // namespace nibdl
