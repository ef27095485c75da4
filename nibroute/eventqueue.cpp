#include "nibroute/eventqueue.h"

namespace nibroute {

bool EventQueue::Push(const ZMTEvent& event) {
  const bool wasEmpty = m_events.empty();
  if (m_events.size() >= m_capacity) {
    m_events.pop_front();
    ++m_dropped;
  }
  m_events.push_back(event);
  return wasEmpty;
}

bool EventQueue::Pop(ZMTEvent* event) {
  if (m_events.empty()) return false;
  *event = m_events.front();
  m_events.pop_front();
  return true;
}

}  // namespace nibroute
