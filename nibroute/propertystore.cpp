#include "nibroute/propertystore.h"

namespace nibroute {

uint32_t PropertyStore::Get(uint32_t property) const {
  const auto it = m_values.find(property);
  return it == m_values.end() ? 0 : it->second;
}

void PropertyStore::Set(uint32_t property, uint32_t value) { m_values[property] = value; }

}  // namespace nibroute
