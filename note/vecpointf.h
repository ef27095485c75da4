#pragma once
// One stroke of a live note page: its points in canvas pixels, its colour and
// its width, and when it was written.

#include <QPointF>
#include <QtGlobal>

#include <cstdint>
#include <vector>

#include "note/colorref.h"

struct vecPointF {
  std::vector<QPointF> points;
  COLORREF color = 0;  // red in the low byte, then green, then blue
  int width = 1;       // pixels
  qint64 ms = -1;      // when it was finished, in milliseconds since the note began
};
