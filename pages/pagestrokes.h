#pragma once
// A downloaded page's point records cut into strokes of picture pixels.

#include <QPointF>
#include <QRect>

#include <vector>

#include "nibdl/nibdl.h"

// One stroke of a downloaded page, in page-picture pixels or pen coordinates.
struct StructPointF {
  std::vector<QPointF> points;
};

// The picture rectangle of every page and thumbnail: 222 x 271 pixels.
inline constexpr QRect g_thumbRect(0, 0, 222, 271);

// Pen coordinates (x -5100..5100, y 0..14400) to picture pixels, in 32-bit
// integer arithmetic that truncates toward zero.
QPoint PenToThumb(int16_t x, int16_t y, const QRect& r);

// Cuts a page's records into strokes of pen coordinates: a pen-up ends the
// stroke (an empty one too); records of unknown kinds are skipped. Points
// after the last pen-up end the page's last stroke, so no stroke ever runs on
// into the next page.
std::vector<StructPointF> PenStrokes(const DUVOPAGE* records, int count);

// The same strokes mapped onto picture pixels with PenToThumb.
std::vector<StructPointF> PageStrokes(const DUVOPAGE* records, int count, const QRect& r = g_thumbRect);
std::vector<StructPointF> PageStrokes(const std::vector<StructPointF>& penStrokes,
                                      const QRect& r = g_thumbRect);
