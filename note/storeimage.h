#pragma once
// One history entry of a live note page: the canvas as it looked after an
// action, what kind of action it was and which picture it concerned.

#include "note/canvasstate.h"

struct StoreImage {
  // The canvas after the action. Shared and immutable: an entry keeps only the
  // pixels its action changed and refers to the state it was made from, so a
  // page's history costs a fraction of one full canvas per entry; any entry
  // still renders the exact full canvas (CanvasState::ToImage).
  CanvasState::Ref bitmap;
  int kind = 0;      // 1 for a pen stroke, 0 for every other action
  int picture = -1;  // index in the page's `pictures`, -1 for none
  int erase = 0;     // 1 for an erase (its squares are the page's erasure of the same rank)
  int clear = 0;     // 1 for a cleared page (what it held is the page's newest `cleared`)
};
