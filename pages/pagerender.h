#pragma once
// The picture of a downloaded page: its strokes as smooth black curves on
// paper colour, 222 x 271 pixels, and its JPG file.

#include <QColor>
#include <QImage>
#include <QString>

#include <vector>

#include "pages/pagestrokes.h"

// The paper colour of page pictures (red 216, green 219, blue 164).
inline const QColor kPaperColour(216, 219, 164);

// Draws the strokes anti-aliased, black, 1 pixel wide; a stroke of fewer than
// two points draws nothing.
QImage RenderPage(const std::vector<StructPointF>& strokes);

// The file of page `page` in `folder`: folder + "/" + page + ".jpg".
QString PageFileName(const QString& folder, int page);

// Writes the picture as JPEG (the format follows from ".jpg") and reads it
// back; true only when the file holds the whole picture.
bool SavePageJpg(const QString& folder, int page, const QImage& picture);
