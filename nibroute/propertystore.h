#pragma once
// The properties of one handle of the route library: id -> 32-bit value.

#include <cstdint>
#include <unordered_map>

namespace nibroute {

class PropertyStore {
 public:
  // A property never written reads as 0.
  uint32_t Get(uint32_t property) const;
  void Set(uint32_t property, uint32_t value);
  void Clear() { m_values.clear(); }

 private:
  std::unordered_map<uint32_t, uint32_t> m_values;
};

}  // namespace nibroute
