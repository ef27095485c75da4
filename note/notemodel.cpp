#include "note/notemodel.h"

#include <unordered_set>

CNoteModel::CNoteModel(QSize canvasSize) : m_canvas(canvasSize) {
  g_pages.clear();
  g_nCurPage = 0;
  g_nPageCount = 0;
  // A stroke left unfinished by an earlier live note does not continue here.
  g_bPenUp = 1;
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
        page.history.push_back({m_canvas.Snapshot(), 1, -1});
        page.redoHistory.clear();
        page.strokes.push_back(page.current);
        page.current.points.clear();
        page.redoStrokes.clear();
        KeepHistoryBounded(page);
      }
      g_bPenUp = 1;
      return {};
  }
  return {};
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
  const QRect cleared = m_canvas.FillWhite();
  StorePageInfo& page = CurrentPage();
  page.dragging = 0;
  page.strokes.clear();
  page.redoStrokes.clear();
  page.selected = 0;
  // The states these lists held are released with them.
  page.history.clear();
  page.redoHistory.clear();
  page.lastPicture = -1;
  page.pictures.clear();
  page.pictureCopies.clear();
  page.history.push_back({m_canvas.Snapshot(), 0, -1});
  return cleared;
}

QRegion CNoteModel::OnRevokeStroke() {
  StorePageInfo& page = CurrentPage();
  const size_t n = page.history.size();
  if (n <= 1) return {};
  const StoreImage e = page.history.back();
  if (e.kind == 1 && !page.strokes.empty()) {
    page.redoStrokes.push_back(std::move(page.strokes.back()));
    page.strokes.pop_back();
  }
  // A picture entry's areas are taken back by the pictures' own undo; an
  // entry naming no picture changes pixels only.
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

QRegion CNoteModel::OnRestoreStroke() {
  StorePageInfo& page = CurrentPage();
  if (page.redoHistory.empty()) return {};
  const StoreImage e = page.redoHistory.back();
  page.history.push_back(e);
  if (e.kind == 1 && !page.redoStrokes.empty()) {
    page.strokes.push_back(std::move(page.redoStrokes.back()));
    page.redoStrokes.pop_back();
  }
  const QRegion changed = ShowSnapshot(e.bitmap);
  page.redoHistory.pop_back();
  return changed;
}

bool CNoteModel::PrevPage(QRegion& changed) {
  changed = QRegion();
  if (g_nCurPage < 1) return false;
  --g_nCurPage;
  changed = ShowNewest();
  return true;
}

bool CNoteModel::NextPage(QRegion& changed) {
  changed = QRegion();
  if (g_nCurPage == g_nPageCount - 1) {
    changed = ClearCanvas();
    AddPage();
    ++g_nCurPage;
    ++g_nPageCount;
  } else {
    ++g_nCurPage;
    changed = ShowNewest();
  }
  return true;
}

bool CNoteModel::DeletePage(QRegion& changed) {
  changed = QRegion();
  if (g_nPageCount == 1) return false;
  const bool wasLast = g_nCurPage == g_nPageCount - 1;
  // The page's states go with it unless another list still needs them.
  g_pages.erase(g_pages.begin() + g_nCurPage);
  --g_nPageCount;
  if (wasLast) --g_nCurPage;
  changed = ShowNewest();
  return true;
}

QRect CNoteModel::RepaintPage(bool fillWhite, const PictureDrawer& drawPicture) {
  QRect touched;
  if (fillWhite) touched = m_canvas.FillWhite();
  const StorePageInfo& page = CurrentPage();
  return touched | m_canvas.Paint(m_canvas.rect(), [&](QPainter& painter) {
    DrawPageContent(painter, page, drawPicture);
  });
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
  StoreImage& base = page.history[drop];
  base.bitmap->Flatten();
  base.kind = 0;
  base.picture = -1;
  page.history.erase(page.history.begin(), page.history.begin() + std::ptrdiff_t(drop));
}
