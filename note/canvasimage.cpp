#include "note/canvasimage.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cstring>

namespace {

// Rows per band when changed pixels are boxed: small enough that a slanted
// or scattered change is covered by narrow boxes, large enough to keep few.
constexpr int kBandRows = 16;
// A change that would cost more than this share of a whole canvas is stored
// as a whole canvas instead, which also ends the state's chain.
constexpr double kWholeCanvasShare = 0.5;

void CopyRegion(QImage& target, const QImage& source, const QRegion& region) {
  for (const QRect& r : region)
    for (int y = r.top(); y <= r.bottom(); ++y)
      std::memcpy(reinterpret_cast<QRgb*>(target.scanLine(y)) + r.left(),
                  reinterpret_cast<const QRgb*>(source.constScanLine(y)) + r.left(),
                  size_t(r.width()) * sizeof(QRgb));
}

}  // namespace

CanvasImage::CanvasImage(QSize size) : m_image(size, QImage::Format_RGB32) {
  m_image.fill(Qt::white);
  m_headImage = m_image.copy();
  m_head = CanvasState::Uniform(size, qRgb(255, 255, 255));
}

void CanvasImage::BeginPainter(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, true);
  // Pixel centres lie on integer coordinates, so a one-pixel line through a
  // point covers that point's pixel.
  painter.translate(0.5, 0.5);
}

QRect CanvasImage::Touch(const QRect& r) {
  const QRect touched = r & rect();
  if (!touched.isEmpty()) m_dirty += touched;
  return touched;
}

QRect CanvasImage::DrawSegment(QPoint from, QPoint to, COLORREF color, int width) {
  const int margin = std::max(1, width) / 2 + 2;
  const QRect bounds =
      QRect(from, to).normalized().adjusted(-margin, -margin, margin, margin);
  return Paint(bounds, [&](QPainter& painter) {
    painter.setPen(QPen(ColorFromColorRef(color), double(width), Qt::SolidLine, Qt::FlatCap,
                        Qt::MiterJoin));
    painter.drawLine(QPointF(from), QPointF(to));
  });
}

QRect CanvasImage::Fill(const QRect& r, const QColor& colour) {
  const QRect area = r & rect();
  if (area.isEmpty()) return area;
  const QRgb value = colour.rgb() | 0xff000000u;
  for (int y = area.top(); y <= area.bottom(); ++y)
    std::fill_n(reinterpret_cast<QRgb*>(m_image.scanLine(y)) + area.left(), area.width(), value);
  return Touch(area);
}

bool CanvasImage::IsUniform(QRgb* colour) const {
  const QRgb first = reinterpret_cast<const QRgb*>(m_image.constScanLine(0))[0];
  for (int y = 0; y < m_image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
    if (!std::all_of(line, line + m_image.width(), [first](QRgb p) { return p == first; }))
      return false;
  }
  *colour = first;
  return true;
}

std::vector<QRect> CanvasImage::ChangedRects() {
  std::vector<QRect> changed;
  for (const QRect& r : m_dirty) {
    for (int top = r.top(); top <= r.bottom(); top += kBandRows) {
      const int bottom = std::min(r.bottom(), top + kBandRows - 1);
      int left = r.right() + 1, right = r.left() - 1, first = -1, last = -1;
      for (int y = top; y <= bottom; ++y) {
        const auto* now = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
        const auto* was = reinterpret_cast<const QRgb*>(m_headImage.constScanLine(y));
        int x0 = r.left();
        while (x0 <= r.right() && now[x0] == was[x0]) ++x0;
        if (x0 > r.right()) continue;
        int x1 = r.right();
        while (now[x1] == was[x1]) --x1;
        left = std::min(left, x0);
        right = std::max(right, x1);
        if (first < 0) first = y;
        last = y;
      }
      if (first >= 0) changed.push_back(QRect(QPoint(left, first), QPoint(right, last)));
    }
  }
  return changed;
}

CanvasState::Ref CanvasImage::Snapshot() {
  if (m_dirty.isEmpty()) return m_head;
  QRgb colour;
  if ((QRegion(rect()) - m_dirty).isEmpty() && IsUniform(&colour)) {
    m_head = CanvasState::Uniform(size(), colour);
  } else {
    const std::vector<QRect> changed = ChangedRects();
    size_t area = 0;
    for (const QRect& r : changed) area += size_t(r.width()) * size_t(r.height());
    const size_t whole = size_t(m_image.width()) * size_t(m_image.height());
    if (changed.empty()) {
      // Drawn on, but every pixel is as it was: the head still describes it.
    } else if (double(area) > kWholeCanvasShare * double(whole)) {
      m_head = IsUniform(&colour) ? CanvasState::Uniform(size(), colour)
                                  : CanvasState::Picture(m_image);
    } else {
      m_head = CanvasState::Delta(m_head, m_image, changed);
    }
  }
  // The head's mirror takes the canvas's pixels where they may have changed.
  CopyRegion(m_headImage, m_image, m_dirty);
  m_dirty = QRegion();
  return m_head;
}

QRegion CanvasImage::Show(const CanvasState::Ref& state) {
  QRegion region = m_dirty | CanvasState::Difference(m_head.get(), state.get());
  region &= rect();
  state->RenderInto(m_image, region);
  CopyRegion(m_headImage, m_image, region);
  m_head = state;
  m_dirty = QRegion();
  return region;
}
