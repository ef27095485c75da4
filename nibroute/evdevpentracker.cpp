#include "nibroute/evdevpentracker.h"

#include <linux/input.h>

#include <algorithm>

namespace nibroute {

int16_t EvdevPenTracker::Scale(int32_t value, Range from, int32_t toMin, int32_t toMax) {
  if (from.max <= from.min) return static_cast<int16_t>(toMin);
  const int64_t clamped = std::clamp<int64_t>(value, from.min, from.max);
  const int64_t scaled =
      toMin + (clamped - from.min) * (int64_t{toMax} - toMin) / (int64_t{from.max} - from.min);
  return static_cast<int16_t>(scaled);
}

ZMTEvent EvdevPenTracker::MakeEvent(uint16_t type) const {
  return ZMTEvent{type, Scale(m_rawX, m_x, ZMT_PEN_X_MIN, ZMT_PEN_X_MAX),
                  Scale(m_rawY, m_y, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX)};
}

void EvdevPenTracker::Begin(std::vector<ZMTEvent>& out) {
  m_down = m_touch || m_stylus;
  if (m_down) out.push_back(MakeEvent(ZMT_EVT_PENDOWN));
  m_moved = false;
}

void EvdevPenTracker::Feed(uint16_t type, uint16_t code, int32_t value,
                           std::vector<ZMTEvent>& out) {
  switch (type) {
    case EV_ABS:
      if (code == ABS_X && value != m_rawX) {
        m_rawX = value;
        m_moved = true;
      } else if (code == ABS_Y && value != m_rawY) {
        m_rawY = value;
        m_moved = true;
      }
      break;
    case EV_KEY:
      if (code == BTN_TOUCH) m_touch = value != 0;
      else if (code == BTN_STYLUS) m_stylus = value != 0;
      break;
    case EV_SYN:
      if (code == SYN_REPORT) {
        const bool down = m_touch || m_stylus;
        if (down && !m_down) out.push_back(MakeEvent(ZMT_EVT_PENDOWN));
        else if (down && m_moved) out.push_back(MakeEvent(ZMT_EVT_PENMOVE));
        else if (!down && m_down) out.push_back(MakeEvent(ZMT_EVT_PENUP));
        m_down = down;
        m_moved = false;
      }
      break;
    default:
      break;
  }
}

}  // namespace nibroute
