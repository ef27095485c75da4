#include "penemu/pacer.h"

#include <algorithm>
#include <cmath>

namespace scrivel::penemu {

Pacer::Pacer(double unitsPerSecond) : m_rate(unitsPerSecond) {}

Pacer::Clock::time_point Pacer::due() const {
  return m_start + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(double(m_count) / m_rate));
}

size_t Pacer::allowance(size_t wanted, Clock::time_point now) {
  if (!paced()) return wanted;
  if (!m_started || now - due() > std::chrono::seconds(1)) {
    m_started = true;
    m_start = now;
    m_count = 0;
  }
  const double elapsed = std::chrono::duration<double>(now - m_start).count();
  const auto dueByNow = size_t(std::floor(elapsed * m_rate)) + 1;
  return dueByNow > m_count ? std::min(wanted, dueByNow - m_count) : 0;
}

}  // namespace scrivel::penemu
