#pragma once
// The live note without its window: the canvas, the pages in g_pages, live
// strokes from pen events, undo and redo, and the page moves. The window
// translates pen and mouse input into calls here and repaints what each call
// reports as changed (canvas pixels).
//
// Every page keeps the canvas after each action as a history state
// (CanvasState): undo, redo and page switching show such a state exactly,
// rewriting only the pixels in which it differs from the canvas. A page's
// history is bounded by bytes: past kHistoryByteLimit its oldest entries are
// merged into the page's first one, which cannot be undone.
//
// Pictures and the eraser: a page's pictures are files drawn stretched into
// their newest area (CPictureFiles), under the strokes; the mouse drags and
// resizes them. The eraser fills squares white and keeps them with the page
// (StoreErasure), so a repaint never brings erased ink back. Adding a
// picture, a drag and an erase are history entries like a stroke, and like a
// stroke they empty the redo lists (a drag only `redoHistory`).

#include <QRegion>

#include "note/canvasimage.h"
#include "note/notepages.h"
#include "note/pagepaint.h"
#include "note/penevent.h"
#include "note/picturefiles.h"

class CNoteModel {
 public:
  static constexpr size_t kHistoryByteLimit = size_t{16} << 20;

  // A white canvas of `canvasSize`; empties g_pages and both counters and
  // starts idle (g_bPenUp 1). The pen mode is left as it is.
  explicit CNoteModel(QSize canvasSize);

  CanvasImage& canvas() { return m_canvas; }
  const CanvasImage& canvas() const { return m_canvas; }
  // The canvas rectangle in its own pixels: (0, 0) to (width, height).
  QRect CanvasRect() const { return m_canvas.rect(); }
  StorePageInfo& CurrentPage() { return g_pages.at(size_t(g_nCurPage)); }
  QPoint LastPoint() const { return m_ptLast; }

  // One pen event: down starts a stroke, a move extends and draws it (or
  // starts one while idle), up stores it with a history entry and empties
  // both redo lists. A move's segment takes `color` and `width`. Returns the
  // canvas rectangle drawn on.
  QRect OnPen(const PenEvent& event, COLORREF color, int width);

  // Appends an empty page whose first history entry is the canvas now.
  void AddPage();
  // Fills the canvas white and ends a picture drag on the current page.
  QRect ClearCanvas();
  // Makes the canvas show `state`; returns the pixels rewritten.
  QRegion ShowSnapshot(const CanvasState::Ref& state);
  // Empties the current page (strokes, pictures, both histories) and makes a
  // white canvas its only entry.
  QRect OnClearPage();
  // Undo and redo on the current page; the region rewritten.
  QRegion OnRevokeStroke();
  QRegion OnRestoreStroke();

  // Page moves; false when nothing happens (first page, only page). `changed`
  // receives the pixels rewritten.
  bool PrevPage(QRegion& changed);
  // On the last page: a new empty page after it; otherwise the next page.
  bool NextPage(QRegion& changed);
  // Removes the current page unless it is the only one.
  bool DeletePage(QRegion& changed);

  // Draws the current page from its content: a white canvas first when
  // `fillWhite`, then the pictures, the strokes and what was erased.
  QRect RepaintPage(bool fillWhite);

  // Adds the picture file `path` (empty when none was named) over the whole
  // canvas, draws the page's strokes on top again and makes it a history
  // entry naming the picture. A file that cannot be read draws nothing and
  // still keeps its record. Returns the canvas rectangle drawn on.
  QRect AddPicture(const QString& path);
  // Mouse button down outside eraser mode: the topmost picture under `point`
  // (canvas pixels) starts a drag. False when no picture is there.
  bool BeginDrag(QPoint point);
  // The mouse at `point` during a drag: the grabbed picture moves or
  // resizes by the drag rules (DragArea) and the page is drawn again.
  // Returns the canvas rectangle drawn on (empty when no drag runs).
  QRect DragTo(QPoint point);
  // Mouse button up during a drag: the drag ends with its history entry
  // (which empties `redoHistory`). False when no drag ran.
  bool EndDrag();
  // The mouse moved to `point` with the left button held in eraser mode: the
  // square from (x - 10, y) to (x, y + 10) goes white when both corners lie
  // on the canvas (left and top inclusive, right and bottom exclusive), and
  // becomes part of the erase in progress. Returns the square (or nothing).
  QRect EraseAt(QPoint point);
  // Mouse button up at `point` in eraser mode: the erase in progress becomes
  // a history entry when `point` lies on the canvas or something was erased.
  bool EndErase(QPoint point);

  // Bytes held by the history states of page `page` (shared states once).
  static size_t HistoryBytes(const StorePageInfo& page);

 private:
  QRegion ShowNewest();
  void KeepHistoryBounded(StorePageInfo& page);
  // Appends an entry with the canvas now; a new action empties the redo lists.
  void AppendEntry(StorePageInfo& page, int picture, int erase);
  PictureDrawer Drawer();

  CanvasImage m_canvas;
  CPictureFiles m_files;
  QPoint m_ptLast;
};
