#include "note/picturedrag.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Pixels from a vertical / horizontal edge within which a drag resizes.
constexpr int kSideReach = 5;
constexpr int kTopBottomReach = 10;
// A picture pushed against a border shrinks down to this side and no
// further, so it never disappears off the canvas.
constexpr int kPushedSide = 10;

}  // namespace

QRect AreaCover(const QRect& area) {
  return QRect(std::min(area.x(), area.x() + area.width()),
               std::min(area.y(), area.y() + area.height()), std::abs(area.width()),
               std::abs(area.height()));
}

int PictureAt(const StorePageInfo& page, QPoint point) {
  for (int k = int(page.pictures.size()) - 1; k >= 0; --k) {
    const std::vector<QRect>& areas = page.pictures[size_t(k)].areas;
    if (areas.empty()) continue;
    // Left and top inclusive, the edges at left + width / top + height exclusive.
    if (AreaCover(areas.back()).contains(point)) return k;
  }
  return -1;
}

QRect DragArea(const QRect& r, QPoint from, QPoint to, const QRect& canvas) {
  int left = r.x(), top = r.y();
  int right = r.x() + r.width(), bottom = r.y() + r.height();
  const int dx = to.x() - from.x(), dy = to.y() - from.y();
  bool moved = false;
  if (std::abs(from.x() - left) <= kSideReach) {
    left += dx;
  } else if (std::abs(from.x() - right) <= kSideReach) {
    right += dx;
  } else if (std::abs(from.y() - top) <= kTopBottomReach) {
    top += dy;
  } else if (std::abs(from.y() - bottom) <= kTopBottomReach) {
    bottom += dy;
  } else {
    moved = true;
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  const int canvasRight = canvas.x() + canvas.width(), canvasBottom = canvas.y() + canvas.height();
  if (left < canvas.x()) left = canvas.x();
  if (right > canvasRight) right = canvasRight;
  if (top < canvas.y()) top = canvas.y();
  if (bottom > canvasBottom) bottom = canvasBottom;
  if (moved) {
    // Pushed on against a border, the far edge would cross the clamped one
    // and the picture would vanish: it keeps its smallest side there.
    const int minWidth = std::min(kPushedSide, r.width()), minHeight = std::min(kPushedSide, r.height());
    if (minWidth > 0 && right - left < minWidth) {
      if (left == canvas.x()) right = left + minWidth;
      else left = right - minWidth;
    }
    if (minHeight > 0 && bottom - top < minHeight) {
      if (top == canvas.y()) bottom = top + minHeight;
      else top = bottom - minHeight;
    }
  }
  return QRect(left, top, right - left, bottom - top);
}
