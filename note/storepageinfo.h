#pragma once
// One page of the live note: its history of canvas states for undo, redo and
// page switching, and the vector content (pictures and strokes) from which a
// repaint draws it.

#include <QPoint>

#include <vector>

#include "note/storeerasure.h"
#include "note/storeimage.h"
#include "note/storeimagenamearea.h"
#include "note/vecpointf.h"

// What a page shows, as a clear page takes it away and its undo brings it back.
struct StorePageContent {
  std::vector<StoreImageNameArea> pictures;
  std::vector<StoreImageNameArea> pictureCopies;
  std::vector<vecPointF> strokes;
  std::vector<StoreErasure> erasures;
  int lastPicture = -1;
};

struct StorePageInfo {
  std::vector<StoreImage> history;      // oldest first; never empty after the page is made
  std::vector<StoreImage> redoHistory;  // undone and not yet redone, newest last
  std::vector<StoreImageNameArea> pictures;
  std::vector<StoreImageNameArea> pictureCopies;  // parallel to `pictures`: areas taken by undo
  std::vector<vecPointF> strokes;                 // finished strokes
  std::vector<vecPointF> redoStrokes;             // undone strokes
  vecPointF current;                              // the stroke being written
  int selected = 0;      // the picture being dragged
  int lastPicture = -1;  // the newest picture, -1 when none
  int dragging = 0;      // 1 while a picture is dragged
  QPoint dragFrom;       // mouse position at the last drag step
  // Erases, oldest first: one for each erase entry in `history`; those of the
  // undone entries in `redoErasures`; `erasing` collects the erase in progress.
  std::vector<StoreErasure> erasures;
  std::vector<StoreErasure> redoErasures;
  StoreErasure erasing;
  // The content of the page before each clear entry in `history`, oldest
  // first; those of undone clears in `redoCleared`.
  std::vector<StorePageContent> cleared;
  std::vector<StorePageContent> redoCleared;
};
