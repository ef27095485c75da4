#include "scrivel/gdiplusbitmapresource.h"

#include <QFile>

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
  return !m_pBitmap.isNull();
}

void CGdiPlusBitmapResource::Empty() { m_pBitmap = QImage(); }
