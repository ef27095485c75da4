#pragma once
// Drawing a live note page from its content: every picture in its newest
// area, then every finished stroke as a smooth curve through its points,
// anti-aliased, in the stroke's colour and width; what the page's erases
// took away stays white.
//
// The painter is set up as the canvas sets it up (CanvasImage::Paint): pixel
// centres on integer coordinates. Pictures and erased squares cover whole
// pixels.

#include <QRectF>

#include <functional>

#include "note/storepageinfo.h"

class QPainter;

// Draws the picture file `picture.path` stretched into `area`, given in whole
// pixels (the painter here has pixel edges on integer coordinates); false
// when the file cannot be read or decoded (nothing is drawn then).
using PictureDrawer = std::function<bool(QPainter&, const StoreImageNameArea& picture, const QRect& area)>;

// Where `square`, erased while a picture had area `then`, lies now that it
// has area `now`: the same part of the picture, in whole pixels.
QRectF ErasedOnPicture(const QRect& square, const QRect& then, const QRect& now);
// One stroke as a cardinal curve through its points (default tension); fewer
// than two points draw nothing.
void DrawStroke(QPainter& painter, const vecPointF& stroke);
// Picture `index` of the page in its newest area (nothing when it has none),
// then white where the page's erases reached it, carried along with the
// picture wherever it has been moved or resized since.
void DrawPicture(QPainter& painter, const StorePageInfo& page, size_t index,
                 const PictureDrawer& drawPicture);
// The finished strokes in list order; each erased square takes away what
// the strokes that existed when it was erased drew there, and nothing else.
void DrawStrokes(QPainter& painter, const StorePageInfo& page);
// The pictures with at least one area (through `drawPicture`, when given) and
// then the strokes, in list order.
void DrawPageContent(QPainter& painter, const StorePageInfo& page, const PictureDrawer& drawPicture);
