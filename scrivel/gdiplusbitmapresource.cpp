#include "scrivel/gdiplusbitmapresource.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include "resources/resourcepath.h"

bool CGdiPlusBitmapResource::Load(unsigned id, const QString& type) {
  Empty();
  QFile file(scrivel::ResourcePath(id, type));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) return false;
  QImage image;
  if (!image.loadFromData(bytes)) return false;
  m_pBitmap = image.convertToFormat(QImage::Format_ARGB32);
  if (m_pBitmap.isNull()) return false;
  m_nId = id;
  return true;
}

void CGdiPlusBitmapResource::Empty() {
  m_pBitmap = QImage();
  m_nId = 0;
}

QImage CGdiPlusBitmapResource::Rendered(QSize pixels) const {
  if (IsEmpty() || pixels.isEmpty()) return {};
  if (pixels == m_pBitmap.size()) return m_pBitmap;
  const QString svg = scrivel::SvgSourcePath(m_nId);
  if (!QFile::exists(svg)) return m_pBitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QSvgRenderer source(svg);
  if (!source.isValid()) return m_pBitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  // As the build renders the artwork: anti-aliased on transparency.
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    source.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  }
  return image.convertToFormat(QImage::Format_ARGB32);
}
