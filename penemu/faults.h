#pragma once
// The faults a pen may be told to show: per data packet (drop, corrupt,
// duplicate, reorder) drawn from a seeded generator so runs repeat, and the
// link faults that count data packets (disconnect, stall).

#include <cstdint>
#include <optional>
#include <random>

namespace scrivel::penemu {

struct FaultSettings {
  double drop = 0, corrupt = 0, duplicate = 0, reorder = 0;  // probabilities 0..1
  std::optional<uint64_t> disconnectAfter, stallAfter;         // data packets
  uint64_t seed = 20080101;
};

class Faults {
 public:
  struct Decision {
    bool drop = false, corrupt = false, duplicate = false, reorder = false;
  };

  explicit Faults(const FaultSettings& settings);

  // The faults of one data packet's first transmission. Every call draws the
  // same amount from the generator, so a seed gives the same run whatever the
  // pen does with the answer. Drop wins over the others.
  Decision decide();

  // Data packets actually sent (first transmissions, copies and resends).
  void countSent(uint64_t packets) { m_sent += packets; }
  uint64_t sent() const { return m_sent; }

  // How many more data packets may go before a link fault takes over.
  uint64_t budget() const;
  // The stall point is reached: the pen answers nothing any more.
  bool stalled() const { return m_settings.stallAfter && m_sent >= *m_settings.stallAfter; }
  // The disconnect point is reached and the link has not been closed for it yet.
  bool disconnectDue() const;
  void markDisconnected() { m_disconnected = true; }

 private:
  bool draw(double probability);

  FaultSettings m_settings;
  std::mt19937_64 m_random;
  uint64_t m_sent = 0;
  bool m_disconnected = false;
};

}  // namespace scrivel::penemu
