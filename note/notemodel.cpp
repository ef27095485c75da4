#include "note/notemodel.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "note/picturedrag.h"
#include "note/picturehistory.h"

namespace {

// The eraser's square reaches this far left of and below the mouse.
constexpr int kEraserSide = 10;

// A point on the canvas as a rectangle test of the page's rectangles has it:
// left and top inclusive, right and bottom exclusive.
bool OnCanvas(QPoint point, const QRect& canvas) { return canvas.contains(point); }

void EmptyRedoLists(StorePageInfo& page) {
  page.redoHistory.clear();
  page.redoStrokes.clear();
  page.redoErasures.clear();
  page.redoCleared.clear();
}

// Exchanges what the page shows with `content` (a clear and its undo).
void SwapContent(StorePageInfo& page, StorePageContent& content) {
  std::swap(page.pictures, content.pictures);
  std::swap(page.pictureCopies, content.pictureCopies);
  std::swap(page.strokes, content.strokes);
  std::swap(page.erasures, content.erasures);
  std::swap(page.lastPicture, content.lastPicture);
}

// Actions after which undo no longer brings a deleted page back.
bool EndsPageUndo(NoteAction::Kind kind) {
  using Kind = NoteAction::Kind;
  return kind != Kind::Undo && kind != Kind::DeletePage && kind != Kind::PrevPage &&
         kind != Kind::NextPage;
  // A redo ends it too, unless it deleted a page again (CNoteModel::Done).
}

template <typename T>
void MoveLast(std::vector<T>& from, std::vector<T>& to) {
  to.push_back(std::move(from.back()));
  from.pop_back();
}

}  // namespace

CNoteModel::CNoteModel(QSize canvasSize) : m_canvas(canvasSize), m_files(canvasSize) {
  g_pages.clear();
  g_nCurPage = 0;
  g_nPageCount = 0;
  // A stroke left unfinished by an earlier live note does not continue here.
  g_bPenUp = 1;
  m_clock.start();
}

QRegion CNoteModel::Apply(const NoteAction& action) {
  using Kind = NoteAction::Kind;
  QRegion changed;
  switch (action.kind) {
    case Kind::Stroke: return ReplayStroke(action.stroke);
    case Kind::Drag: return ReplayDrag(action);
    case Kind::Erase: return ReplayErase(action.erasure);
    case Kind::Picture: changed = PlacePicture(action.path); break;
    case Kind::Undo: changed = Revoke(); break;
    case Kind::Redo: changed = Restore(); break;
    case Kind::ClearPage: changed = ClearPage(); break;
    case Kind::PrevPage:
      if (g_nCurPage < 1) return {};
      --g_nCurPage;
      changed = ShowNewest();
      break;
    case Kind::NextPage:
      if (g_nCurPage == g_nPageCount - 1) {
        changed = ClearCanvas();
        AddPage();
        ++g_nCurPage;
        ++g_nPageCount;
      } else {
        ++g_nCurPage;
        changed = ShowNewest();
      }
      break;
    case Kind::DeletePage:
      if (!DeleteCurrentPage(changed)) return {};
      break;
  }
  Done(action);
  return changed;
}

bool CNoteModel::DeleteCurrentPage(QRegion& changed) {
  if (g_nPageCount <= 1) return false;
  const bool wasLast = g_nCurPage == g_nPageCount - 1;
  m_deleted.push_back({g_nCurPage, std::move(g_pages[size_t(g_nCurPage)])});
  g_pages.erase(g_pages.begin() + g_nCurPage);
  --g_nPageCount;
  if (wasLast) --g_nCurPage;
  // Deleted pages kept for undo are bounded like a page's history.
  size_t bytes = 0;
  for (const DeletedPage& d : m_deleted) bytes += HistoryBytes(d.page);
  while (m_deleted.size() > 1 && bytes > kHistoryByteLimit) {
    bytes -= HistoryBytes(m_deleted.front().page);
    m_deleted.erase(m_deleted.begin());
  }
  changed = ShowNewest();
  return true;
}

