#pragma once
// A receiver's queue of pen events: first in, first out, bounded. When it is
// full the oldest event makes room for the newest, so a receiver that stops
// draining loses history, never the pen's latest position.

#include <cstddef>
#include <deque>

#include "nibroute/nibroute.h"

namespace nibroute {

class EventQueue {
 public:
  static constexpr size_t kDefaultCapacity = 65536;

  explicit EventQueue(size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}

  // Appends an event; returns true when the queue was empty before.
  bool Push(const ZMTEvent& event);
  // Removes the oldest event into *event; false when the queue is empty.
  bool Pop(ZMTEvent* event);
  bool Empty() const { return m_events.empty(); }
  size_t Size() const { return m_events.size(); }
  // Events dropped because the queue was full, since it was made.
  size_t Dropped() const { return m_dropped; }

 private:
  size_t m_capacity;
  size_t m_dropped = 0;
  std::deque<ZMTEvent> m_events;
};

}  // namespace nibroute
