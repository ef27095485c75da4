#pragma once
// Turns the input events of a pen tablet (absolute X/Y, BTN_TOUCH or
// BTN_STYLUS) into pen events: down when the tip touches, move while it
// touches and the position changed, up when it lifts. Positions are scaled
// from the device's axis ranges onto the pen's (x -5750..5750, y 0..16000).
// Events complete at each SYN_REPORT; hovering reports nothing. The kernel
// sends only changes, so the tracker starts from the device's state at
// opening: where the pen hovers and whether its tip is already down.

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

  // The device's position and buttons when it was opened.
  struct State {
    int32_t x;
    int32_t y;
    bool touch = false;
    bool stylus = false;
  };

  EvdevPenTracker(Range x, Range y, State opening)
      : m_x(x), m_y(y), m_rawX(opening.x), m_rawY(opening.y), m_touch(opening.touch),
        m_stylus(opening.stylus) {}

  // What the state at opening implies: a pen-down where the pen is when its
  // tip is already down, so that stroke goes on. Call once, before Feed.
  void Begin(std::vector<ZMTEvent>& out);
  // Feeds one input event (type, code, value as in struct input_event).
  void Feed(uint16_t type, uint16_t code, int32_t value, std::vector<ZMTEvent>& out);

  // `value` in `from` mapped linearly onto toMin..toMax, clamped.
  static int16_t Scale(int32_t value, Range from, int32_t toMin, int32_t toMax);

 private:
  ZMTEvent MakeEvent(uint16_t type) const;

  Range m_x, m_y;
  int32_t m_rawX, m_rawY;
  bool m_touch, m_stylus;
  bool m_down = false;   // the last reported state
  bool m_moved = false;  // position changed since the last report
};

}  // namespace nibroute
