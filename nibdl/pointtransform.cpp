#include "nibdl/pointtransform.h"

#include <cmath>
#include <numbers>

namespace nibdl {

namespace {

// Device types whose pages are never rotated.
constexpr uint32_t kFixedDeviceA = 0x14;
constexpr uint32_t kFixedDeviceB = 0x0B;

int16_t Low16(double value) {
  const auto whole = static_cast<int64_t>(value);  // truncates toward zero
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(whole) & 0xFFFF));
}

}  // namespace

void PointTransform::SetAngle(int16_t tenths) {
  m_angle = tenths;
  const double radians = tenths / 10.0 / 180.0 * std::numbers::pi;
  m_cosine = std::cos(radians);
  m_sine = std::sin(radians);
}

void PointTransform::SetOffset(int32_t x, int32_t y) {
  m_offsetX = x;
  m_offsetY = y;
}

void PointTransform::SetMode(int mode, uint32_t deviceType) {
  if (mode < 0 || mode > 3) mode = 0;
  if (deviceType == kFixedDeviceA || deviceType == kFixedDeviceB) mode = 0;
  switch (mode) {
    case 0:
      SetAngle(0);
      SetOffset(0, 1150);
      break;
    case 1:
      SetAngle(450);
      SetOffset(-3550, 1550);
      break;
    case 2:
      SetAngle(-450);
      SetOffset(3550, 1550);
      break;
    default:
      break;  // 3: unchanged
  }
}

void PointTransform::Apply(int32_t x, int32_t y, int16_t* outX, int16_t* outY) const {
  const double dx = x, dy = y;
  *outX = Low16(dx * m_cosine + dy * m_sine + m_offsetX);
  *outY = Low16(-dx * m_sine + dy * m_cosine + m_offsetY);
}

}  // namespace nibdl
