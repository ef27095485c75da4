#pragma once
// Colours as the live note stores them: a 32-bit value with red in the low
// byte, then green, then blue (the top byte is unused).

#include <QColor>

#include <cstdint>

using COLORREF = uint32_t;

constexpr COLORREF MakeColorRef(int red, int green, int blue) {
  return COLORREF(red & 0xff) | COLORREF(green & 0xff) << 8 | COLORREF(blue & 0xff) << 16;
}

// The opaque colour of `color`.
inline QColor ColorFromColorRef(COLORREF color) {
  return QColor(int(color & 0xff), int(color >> 8 & 0xff), int(color >> 16 & 0xff));
}

inline COLORREF ColorRefFromColor(const QColor& color) {
  return MakeColorRef(color.red(), color.green(), color.blue());
}
