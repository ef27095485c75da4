#include "note/pagepaint.h"

#include <QPainter>
#include <QPen>

#include "pages/cardinalspline.h"

void DrawStroke(QPainter& painter, const vecPointF& stroke) {
  if (stroke.points.size() < 2) return;
  painter.setPen(QPen(ColorFromColorRef(stroke.color), double(stroke.width), Qt::SolidLine,
                      Qt::FlatCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(CardinalSplinePath(stroke.points));
}

void DrawPageContent(QPainter& painter, const StorePageInfo& page, const PictureDrawer& drawPicture) {
  if (drawPicture)
    for (const StoreImageNameArea& picture : page.pictures)
      if (!picture.areas.empty()) drawPicture(painter, picture, picture.areas.back());
  for (const vecPointF& stroke : page.strokes) DrawStroke(painter, stroke);
}