void CNoteModel::Done(const NoteAction& action) {
  const bool redidDelete = std::exchange(m_redoDeleted, false);
  if (EndsPageUndo(action.kind) && !redidDelete) {
    m_deleted.clear();
    m_undeleted.clear();
  }
  if (action.kind == NoteAction::Kind::DeletePage) m_undeleted.clear();
  if (m_listener) m_listener(action);
}

QRect CNoteModel::OnPen(const PenEvent& event, COLORREF color, int width) {
  StorePageInfo& page = CurrentPage();
  const QPointF p(event.point);
  switch (event.type) {
    case PenEvent::Type::Move:
      if (!g_bPenUp) {
        page.current.points.push_back(p);
        page.current.color = color;
        page.current.width = width;
        const QRect drawn = m_canvas.DrawSegment(event.point, m_ptLast, color, width);
        m_ptLast = event.point;
        return drawn;
      }
      [[fallthrough]];  // a move while idle starts a stroke there
    case PenEvent::Type::Down:
      g_bPenUp = 0;
      page.current.points.push_back(p);
      m_ptLast = event.point;
      return {};
    case PenEvent::Type::Up:
      if (!g_bPenUp) {
        page.current.ms = Elapsed();
        CommitStroke(page);
        NoteAction done;
        done.stroke = page.strokes.back();
        Done(done);
      }
      g_bPenUp = 1;
      return {};
  }
  return {};
}

void CNoteModel::CommitStroke(StorePageInfo& page) {
  page.history.push_back({m_canvas.Snapshot(), 1, -1});
  page.strokes.push_back(page.current);
  page.current.points.clear();
  EmptyRedoLists(page);
  KeepHistoryBounded(page);
}

QRegion CNoteModel::ReplayStroke(const vecPointF& stroke) {
  if (stroke.points.empty()) return {};
  StorePageInfo& page = CurrentPage();
  // The segments as the pen's moves drew them.
  QRegion drawn;
  page.current = stroke;
  page.current.points.resize(1);
  m_ptLast = stroke.points[0].toPoint();
  for (size_t i = 1; i < stroke.points.size(); ++i) {
    const QPoint p = stroke.points[i].toPoint();
    page.current.points.push_back(stroke.points[i]);
    drawn |= m_canvas.DrawSegment(p, m_ptLast, stroke.color, stroke.width);
    m_ptLast = p;
  }
  CommitStroke(page);
  g_bPenUp = 1;
  NoteAction done;
  done.stroke = stroke;
  Done(done);
  return drawn;
}

void CNoteModel::AddPage() {
  StorePageInfo page;
  page.history.push_back({m_canvas.Snapshot(), 0, -1});
  g_pages.push_back(std::move(page));
}

QRect CNoteModel::ClearCanvas() {
  if (!g_pages.empty()) CurrentPage().dragging = 0;
  return m_canvas.FillWhite();
}

QRegion CNoteModel::ShowSnapshot(const CanvasState::Ref& state) { return m_canvas.Show(state); }

QRegion CNoteModel::ShowNewest() { return ShowSnapshot(CurrentPage().history.back().bitmap); }

QRect CNoteModel::OnClearPage() {
  NoteAction clear;
  clear.kind = NoteAction::Kind::ClearPage;
  return Apply(clear).boundingRect();
}

QRect CNoteModel::ClearPage() {
  const QRect cleared = m_canvas.FillWhite();
  StorePageInfo& page = CurrentPage();
  page.dragging = 0;
  page.selected = 0;
  page.erasing = {};
  StorePageContent content;
  SwapContent(page, content);
  page.cleared.push_back(std::move(content));
  StoreImage entry;
  entry.bitmap = m_canvas.Snapshot();
  entry.clear = 1;
  page.history.push_back(std::move(entry));
  EmptyRedoLists(page);
  KeepHistoryBounded(page);
  return cleared;
}

QRegion CNoteModel::OnRevokeStroke() {
  NoteAction undo;
  undo.kind = NoteAction::Kind::Undo;
  return Apply(undo);
}

QRegion CNoteModel::OnRestoreStroke() {
  NoteAction redo;
  redo.kind = NoteAction::Kind::Redo;
  return Apply(redo);
}

