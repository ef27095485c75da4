#pragma once
// The picture files placed on live note pages (BMP, JPEG or PNG, told apart
// by their content): read once, kept decoded while the file is unchanged,
// and drawn stretched into a rectangle. A file that cannot be opened, read
// or decoded draws nothing.

#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <deque>

class QPainter;

class CPictureFiles {
 public:
  // Pictures are drawn into areas no larger than `largest` (the canvas), so a
  // bigger file is decoded scaled down to it, each side on its own.
  explicit CPictureFiles(QSize largest);

  // Draws the picture of `path` stretched into `rect` (whole pixels of the
  // painter's coordinates); false when the file cannot be read or decoded.
  // A rectangle turned inside out by a drag (negative width or height)
  // draws the picture mirrored into the area it covers.
  bool DrawBK(QPainter& painter, const QString& path, const QRect& rect);

  // The decoded picture of `path`; a null image when it cannot be read.
  QImage Load(const QString& path);

  static constexpr size_t kKept = 8;  // decoded pictures kept at most

 private:
  struct Entry {
    QString path;
    qint64 bytes = -1;
    QDateTime modified;
    QImage image;
  };
  QImage Decode(const QString& path) const;

  QSize m_largest;
  std::deque<Entry> m_entries;  // most recently used first
};
