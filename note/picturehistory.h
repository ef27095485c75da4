#pragma once
// Undo and redo of a history entry that concerns picture `i` of a page: its
// addition or one drag. Areas taken away by undo go to the picture's entry in
// `pictureCopies` (newest drag step first), with a mark of where they start;
// redo brings them back in their own order.
//
// An index that names no picture (-1 for an erase or a cleared page, or one
// past the lists) changes nothing.

#include "note/storepageinfo.h"

// Undo: while the picture has a drag that is not undone (a mark beyond its
// first), the areas of the newest drag go back, and the picture returns to
// where it was before that drag (a click that moved nothing only loses its
// mark); otherwise the picture's addition is undone and it disappears.
// Nothing happens to a picture without areas.
void RevokePicture(StorePageInfo& page, int i);

// Redo: the areas that the newest undo of the picture took away come back.
// Nothing happens when the picture has none kept.
void RestorePicture(StorePageInfo& page, int i);