bool CNoteModel::RestoreDeletedPage(QRegion& changed) {
  if (m_deleted.empty()) return false;
  DeletedPage deleted = std::move(m_deleted.back());
  m_deleted.pop_back();
  const int index = std::clamp(deleted.index, 0, int(g_pages.size()));
  g_pages.insert(g_pages.begin() + index, std::move(deleted.page));
  ++g_nPageCount;
  g_nCurPage = index;
  m_undeleted.push_back(index);
  changed = ShowNewest();
  return true;
}

QRegion CNoteModel::Revoke() {
  QRegion restored;
  if (RestoreDeletedPage(restored)) return restored;
  StorePageInfo& page = CurrentPage();
  const size_t n = page.history.size();
  if (n <= 1) return {};
  const StoreImage e = page.history.back();
  if (e.clear) {
    if (!page.cleared.empty()) {
      SwapContent(page, page.cleared.back());
      MoveLast(page.cleared, page.redoCleared);
    }
  } else if (e.kind == 1 && !page.strokes.empty()) {
    MoveLast(page.strokes, page.redoStrokes);
  } else if (e.erase) {
    if (!page.erasures.empty()) MoveLast(page.erasures, page.redoErasures);
  } else {
    // The entry's own picture, also when it is the page's only entry after
    // the first; an entry that names none (-1) touches no picture.
    RevokePicture(page, e.picture);
  }
  page.redoHistory.push_back(e);
  page.history.pop_back();
  if (n == 2) {
    // Back to the page's first entry: a white canvas, as it was made (or,
    // once older entries were merged into it, what it shows).
    QRegion changed(ClearCanvas());
    return changed | ShowNewest();
  }
  return ShowNewest();
}

QRegion CNoteModel::Restore() {
  if (!m_undeleted.empty() && m_undeleted.back() == g_nCurPage) {
    m_undeleted.pop_back();
    QRegion changed;
    if (DeleteCurrentPage(changed)) {
      m_redoDeleted = true;
      return changed;
    }
  }
  StorePageInfo& page = CurrentPage();
  if (page.redoHistory.empty()) return {};
  const StoreImage e = page.redoHistory.back();
  page.history.push_back(e);
  if (e.clear) {
    if (!page.redoCleared.empty()) {
      SwapContent(page, page.redoCleared.back());
      MoveLast(page.redoCleared, page.cleared);
    }
  } else if (e.kind == 1 && !page.redoStrokes.empty()) {
    MoveLast(page.redoStrokes, page.strokes);
  } else if (e.erase) {
    if (!page.redoErasures.empty()) MoveLast(page.redoErasures, page.erasures);
  } else {
    RestorePicture(page, e.picture);
  }
  const QRegion changed = ShowSnapshot(e.bitmap);
  page.redoHistory.pop_back();
  return changed;
}

bool CNoteModel::PrevPage(QRegion& changed) {
  changed = QRegion();
  if (g_nCurPage < 1) return false;
  NoteAction move;
  move.kind = NoteAction::Kind::PrevPage;
  changed = Apply(move);
  return true;
}

bool CNoteModel::NextPage(QRegion& changed) {
  NoteAction move;
  move.kind = NoteAction::Kind::NextPage;
  changed = Apply(move);
  return true;
}

bool CNoteModel::DeletePage(QRegion& changed) {
  changed = QRegion();
  if (g_nPageCount == 1) return false;
  NoteAction remove;
  remove.kind = NoteAction::Kind::DeletePage;
  changed = Apply(remove);
  return true;
}

PictureDrawer CNoteModel::Drawer() {
  return [this](QPainter& painter, const StoreImageNameArea& picture, const QRect& area) {
    return m_files.DrawBK(painter, picture.path, area);
  };
}

QRect CNoteModel::RepaintPage(bool fillWhite) {
  QRect touched;
  if (fillWhite) touched = m_canvas.FillWhite();
  const StorePageInfo& page = CurrentPage();
  return touched | m_canvas.Paint(m_canvas.rect(), [&](QPainter& painter) {
    DrawPageContent(painter, page, Drawer());
  });
}

