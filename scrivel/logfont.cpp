#include "scrivel/logfont.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace scrivel {

QFont LogFont(const QString& face, int cellHeight, int averageWidth, int weight, qreal scale) {
  cellHeight = static_cast<int>(std::lround(cellHeight * scale));
  averageWidth = static_cast<int>(std::lround(averageWidth * scale));
  QFont font(face);
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(QFont::Weight(std::clamp(weight, 1, 1000)));
  // A pixel size counts the em; the cell counts ascent and descent.
  font.setPixelSize(std::max(1, cellHeight));
  const int cell = QFontMetrics(font).height();
  if (cell > 0) font.setPixelSize(std::max(1, cellHeight * cellHeight / cell));
  const int average = QFontMetrics(font).averageCharWidth();
  if (averageWidth > 0 && average > 0)
    font.setStretch(std::clamp(100 * averageWidth / average, 1, 4000));
  return font;
}

}  // namespace scrivel
