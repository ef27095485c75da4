#include "pages/pagerender.h"

#include <QImageReader>
#include <QPainter>
#include <QPen>

#include "pages/cardinalspline.h"

QImage RenderPage(const std::vector<StructPointF>& strokes) {
  QImage picture(g_thumbRect.size(), QImage::Format_RGB32);
  picture.fill(kPaperColour);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  for (const auto& stroke : strokes) {
    if (stroke.points.size() < 2) continue;
    painter.drawPath(CardinalSplinePath(stroke.points));
  }
  return picture;
}

QString PageFileName(const QString& folder, int page) {
  return folder + "/" + QString::asprintf("%d", page) + ".jpg";
}

bool SavePageJpg(const QString& folder, int page, const QImage& picture) {
  const QString path = PageFileName(folder, page);
  if (!picture.save(path)) return false;
  QImageReader reader(path);
  return reader.canRead() && reader.size() == picture.size();
}
