#pragma once
// Turns the input events of a pen tablet (absolute X/Y, BTN_TOUCH or
// BTN_STYLUS) into pen events: down when the tip touches, move while it
// touches and the position changed, up when it lifts. Positions are scaled
// from the device's axis ranges onto the pen's (x -5750..5750, y 0..16000).
// Events complete at each SYN_REPORT; hovering reports nothing.

#include <cstdint>
#include <vector>

#include "nibroute/nibroute.h"

namespace nibroute {

class EvdevPenTracker {
 public:
  struct Range {
    int32_t min;
    int32_t max;
  };

  EvdevPenTracker(Range x, Range y) : m_x(x), m_y(y), m_rawX(x.min), m_rawY(y.min) {}

  // Feeds one input event (type, code, value as in struct input_event).
  void Feed(uint16_t type, uint16_t code, int32_t value, std::vector<ZMTEvent>& out);

  // `value` in `from` mapped linearly onto toMin..toMax, clamped.
  static int16_t Scale(int32_t value, Range from, int32_t toMin, int32_t toMax);

 private:
  ZMTEvent MakeEvent(uint16_t type) const;

  Range m_x, m_y;
  int32_t m_rawX, m_rawY;
  bool m_touch = false, m_stylus = false;
  bool m_down = false;   // the last reported state
  bool m_moved = false;  // position changed since the last report
};

}  // namespace nibroute
