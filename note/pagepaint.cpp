#include "note/pagepaint.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "note/picturedrag.h"
#include "pages/cardinalspline.h"

namespace {

// The painter's pixel centres lie on integer coordinates: whole pixels span
// from half a pixel before to half a pixel after.
QRectF PixelEdges(const QRectF& r) { return r.translated(-0.5, -0.5); }

// Every erase of the page, the one in progress last.
template <typename Visit>
void ForEachErasure(const StorePageInfo& page, Visit&& visit) {
  for (const StoreErasure& erasure : page.erasures) visit(erasure);
  visit(page.erasing);
}

}  // namespace

// Where `square`, erased while the picture had area `then`, lies now that it
// has area `now`: the same part of the picture (mirrored with it when an
// edge was dragged over the other since).
QRectF ErasedOnPicture(const QRect& square, const QRect& then, const QRect& now) {
  const double sx = double(now.width()) / then.width(), sy = double(now.height()) / then.height();
  const double x1 = now.x() + (square.x() - then.x()) * sx;
  const double x2 = now.x() + (square.x() + square.width() - then.x()) * sx;
  const double y1 = now.y() + (square.y() - then.y()) * sy;
  const double y2 = now.y() + (square.y() + square.height() - then.y()) * sy;
  // Whole pixels, so that an unmoved picture is erased exactly where it was.
  const double left = std::round(std::min(x1, x2)), right = std::round(std::max(x1, x2));
  const double top = std::round(std::min(y1, y2)), bottom = std::round(std::max(y1, y2));
  return QRectF(left, top, right - left, bottom - top);
}

void DrawStroke(QPainter& painter, const vecPointF& stroke) {
  if (stroke.points.size() < 2) return;
  painter.setPen(QPen(ColorFromColorRef(stroke.color), double(stroke.width), Qt::SolidLine,
                      Qt::FlatCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(CardinalSplinePath(stroke.points));
}

void DrawPicture(QPainter& painter, const StorePageInfo& page, size_t index,
                 const PictureDrawer& drawPicture) {
  if (index >= page.pictures.size()) return;
  const StoreImageNameArea& picture = page.pictures[index];
  if (picture.areas.empty()) return;
  const QRect& area = picture.areas.back();
  painter.save();
  painter.translate(-0.5, -0.5);
  if (drawPicture) drawPicture(painter, picture, area);
  const QRectF cover(AreaCover(area));
  ForEachErasure(page, [&](const StoreErasure& erasure) {
    for (const StoreErasure::Picture& reached : erasure.pictures) {
      if (reached.index != int(index) || reached.area.width() == 0 || reached.area.height() == 0)
        continue;
      for (const StoreErasure::Square& square : erasure.squares) {
        const QRectF hole = ErasedOnPicture(square.rect, reached.area, area) & cover;
        if (!hole.isEmpty()) painter.fillRect(hole, Qt::white);
      }
    }
  });
  painter.restore();
}

void DrawStrokes(QPainter& painter, const StorePageInfo& page) {
  const size_t count = page.strokes.size();
  // The squares that take something from the strokes, by the number of
  // strokes they reach: a square of rank k clears strokes 0 to k - 1.
  std::vector<std::vector<QRect>> clearAfter(count + 1);
  bool anyErased = false;
  ForEachErasure(page, [&](const StoreErasure& erasure) {
    for (const StoreErasure::Square& square : erasure.squares) {
      const size_t reach = size_t(std::clamp(square.strokes, 0, int(count)));
      if (reach == 0) continue;
      clearAfter[reach].push_back(square.rect);
      anyErased = true;
    }
  });
  if (!anyErased) {
    for (const vecPointF& stroke : page.strokes) DrawStroke(painter, stroke);
    return;
  }
  // The strokes go on a layer of their own, so that clearing an erased
  // square there leaves the pictures beneath as they are.
  QPaintDevice* device = painter.device();
  QImage layer(device->width(), device->height(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  {
    QPainter strokes(&layer);
    strokes.setRenderHints(painter.renderHints());
    strokes.setWorldTransform(painter.worldTransform());
    for (size_t k = 0; k < count; ++k) {
      DrawStroke(strokes, page.strokes[k]);
      if (clearAfter[k + 1].empty()) continue;
      strokes.save();
      strokes.setCompositionMode(QPainter::CompositionMode_Clear);
      for (const QRect& r : clearAfter[k + 1]) strokes.fillRect(PixelEdges(r), Qt::transparent);
      strokes.restore();
    }
  }
  painter.save();
  painter.resetTransform();
  painter.drawImage(0, 0, layer);
  painter.restore();
}

void DrawPageContent(QPainter& painter, const StorePageInfo& page, const PictureDrawer& drawPicture) {
  for (size_t k = 0; k < page.pictures.size(); ++k) DrawPicture(painter, page, k, drawPicture);
  DrawStrokes(painter, page);
}
