#pragma once
// Paces units (packets or bytes) at a fixed rate against a steady clock: unit k
// is due at start + k / rate, so the average rate is exact while the reader
// keeps up. After a pause (or a reader slower than the rate) it starts afresh
// rather than sending a burst to catch up.

#include <chrono>
#include <cstddef>

namespace scrivel::penemu {

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit Pacer(double unitsPerSecond = 0);  // 0: unpaced

  bool paced() const { return m_rate > 0; }
  // How many of `wanted` units may go at `now`.
  size_t allowance(size_t wanted, Clock::time_point now);
  void sent(size_t units) { m_count += units; }
  // When the next unit is due (meaningful only when paced).
  Clock::time_point due() const;

 private:
  double m_rate;
  Clock::time_point m_start;
  size_t m_count = 0;
  bool m_started = false;
};

}  // namespace scrivel::penemu
