#pragma once
// Bytes received from the pen and not yet retrieved, handed out in the pen's
// units. For a byte stream (report size 1) any capacity takes what fits. For a
// pen that speaks in 64-byte reports, a caller whose capacity is at least one
// report receives whole reports only (as many as fit and have arrived
// completely); a caller with less room receives plain bytes, and the next
// larger call first completes the report such a call began, so the stream
// stays aligned on reports.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ports {

class ReceiveBuffer {
 public:
  explicit ReceiveBuffer(size_t reportSize = 1) : m_reportSize(reportSize ? reportSize : 1) {}

  void Append(const uint8_t* data, size_t length);
  // Moves up to `capacity` bytes into `out` by the rule above; returns the count.
  size_t Take(uint8_t* out, size_t capacity);
  // True when a call with room for a report would receive something.
  bool HasDeliverable() const;
  size_t Size() const { return m_data.size() - m_read; }
  void Clear();

 private:
  size_t m_reportSize;
  std::vector<uint8_t> m_data;
  size_t m_read = 0;    // first byte not yet taken
  size_t m_offset = 0;  // position inside the current report of the next byte
};

}  // namespace ports
