#include "screentobgr.h"

#include <algorithm>
#include <cstring>

namespace scrivel {

void screen_to_bgr(const QImage& picture, int /*x*/, int /*y*/, int width, int height,
                   uint8_t* destination) {
  if (width <= 0 || height <= 0) return;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  const int copyWidth = std::min(width, picture.width());
  const int copyHeight = std::min(height, picture.height());
  if (copyWidth < width || copyHeight < height)
    std::memset(destination, 0xFF, rowBytes * static_cast<size_t>(height));
  if (copyWidth <= 0 || copyHeight <= 0) return;

  // 32-bit pixels 0xAARRGGBB: each row is turned into B, G, R bytes and the
  // fourth byte is dropped.
  const QImage source = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                            ? picture
                            : picture.convertToFormat(QImage::Format_RGB32);
  for (int row = 0; row < copyHeight; ++row) {
    const auto* pixels = reinterpret_cast<const QRgb*>(source.constScanLine(row));
    uint8_t* out = destination + rowBytes * static_cast<size_t>(row);
    for (int column = 0; column < copyWidth; ++column) {
      const QRgb pixel = pixels[column];
      out[0] = static_cast<uint8_t>(qBlue(pixel));
      out[1] = static_cast<uint8_t>(qGreen(pixel));
      out[2] = static_cast<uint8_t>(qRed(pixel));
      out += 3;
    }
  }
}

}  // namespace scrivel
