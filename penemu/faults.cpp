#include "penemu/faults.h"

#include <algorithm>
#include <limits>

namespace scrivel::penemu {

Faults::Faults(const FaultSettings& settings) : m_settings(settings), m_random(settings.seed) {}

bool Faults::draw(double probability) {
  // 53 random bits give a uniform value in [0, 1).
  const double u = double(m_random() >> 11) * 0x1.0p-53;
  return u < probability;
}

Faults::Decision Faults::decide() {
  Decision d;
  d.drop = draw(m_settings.drop);
  d.corrupt = draw(m_settings.corrupt);
  d.duplicate = draw(m_settings.duplicate);
  d.reorder = draw(m_settings.reorder);
  if (d.drop) d.corrupt = d.duplicate = d.reorder = false;
  return d;
}

uint64_t Faults::budget() const {
  uint64_t limit = std::numeric_limits<uint64_t>::max();
  if (m_settings.stallAfter) limit = std::min(limit, *m_settings.stallAfter);
  if (m_settings.disconnectAfter && !m_disconnected) limit = std::min(limit, *m_settings.disconnectAfter);
  return limit > m_sent ? limit - m_sent : 0;
}

bool Faults::disconnectDue() const {
  return m_settings.disconnectAfter && !m_disconnected && m_sent >= *m_settings.disconnectAfter;
}

}  // namespace scrivel::penemu
