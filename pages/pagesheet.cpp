#include "pages/pagesheet.h"

QTransform PenToSheet() {
  const double sx = kSheetSize.width() / 10200.0;
  const double sy = kSheetSize.height() / 14400.0;
  return QTransform(sx, 0, 0, sy, 5100.0 * sx, 0);
}
