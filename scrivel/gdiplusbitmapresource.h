#pragma once
// A picture loaded from the program's compiled-in resources by id and type
// ("PNG" resources live at ":/png/<id>.png"). Where the picture has an SVG
// source, other sizes of it are rendered from that source, so they are as
// sharp as the one the build rendered.

#include <QImage>
#include <QSize>
#include <QString>

class CGdiPlusBitmapResource {
 public:
  // Decodes the resource; false (and empty) when it is missing, empty or not
  // a decodable picture.
  bool Load(unsigned id, const QString& type);
  void Empty();
  bool IsEmpty() const { return m_pBitmap.isNull(); }
  // The decoded picture in ARGB32 (straight alpha); null when empty.
  const QImage& Bitmap() const { return m_pBitmap; }
  // The id it was loaded from; 0 when empty.
  unsigned Id() const { return m_nId; }
  // The picture at `pixels`: Bitmap() itself at its own size, otherwise
  // rendered from the SVG source, or scaled smoothly from Bitmap() when
  // there is none. Null when empty.
  QImage Rendered(QSize pixels) const;

 private:
  QImage m_pBitmap;
  unsigned m_nId = 0;
};
