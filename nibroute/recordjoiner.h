#pragma once
// Joins a byte stream into 6-byte ZMTEvent records, little-endian (u16 type,
// s16 x, s16 y). A record split across reads is completed by the next read.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "nibroute/nibroute.h"

namespace nibroute {

class RecordJoiner {
 public:
  // Appends to `out` every record that `bytes` completes.
  void Feed(const uint8_t* bytes, size_t n, std::vector<ZMTEvent>& out);
  // Forgets a record begun earlier (a new connection).
  void Reset() { m_partialSize = 0; }
  // Bytes of a record still waiting for the rest.
  size_t Pending() const { return m_partialSize; }

 private:
  uint8_t m_partial[sizeof(ZMTEvent)] = {};
  size_t m_partialSize = 0;
};

}  // namespace nibroute
