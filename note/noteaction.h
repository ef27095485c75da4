#pragma once
// One completed action on the live note, as the page model applies it: the
// unit of its journal (written as it happens) and of its replay (recovery
// after a crash applies the same actions again, in order, to a new model).
//
// An action concerns the current page; page moves are actions of their own
// so that a replay meets every action on the page it was made on.

#include <QRect>
#include <QString>

#include <cstdint>
#include <vector>

#include "note/storeerasure.h"
#include "note/vecpointf.h"

struct NoteAction {
  enum class Kind : uint8_t {
    Stroke = 1,  // `stroke` finished (pen up)
    Picture,     // the picture file `path` added over the whole canvas
    Drag,        // picture `picture` dragged through `areas` (the areas added)
    Erase,       // `erasure` whitened
    Undo,
    Redo,
    ClearPage,
    PrevPage,
    NextPage,    // the next page, or a new one after the last
    DeletePage,
  };

  Kind kind = Kind::Stroke;
  vecPointF stroke;
  QString path;
  int picture = -1;
  std::vector<QRect> areas;
  StoreErasure erasure;
};
