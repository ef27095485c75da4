#include "ports/portcore/receivebuffer.h"

#include <algorithm>
#include <cstring>

namespace ports {

void ReceiveBuffer::Append(const uint8_t* data, size_t length) {
  if (m_read > 0 && m_read >= m_data.size() / 2) {
    m_data.erase(m_data.begin(), m_data.begin() + static_cast<std::ptrdiff_t>(m_read));
    m_read = 0;
  }
  m_data.insert(m_data.end(), data, data + length);
}

size_t ReceiveBuffer::Take(uint8_t* out, size_t capacity) {
  const size_t available = Size();
  size_t count;
  if (m_reportSize == 1 || capacity < m_reportSize) {
    count = std::min(capacity, available);
  } else {
    // The rest of a report begun by a smaller call, then whole reports.
    const size_t head = (m_reportSize - m_offset) % m_reportSize;
    if (available < head) return 0;
    const size_t room = std::min(capacity, available) - head;
    count = head + room / m_reportSize * m_reportSize;
  }
  if (count == 0) return 0;
  std::memcpy(out, m_data.data() + m_read, count);
  m_read += count;
  m_offset = (m_offset + count) % m_reportSize;
  if (m_read == m_data.size()) {
    m_data.clear();
    m_read = 0;
  }
  return count;
}

bool ReceiveBuffer::HasDeliverable() const {
  const size_t head = (m_reportSize - m_offset) % m_reportSize;
  return Size() >= (head == 0 ? m_reportSize : head);
}

void ReceiveBuffer::Clear() {
  m_data.clear();
  m_read = 0;
  m_offset = 0;
}

}  // namespace ports
