#pragma once
// Fonts given the way dialog layouts give them: a face, a cell height (ascent
// plus descent) and an average character width in pixels, and a weight from
// 100 (thin) to 900 (heavy).

#include <QFont>
#include <QString>

namespace scrivel {

// The face (or what the system offers for it, a sans-serif) scaled so that
// its cell is `cellHeight` pixels high and its characters `averageWidth`
// pixels wide on average.
QFont LogFont(const QString& face, int cellHeight, int averageWidth, int weight);

}  // namespace scrivel
