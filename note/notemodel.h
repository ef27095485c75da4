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

#include <QRegion>

#include "note/canvasimage.h"
#include "note/notepages.h"
#include "note/pagepaint.h"
#include "note/penevent.h"

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

  // Draws the current page from its vector content: a white canvas first when
  // `fillWhite`, then the pictures (through `drawPicture`) and the strokes.
  QRect RepaintPage(bool fillWhite, const PictureDrawer& drawPicture = {});

  // Bytes held by the history states of page `page` (shared states once).
  static size_t HistoryBytes(const StorePageInfo& page);

 private:
  QRegion ShowNewest();
  void KeepHistoryBounded(StorePageInfo& page);

  CanvasImage m_canvas;
  QPoint m_ptLast;
};
