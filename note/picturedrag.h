#pragma once
// The mouse rules for pictures on a live note page, free of any window: which
// picture a click grabs, and how one drag step moves or resizes it.
//
// A picture's area keeps the edges of the rectangles the page stores: left
// and top belong to it, right (left + width) and bottom (top + height) do not.

#include <QPoint>
#include <QRect>

#include "note/storepageinfo.h"

// The pixels an area covers: the span between its edges, whichever way round
// a drag has left them (empty when two edges meet).
QRect AreaCover(const QRect& area);

// The picture under `point`: the last of the page's pictures that has an area
// and whose newest area holds the point (left and top inclusive, right and
// bottom exclusive); -1 when there is none. A picture flipped by dragging one
// edge over the other is grabbed where it shows.
int PictureAt(const StorePageInfo& page, QPoint point);

// One drag step of a picture's area `r` while the mouse goes from `from` (the
// drag's previous position) to `to`. The first rule that holds applies:
// `from` within 5 pixels of the left edge moves that edge, then the right
// edge, then within 10 pixels of the top edge, then the bottom edge;
// otherwise the whole area moves. Then each edge is kept inside `canvas` on
// its own, so a picture pushed against a border shrinks - down to a side of
// 10 pixels (or its own, when smaller), where it stops instead of crossing
// over and vanishing.
QRect DragArea(const QRect& r, QPoint from, QPoint to, const QRect& canvas);
