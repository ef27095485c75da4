#pragma once
// One erase of a live note page: the squares the mouse eraser filled white,
// kept with the page so that a repaint, a page switch or a picture drag
// leaves them erased, and so that undo and redo take them back and forth.

#include <QRect>

#include <vector>

struct StoreErasure {
  // One square filled white, in canvas pixels, with the number of the page's
  // strokes that existed then: it erases those, never a later one.
  struct Square {
    QRect rect;
    int strokes = 0;
  };
  // A picture the erase reached: its index in the page's `pictures` and the
  // area it had then. Its erased squares stay on the same part of the picture
  // when the picture is later moved or resized.
  struct Picture {
    int index = -1;
    QRect area;
  };

  std::vector<Square> squares;
  std::vector<Picture> pictures;
};