void CNoteModel::AppendEntry(StorePageInfo& page, int picture, int erase) {
  StoreImage entry;
  entry.bitmap = m_canvas.Snapshot();
  entry.kind = 0;
  entry.picture = picture;
  entry.erase = erase;
  page.history.push_back(std::move(entry));
  EmptyRedoLists(page);
  KeepHistoryBounded(page);
}

QRect CNoteModel::AddPicture(const QString& path) {
  NoteAction add;
  add.kind = NoteAction::Kind::Picture;
  add.path = path;
  return Apply(add).boundingRect();
}

QRect CNoteModel::PlacePicture(const QString& path) {
  StorePageInfo& page = CurrentPage();
  const StoreImageNameArea record{path, {CanvasRect()}, {1}};
  page.pictures.push_back(record);
  page.pictureCopies.push_back(record);
  ++page.lastPicture;
  // The new picture over the whole canvas, the strokes on top of it.
  const QRect drawn = m_canvas.Paint(CanvasRect(), [&](QPainter& painter) {
    DrawPicture(painter, page, page.pictures.size() - 1, Drawer());
    DrawStrokes(painter, page);
  });
  AppendEntry(page, page.lastPicture, 0);
  return drawn;
}

bool CNoteModel::BeginDrag(QPoint point) {
  StorePageInfo& page = CurrentPage();
  const int k = PictureAt(page, point);
  if (k < 0) return false;
  StoreImageNameArea& picture = page.pictures[size_t(k)];
  page.dragging = 1;
  page.dragFrom = point;
  page.selected = k;
  picture.marks.push_back(int(picture.areas.size()));
  return true;
}

QRect CNoteModel::DragTo(QPoint point) {
  StorePageInfo& page = CurrentPage();
  if (page.dragging == 0 || page.selected < 0 || size_t(page.selected) >= page.pictures.size())
    return {};
  std::vector<QRect>& areas = page.pictures[size_t(page.selected)].areas;
  if (areas.empty()) return {};
  areas.push_back(DragArea(areas.back(), page.dragFrom, point, CanvasRect()));
  page.dragFrom = point;
  return RepaintPage(true);
}

bool CNoteModel::EndDrag() {
  StorePageInfo& page = CurrentPage();
  if (page.dragging != 1) return false;
  NoteAction drag;
  drag.kind = NoteAction::Kind::Drag;
  drag.picture = page.selected;
  if (page.selected >= 0 && size_t(page.selected) < page.pictures.size()) {
    const StoreImageNameArea& picture = page.pictures[size_t(page.selected)];
    const size_t from = picture.marks.empty() ? 0 : size_t(picture.marks.back());
    if (from < picture.areas.size())
      drag.areas.assign(picture.areas.begin() + std::ptrdiff_t(from), picture.areas.end());
  }
  CommitDrag(page);
  Done(drag);
  return true;
}

QRegion CNoteModel::ReplayDrag(const NoteAction& action) {
  StorePageInfo& page = CurrentPage();
  if (action.picture < 0 || size_t(action.picture) >= page.pictures.size()) return {};
  StoreImageNameArea& picture = page.pictures[size_t(action.picture)];
  page.selected = action.picture;
  page.dragging = 1;
  picture.marks.push_back(int(picture.areas.size()));
  QRegion drawn;
  if (!action.areas.empty()) {
    picture.areas.insert(picture.areas.end(), action.areas.begin(), action.areas.end());
    drawn = RepaintPage(true);
  }
  CommitDrag(page);
  Done(action);
  return drawn;
}

void CNoteModel::CommitDrag(StorePageInfo& page) {
  page.dragging = 0;
  StoreImage entry;
  entry.bitmap = m_canvas.Snapshot();
  entry.picture = page.selected;
  page.history.push_back(std::move(entry));
  // A drag empties only the history's redo list; the stroke and erase redo
  // lists are never reached again without it and go with the next new entry.
  page.redoHistory.clear();
  KeepHistoryBounded(page);
}

