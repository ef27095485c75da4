#pragma once
// Drawing a live note page from its vector content: every picture in its
// newest area, then every finished stroke as a smooth curve through its
// points, anti-aliased, in the stroke's colour and width.

#include <functional>

#include "note/storepageinfo.h"

class QPainter;

// Draws the picture file `picture.path` stretched into `area`; false when the
// file cannot be read or decoded (nothing is drawn then).
using PictureDrawer = std::function<bool(QPainter&, const StoreImageNameArea& picture, const QRect& area)>;

// One stroke as a cardinal curve through its points (default tension); fewer
// than two points draw nothing.
void DrawStroke(QPainter& painter, const vecPointF& stroke);
// The pictures with at least one area (through `drawPicture`, when given) and
// then the strokes, in list order.
void DrawPageContent(QPainter& painter, const StorePageInfo& page, const PictureDrawer& drawPicture);
