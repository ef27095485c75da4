#include "note/picturefiles.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include "note/picturedrag.h"

CPictureFiles::CPictureFiles(QSize largest) : m_largest(largest) {}

QImage CPictureFiles::Decode(const QString& path) const {
  QImageReader reader(path);
  // The content decides, not the name: a PNG called .jpg still shows, and a
  // file of any other format is refused whatever its name.
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format();
  if (format != "bmp" && format != "jpeg" && format != "png") return {};
  const QSize size = reader.size();
  if (size.isValid() && m_largest.isValid()) {
    const QSize bounded = size.boundedTo(m_largest);
    if (bounded != size) reader.setScaledSize(bounded);
  }
  QImage image = reader.read();
  if (image.isNull()) return {};
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage CPictureFiles::Load(const QString& path) {
  if (path.isEmpty()) return {};
  const QFileInfo info(path);
  if (!info.isFile()) return {};
  const qint64 bytes = info.size();
  const QDateTime modified = info.lastModified();
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if (it->path != path) continue;
    if (it->bytes == bytes && it->modified == modified) {
      Entry hit = std::move(*it);
      m_entries.erase(it);
      m_entries.push_front(std::move(hit));
      return m_entries.front().image;
    }
    // The file changed since it was read: read it again.
    m_entries.erase(it);
    break;
  }
  m_entries.push_front({path, bytes, modified, Decode(path)});
  if (m_entries.size() > kKept) m_entries.pop_back();
  return m_entries.front().image;
}

bool CPictureFiles::DrawBK(QPainter& painter, const QString& path, const QRect& rect) {
  const QImage image = Load(path);
  if (image.isNull()) return false;
  if (rect.width() == 0 || rect.height() == 0) return true;
  const bool flipX = rect.width() < 0, flipY = rect.height() < 0;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  const QRect cover = AreaCover(rect);
  painter.drawImage(QRectF(cover), flipX || flipY ? image.mirrored(flipX, flipY) : image);
  painter.restore();
  return true;
}
