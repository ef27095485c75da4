#include "tests/nibdl/fakelink.h"

#include <algorithm>
#include <cstring>

namespace nibdl::test {

void FakeLink::Send(const uint8_t* data, uint32_t length) {
  Bytes command(data, data + length);
  m_sent.push_back(command);
  OnCommand(command);
}

void FakeLink::Deliver(Bytes bytes, uint64_t delayMs) {
  if (bytes.empty()) return;
  // In order of arrival: after every chunk due no later than this one.
  const uint64_t due = m_now + delayMs;
  const auto at = std::find_if(m_chunks.begin(), m_chunks.end(), [due](const Chunk& c) { return c.due > due; });
  m_chunks.insert(at, Chunk{due, std::move(bytes)});
}

bool FakeLink::DataDue() const { return !m_chunks.empty() && m_chunks.front().due <= m_now; }

bool FakeLink::WaitPending(uint32_t timeoutMs) {
  if (DataDue()) return true;
  if (!m_chunks.empty() && m_chunks.front().due <= m_now + timeoutMs) {
    m_now = m_chunks.front().due;
    return true;
  }
  m_now += timeoutMs;
  return false;
}

bool FakeLink::Disconnected() { return m_goneAt && m_now >= *m_goneAt; }

uint32_t FakeLink::RetrieveData(uint8_t* buffer, uint32_t capacity) {
  ++m_retrievals;
  const uint32_t limit = std::min(capacity, maxPerRetrieve);
  uint32_t n = 0;
  while (n < limit && DataDue()) {
    Bytes& bytes = m_chunks.front().bytes;
    if (wholeChunks && bytes.size() > limit - n) break;
    const size_t take = std::min<size_t>(bytes.size(), limit - n);
    std::memcpy(buffer + n, bytes.data(), take);
    n += static_cast<uint32_t>(take);
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(take));
    if (bytes.empty()) m_chunks.pop_front();
  }
  return n;
}

int FakeLink::CountSent(uint8_t first, std::optional<uint8_t> second) const {
  return static_cast<int>(std::count_if(m_sent.begin(), m_sent.end(), [&](const Bytes& c) {
    return !c.empty() && c[0] == first && (!second || (c.size() > 1 && c[1] == *second));
  }));
}

}  // namespace nibdl::test
