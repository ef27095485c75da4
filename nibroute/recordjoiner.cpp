#include "nibroute/recordjoiner.h"

#include <algorithm>

namespace nibroute {

namespace {

ZMTEvent DecodeRecord(const uint8_t* p) {
  ZMTEvent event;
  event.type = static_cast<uint16_t>(p[0] | (p[1] << 8));
  event.x = static_cast<int16_t>(static_cast<uint16_t>(p[2] | (p[3] << 8)));
  event.y = static_cast<int16_t>(static_cast<uint16_t>(p[4] | (p[5] << 8)));
  return event;
}

}  // namespace

void RecordJoiner::Feed(const uint8_t* bytes, size_t n, std::vector<ZMTEvent>& out) {
  constexpr size_t kRecord = sizeof(ZMTEvent);
  if (m_partialSize > 0) {
    const size_t take = std::min(n, kRecord - m_partialSize);
    std::copy(bytes, bytes + take, m_partial + m_partialSize);
    m_partialSize += take;
    bytes += take;
    n -= take;
    if (m_partialSize < kRecord) return;
    out.push_back(DecodeRecord(m_partial));
    m_partialSize = 0;
  }
  const size_t records = n / kRecord;
  for (size_t i = 0; i < records; ++i) out.push_back(DecodeRecord(bytes + i * kRecord));
  m_partialSize = n - records * kRecord;
  std::copy(bytes + records * kRecord, bytes + n, m_partial);
}

}  // namespace nibroute
