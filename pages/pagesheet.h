#pragma once
// The sheet of paper a downloaded page was written on: the pen's writing area
// (x -5100..5100, y 0..14400 pen units) is an A4 sheet, 595 x 842 points.
// Documents of downloaded pages are drawn at this true size.

#include <QSizeF>
#include <QTransform>

// A4 in points (1/72 inch).
inline constexpr QSizeF kSheetSize(595.0, 842.0);

// The width of the ink on the sheet: about 0.3 mm, in points.
inline constexpr double kSheetInkWidth = 0.3 / 25.4 * 72.0;

// Pen coordinates to sheet points, the origin at the sheet's top left corner.
QTransform PenToSheet();
