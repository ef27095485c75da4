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
//
// Every completed action (NoteAction) is applied in one place: Apply for the
// actions that a click makes whole (undo, redo, clear, page moves, a
// picture), and for the ones built from input (a stroke, a drag, an erase)
// the same commit that Apply's replay of them ends in. Each is then handed to
// the action listener (the journal). Applying a note's actions in order to a
// new model gives the same pages again.
//
// Clearing a page is undoable: the page's content goes into its `cleared`
// list with a history entry. Deleting a page is undone by the next undo
// unless a new action (stroke, picture, drag, erase, clear) came first, and
// redo deletes it again while it is the current page.

#include <QElapsedTimer>
#include <QRegion>

#include <functional>

#include "note/canvasimage.h"
#include "note/noteaction.h"
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

  using ActionListener = std::function<void(const NoteAction&)>;
  // Receives every completed action, after it is applied.
  void SetActionListener(ActionListener listener) { m_listener = std::move(listener); }
  // Applies `action` as if the window's input had made it; returns the
  // pixels rewritten.
  QRegion Apply(const NoteAction& action);
  // Milliseconds since the model was made.
  qint64 Elapsed() const { return m_clock.elapsed(); }

  // Appends an empty page whose first history entry is the canvas now.
  void AddPage();
  // Fills the canvas white and ends a picture drag on the current page.
  QRect ClearCanvas();
  // Makes the canvas show `state`; returns the pixels rewritten.
  QRegion ShowSnapshot(const CanvasState::Ref& state);
  // Empties the current page (strokes, pictures, erases) with a history
  // entry that keeps what it held for undo.
  QRect OnClearPage();
  // Undo and redo on the current page; the region rewritten.
  QRegion OnRevokeStroke();
  QRegion OnRestoreStroke();

  // Page moves; false when nothing happens (first page, only page). `changed`
  // receives the pixels rewritten.
  bool PrevPage(QRegion& changed);
  // On the last page: a new empty page after it; otherwise the next page.
  bool NextPage(QRegion& changed);
  // Removes the current page unless it is the only one; the next undo
  // brings it back, and redo removes it again (see above).
  bool DeletePage(QRegion& changed);
  // Pages deleted that undo can still bring back, newest last.
  size_t DeletedPages() const { return m_deleted.size(); }

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
  struct DeletedPage {
    int index;
    StorePageInfo page;
  };
  QRegion Revoke();
  bool DeleteCurrentPage(QRegion& changed);
  QRegion Restore();
  QRect ClearPage();
  bool RestoreDeletedPage(QRegion& changed);
  QRect PlacePicture(const QString& path);
  QRegion ReplayStroke(const vecPointF& stroke);
  QRegion ReplayDrag(const NoteAction& action);
  QRegion ReplayErase(const StoreErasure& erasure);
  void CommitStroke(StorePageInfo& page);
  void CommitDrag(StorePageInfo& page);
  void CommitErase(StorePageInfo& page);
  // Ends an applied action: bookkeeping, then the listener.
  void Done(const NoteAction& action);
  QRegion ShowNewest();
  void KeepHistoryBounded(StorePageInfo& page);
  // Appends an entry with the canvas now; a new action empties the redo lists.
  void AppendEntry(StorePageInfo& page, int picture, int erase);
  PictureDrawer Drawer();

  CanvasImage m_canvas;
  CPictureFiles m_files;
  QPoint m_ptLast;
  QElapsedTimer m_clock;
  ActionListener m_listener;
  std::vector<DeletedPage> m_deleted;
  // Pages that undo brought back, newest last: redo deletes the newest
  // again while it is the current page.
  std::vector<int> m_undeleted;
  bool m_redoDeleted = false;  // the last redo deleted a page again
};
