#pragma once
// A picture loaded from the program's compiled-in resources by id and type
// ("PNG" resources live at ":/png/<id>.png").

#include <QImage>
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

 private:
  QImage m_pBitmap;
};
