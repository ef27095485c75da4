#pragma once
// The live note's canvas: the backing image that strokes are drawn on and that
// the window shows, and its snapshots for a page's history.
//
// The canvas knows which state it last matched (its head: the newest snapshot
// taken or shown) and the region drawn on since (dirty). A snapshot stores
// only the pixels that differ from the head inside that region; showing a
// state rewrites only the pixels in which it may differ from the canvas. Both
// are therefore exact and cost in proportion to what changed. Every drawing
// operation returns the rectangle it touched, for the window's repaint.
//
// Coordinates are the canvas's own pixels: (0, 0) is its top-left corner.

#include <QImage>
#include <QPainter>
#include <QRegion>

#include "note/canvasstate.h"
#include "note/colorref.h"

class CanvasImage {
 public:
  // A white canvas of `size`; its head is a white root state.
  explicit CanvasImage(QSize size);

  const QImage& image() const { return m_image; }
  QSize size() const { return m_image.size(); }
  QRect rect() const { return m_image.rect(); }

  // A line from `from` to `to`, anti-aliased, of `color` and `width` pixels
  // (flat ends, pixel centres on integer coordinates). Returns the touched rectangle.
  QRect DrawSegment(QPoint from, QPoint to, COLORREF color, int width);
  // Fills `r` (clipped to the canvas) with `colour`.
  QRect Fill(const QRect& r, const QColor& colour);
  // Fills the whole canvas white.
  QRect FillWhite() { return Fill(rect(), Qt::white); }
  // Lets `draw` paint on the canvas with a painter set up as DrawSegment's
  // (anti-aliasing, pixel centres on integer coordinates); `bounds` is what
  // it may touch. Returns `bounds` clipped to the canvas.
  template <typename Draw>
  QRect Paint(const QRect& bounds, Draw&& draw);

  // The canvas as a history state: the head itself when nothing changed
  // since, a root when the canvas is one colour or most of it changed, else
  // the changed pixels over the head. The state becomes the new head.
  CanvasState::Ref Snapshot();
  // Makes the canvas show `state` exactly; returns the region rewritten.
  QRegion Show(const CanvasState::Ref& state);

  const CanvasState::Ref& head() const { return m_head; }
  const QRegion& dirty() const { return m_dirty; }

 private:
  void BeginPainter(QPainter& painter);
  QRect Touch(const QRect& r);
  // The rectangles in which the canvas differs from the head inside m_dirty.
  std::vector<QRect> ChangedRects();
  bool IsUniform(QRgb* colour) const;

  QImage m_image;
  // The head state's whole canvas, kept in step with m_head, so that a
  // snapshot compares against it without replaying the head's chain.
  QImage m_headImage;
  CanvasState::Ref m_head;
  QRegion m_dirty;
};

template <typename Draw>
QRect CanvasImage::Paint(const QRect& bounds, Draw&& draw) {
  QPainter painter(&m_image);
  BeginPainter(painter);
  draw(painter);
  painter.end();
  return Touch(bounds);
}
