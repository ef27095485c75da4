#pragma once
// Fonts given the way dialog layouts give them: a face, a cell height (ascent
// plus descent) and an average character width in pixels, and a weight from
// 100 (thin) to 900 (heavy).

#include <QFont>
#include <QString>

namespace scrivel {

// The face (or what the system offers for it, a sans-serif) scaled so that
// its cell is `cellHeight` pixels high and its characters `averageWidth`
// pixels wide on average; both sizes times `scale` for a window whose layout
// was scaled to fit its screen.
QFont LogFont(const QString& face, int cellHeight, int averageWidth, int weight, qreal scale = 1.0);

}  // namespace scrivel
