#pragma once
// PointTransform: the rotation and shift that turn pen samples into page
// coordinates. A new transform is the identity.

#include <cstdint>

namespace nibdl {

class PointTransform {
 public:
  // Angle in tenths of a degree; computes the cosine and sine.
  void SetAngle(int16_t tenths);
  void SetOffset(int32_t x, int32_t y);
  // Transform mode: 0 (shift y by 1150), 1 (+45.0 degrees), 2 (-45.0 degrees),
  // 3 (leave as is). Any other mode, and every mode on device types 0x14 and
  // 0x0B, means 0.
  void SetMode(int mode, uint32_t deviceType);

  // x' = x cos + y sin + offset x, y' = -x sin + y cos + offset y, in double
  // precision, truncated toward zero and cut to 16 bits.
  void Apply(int32_t x, int32_t y, int16_t* outX, int16_t* outY) const;

  int16_t angle() const { return m_angle; }
  int32_t offsetX() const { return m_offsetX; }
  int32_t offsetY() const { return m_offsetY; }

 private:
  int16_t m_angle = 0;
  double m_cosine = 1.0;
  double m_sine = 0.0;
  int32_t m_offsetX = 0;
  int32_t m_offsetY = 0;
};

}  // namespace nibdl
