#pragma once
// Window layouts are given in dialog units of a 9-point dialog font; at 96 DPI
// one horizontal unit is 7/4 pixels and one vertical unit 15/8 pixels.

#include <QRect>

namespace scrivel {

constexpr int DluToPixelsX(int dlu) { return dlu * 7 / 4; }
constexpr int DluToPixelsY(int dlu) { return dlu * 15 / 8; }

// A control's rectangle in client pixels from its position and size in dialog units.
constexpr QRect DluRect(int x, int y, int width, int height) {
  return QRect(DluToPixelsX(x), DluToPixelsY(y), DluToPixelsX(width), DluToPixelsY(height));
}

}  // namespace scrivel
