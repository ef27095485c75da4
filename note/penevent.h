#pragma once
// Pen input as the live note's model takes it: one value type for every
// source. Route events (and mouse events) are converted once, at the window's
// edge, into a PenEvent in canvas pixels.

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <optional>

#include "nibroute/nibroute.h"

struct PenEvent {
  enum class Type { Down, Move, Up };
  enum class Source { Pen, Mouse };

  Type type = Type::Move;
  QPoint point;  // canvas pixels
  Source source = Source::Pen;
  // Mouse buttons and keys held, as mouse messages report them (kLeftButton, ...).
  unsigned flags = 0;

  static constexpr unsigned kLeftButton = 0x0001;
  static constexpr unsigned kRightButton = 0x0002;
  static constexpr unsigned kShift = 0x0004;
  static constexpr unsigned kControl = 0x0008;
  static constexpr unsigned kMiddleButton = 0x0010;
};

// a x b / c rounded to the nearest integer (halves away from zero), computed
// in 64 bits; -1 when c is 0.
int MulDiv(int a, int b, int c);

// The canvas has its left/top edge at canvas.left()/top() and its right/bottom
// edge at left + width / top + height (the edges themselves belong to it).

// A pen position (x -5750..5750, y 0..16000) in canvas pixels.
QPoint PenToCanvas(int x, int y, const QRect& canvas);
// `point` moved onto the canvas, edges included.
QPoint ClampToCanvas(QPoint point, const QRect& canvas);
// The pen event of a route event of type 1, 2 or 3, at its clamped canvas
// point; nothing for other types.
std::optional<PenEvent> PenEventFromRoute(const ZMTEvent& event, const QRect& canvas);