QRect CNoteModel::EraseAt(QPoint point) {
  const QRect canvas = CanvasRect();
  if (!OnCanvas(point - QPoint(kEraserSide, 0), canvas) ||
      !OnCanvas(point + QPoint(0, kEraserSide), canvas))
    return {};
  StorePageInfo& page = CurrentPage();
  const QRect square(point.x() - kEraserSide, point.y(), kEraserSide, kEraserSide);
  page.erasing.squares.push_back({square, int(page.strokes.size())});
  // Each picture under the square keeps the area it has now, so the square
  // stays on the same part of it.
  for (size_t k = 0; k < page.pictures.size(); ++k) {
    const std::vector<QRect>& areas = page.pictures[k].areas;
    if (areas.empty() || !AreaCover(areas.back()).intersects(square)) continue;
    const bool known = std::any_of(page.erasing.pictures.begin(), page.erasing.pictures.end(),
                                   [k](const StoreErasure::Picture& p) { return p.index == int(k); });
    if (!known) page.erasing.pictures.push_back({int(k), areas.back()});
  }
  return m_canvas.Fill(square, Qt::white);
}

bool CNoteModel::EndErase(QPoint point) {
  StorePageInfo& page = CurrentPage();
  // An erase that whitened something is always kept, wherever the button
  // comes up: its pixels are on the canvas already.
  if (!OnCanvas(point, CanvasRect()) && page.erasing.squares.empty()) return false;
  NoteAction erase;
  erase.kind = NoteAction::Kind::Erase;
  erase.erasure = page.erasing;
  CommitErase(page);
  Done(erase);
  return true;
}

QRegion CNoteModel::ReplayErase(const StoreErasure& erasure) {
  StorePageInfo& page = CurrentPage();
  QRegion drawn;
  for (const StoreErasure::Square& square : erasure.squares) drawn |= m_canvas.Fill(square.rect, Qt::white);
  page.erasing = erasure;
  CommitErase(page);
  NoteAction done;
  done.kind = NoteAction::Kind::Erase;
  done.erasure = erasure;
  Done(done);
  return drawn;
}

void CNoteModel::CommitErase(StorePageInfo& page) {
  page.erasures.push_back(std::move(page.erasing));
  page.erasing = {};
  AppendEntry(page, -1, 1);
}

size_t CNoteModel::HistoryBytes(const StorePageInfo& page) {
  std::unordered_set<const CanvasState*> seen;
  size_t bytes = 0;
  for (const auto* list : {&page.history, &page.redoHistory})
    for (const StoreImage& entry : *list)
      for (const CanvasState* s = entry.bitmap.get(); s != nullptr && seen.insert(s).second;
           s = s->parent())
        bytes += s->bytes();
  return bytes;
}

void CNoteModel::KeepHistoryBounded(StorePageInfo& page) {
  const size_t bytes = HistoryBytes(page);
  if (bytes <= kHistoryByteLimit || page.history.size() < 3) return;
  // Merge the oldest entries into one base entry, down to three quarters of
  // the limit (or until only the newest two entries are left).
  const size_t excess = bytes - kHistoryByteLimit / 4 * 3;
  size_t freed = 0, drop = 0;
  const CanvasState* previous = nullptr;
  while (drop + 2 < page.history.size() && freed < excess) {
    const CanvasState* state = page.history[drop].bitmap.get();
    if (state != previous) freed += state->bytes();
    previous = state;
    ++drop;
  }
  // The content kept by the clears merged away can no longer come back.
  const auto clears = std::count_if(page.history.begin(), page.history.begin() + std::ptrdiff_t(drop) + 1,
                                    [](const StoreImage& e) { return e.clear != 0; });
  page.cleared.erase(page.cleared.begin(),
                     page.cleared.begin() + std::min<std::ptrdiff_t>(clears, std::ptrdiff_t(page.cleared.size())));
  StoreImage& base = page.history[drop];
  base.bitmap->Flatten();
  base.kind = 0;
  base.picture = -1;
  base.erase = 0;
  base.clear = 0;
  page.history.erase(page.history.begin(), page.history.begin() + std::ptrdiff_t(drop));
}
