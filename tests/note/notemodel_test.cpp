// The live note's model: the stroke rules for pen events, undo and redo
// checked pixel for pixel against the full canvas at each step, the pages,
// the bound on a page's history and the release of states nobody needs.
#include <gtest/gtest.h>

#include <random>

#include "note/notemodel.h"

namespace {

const QSize kCanvas(200, 150);
const QRgb kWhite = qRgb(255, 255, 255);

PenEvent Pen(PenEvent::Type type, int x, int y) {
  PenEvent e;
  e.type = type;
  e.point = QPoint(x, y);
  return e;
}

class NoteModelTest : public testing::Test {
 protected:
  void SetUp() override {
    m_model.AddPage();
    ++g_nPageCount;
  }

  // A stroke through `points`: down, moves, up.
  void Stroke(const std::vector<QPoint>& points, COLORREF color = 0, int width = 1) {
    m_model.OnPen(Pen(PenEvent::Type::Down, points[0].x(), points[0].y()), color, width);
    for (size_t i = 1; i < points.size(); ++i)
      m_model.OnPen(Pen(PenEvent::Type::Move, points[i].x(), points[i].y()), color, width);
    m_model.OnPen(Pen(PenEvent::Type::Up, points.back().x(), points.back().y()), color, width);
  }

  const QImage& Canvas() const { return m_model.canvas().image(); }
  StorePageInfo& Page() { return m_model.CurrentPage(); }
  int InkPixels() const {
    int ink = 0;
    for (int y = 0; y < Canvas().height(); ++y)
      for (int x = 0; x < Canvas().width(); ++x) ink += Canvas().pixel(x, y) != kWhite;
    return ink;
  }

  CNoteModel m_model{kCanvas};
};

TEST_F(NoteModelTest, StartsWithOneWhitePageAndIdlePen) {
  ASSERT_EQ(g_pages.size(), 1u);
  EXPECT_EQ(g_nCurPage, 0);
  EXPECT_EQ(g_bPenUp, 1);
  ASSERT_EQ(Page().history.size(), 1u);
  EXPECT_EQ(Page().history[0].kind, 0);
  EXPECT_EQ(Page().history[0].picture, -1);
  const QImage first = Page().history[0].bitmap->ToImage();
  QImage white(kCanvas, QImage::Format_RGB32);
  white.fill(Qt::white);
  EXPECT_EQ(first, white);
  EXPECT_EQ(PagePicture(0), white);
  EXPECT_TRUE(PagePicture(1).isNull());
  EXPECT_EQ(Page().lastPicture, -1);
  EXPECT_EQ(Page().selected, 0);
  EXPECT_EQ(Page().dragging, 0);
}

TEST_F(NoteModelTest, MovesDrawSegmentsWithTheCurrentColourAndWidth) {
  const COLORREF red = MakeColorRef(255, 0, 0);
  m_model.OnPen(Pen(PenEvent::Type::Down, 20, 30), red, 1);
  EXPECT_EQ(g_bPenUp, 0);
  EXPECT_EQ(Canvas().pixel(20, 30), kWhite) << "a pen down draws nothing";
  const QRect drawn = m_model.OnPen(Pen(PenEvent::Type::Move, 60, 30), red, 1);
  EXPECT_TRUE(drawn.contains(QPoint(20, 30)) && drawn.contains(QPoint(60, 30)));
  EXPECT_EQ(Canvas().pixel(40, 30), qRgb(255, 0, 0)) << "a one-pixel line covers its row";
  EXPECT_EQ(Canvas().pixel(40, 28), kWhite);
  EXPECT_EQ(m_model.LastPoint(), QPoint(60, 30));
  EXPECT_EQ(Page().current.points.size(), 2u);
  EXPECT_EQ(Page().current.color, red);
  m_model.OnPen(Pen(PenEvent::Type::Up, 60, 30), red, 1);
  EXPECT_EQ(g_bPenUp, 1);
  ASSERT_EQ(Page().strokes.size(), 1u);
  EXPECT_EQ(Page().strokes[0].points, (std::vector<QPointF>{{20, 30}, {60, 30}}));
  EXPECT_TRUE(Page().current.points.empty());
  ASSERT_EQ(Page().history.size(), 2u);
  EXPECT_EQ(Page().history[1].kind, 1);
  EXPECT_EQ(Page().history[1].picture, -1);
  EXPECT_EQ(Page().history[1].bitmap->ToImage(), Canvas());
}

TEST_F(NoteModelTest, AMoveWhileIdleStartsANewStrokeThere) {
  Stroke({{10, 10}, {50, 10}});
  // No pen down: the move starts a stroke instead of drawing from (50, 10).
  m_model.OnPen(Pen(PenEvent::Type::Move, 100, 100), 0, 1);
  EXPECT_EQ(g_bPenUp, 0);
  EXPECT_EQ(Canvas().pixel(75, 55), kWhite);
  EXPECT_EQ(Page().current.points, (std::vector<QPointF>{{100, 100}}));
  m_model.OnPen(Pen(PenEvent::Type::Move, 100, 140), 0, 1);
  EXPECT_NE(Canvas().pixel(100, 120), kWhite);
}

TEST_F(NoteModelTest, PenUpWithoutPenDownStoresNothing) {
  Stroke({{10, 10}, {50, 10}});
  const size_t history = Page().history.size();
  m_model.OnPen(Pen(PenEvent::Type::Up, 70, 70), 0, 1);
  m_model.OnPen(Pen(PenEvent::Type::Up, 70, 70), 0, 1);
  EXPECT_EQ(Page().history.size(), history);
  EXPECT_EQ(Page().strokes.size(), 1u);
  EXPECT_EQ(g_bPenUp, 1);
}

TEST_F(NoteModelTest, ASinglePointStrokeIsStoredAndDrawsNothing) {
  Stroke({{80, 80}});
  EXPECT_EQ(Page().strokes.size(), 1u);
  EXPECT_EQ(Page().history.size(), 2u);
  EXPECT_EQ(InkPixels(), 0);
  // The entry repeats the canvas unchanged: it shares the state before it.
  EXPECT_EQ(Page().history[1].bitmap, Page().history[0].bitmap);
}

TEST_F(NoteModelTest, WidthAndColourApplyToTheStrokeBeingWritten) {
  Stroke({{10, 20}, {190, 20}}, MakeColorRef(0, 0, 255), 1);
  const QImage before = Canvas().copy();
  Stroke({{10, 60}, {190, 60}}, MakeColorRef(0, 128, 0), 3);
  EXPECT_EQ(Page().strokes[0].width, 1);
  EXPECT_EQ(Page().strokes[0].color, MakeColorRef(0, 0, 255));
  EXPECT_EQ(Page().strokes[1].width, 3);
  EXPECT_EQ(Page().strokes[1].color, MakeColorRef(0, 128, 0));
  // The first stroke's pixels are untouched; the second is three pixels thick.
  for (int y = 10; y < 30; ++y) EXPECT_EQ(Canvas().pixel(100, y), before.pixel(100, y));
  EXPECT_EQ(Canvas().pixel(100, 60), qRgb(0, 128, 0));
  EXPECT_NE(Canvas().pixel(100, 59), kWhite);
  EXPECT_NE(Canvas().pixel(100, 61), kWhite);
  EXPECT_EQ(Canvas().pixel(100, 21), kWhite);
}

// Undo and redo across several strokes give exactly the canvas as it was
// after each stroke (what a full snapshot would have kept).
TEST_F(NoteModelTest, UndoAndRedoRestoreExactlyTheFullCanvasOfEachStep) {
  std::vector<QImage> full{Canvas().copy()};
  std::mt19937 random(7);
  for (int s = 0; s < 12; ++s) {
    std::vector<QPoint> points;
    QPoint p(int(random() % 200), int(random() % 150));
    for (int i = 0; i < 15; ++i) {
      points.push_back(p);
      p += QPoint(int(random() % 21) - 10, int(random() % 21) - 10);
    }
    Stroke(points, MakeColorRef(int(random() % 256), int(random() % 256), 0), 1 + s % 3);
    full.push_back(Canvas().copy());
  }
  ASSERT_EQ(Page().history.size(), full.size());
  for (size_t k = 0; k < full.size(); ++k)
    EXPECT_EQ(Page().history[k].bitmap->ToImage(), full[k]) << "entry " << k;

  for (size_t k = full.size() - 1; k >= 1; --k) {
    m_model.OnRevokeStroke();
    ASSERT_EQ(Canvas(), full[k - 1]) << "undo to entry " << k - 1;
    EXPECT_EQ(Page().strokes.size(), k - 1);
    EXPECT_EQ(Page().redoStrokes.size(), full.size() - k);
  }
  EXPECT_EQ(InkPixels(), 0) << "undo back to the first entry leaves a white canvas";
  EXPECT_TRUE(m_model.OnRevokeStroke().isEmpty()) << "nothing left to undo";
  EXPECT_EQ(Page().history.size(), 1u);

  for (size_t k = 1; k < full.size(); ++k) {
    m_model.OnRestoreStroke();
    ASSERT_EQ(Canvas(), full[k]) << "redo to entry " << k;
  }
  EXPECT_TRUE(m_model.OnRestoreStroke().isEmpty());
  EXPECT_EQ(Page().strokes.size(), full.size() - 1);
  EXPECT_TRUE(Page().redoStrokes.empty());
}

TEST_F(NoteModelTest, UndoIsExactAfterTheCanvasWasRepaintedOrDrawnOnMidStroke) {
  Stroke({{10, 10}, {60, 40}, {120, 20}});
  const QImage afterFirst = Canvas().copy();
  Stroke({{20, 100}, {90, 140}, {180, 90}});
  const QImage afterSecond = Canvas().copy();
  // A repaint draws the strokes as curves: pixels differ from the snapshots.
  m_model.RepaintPage(true);
  // And a stroke is half written when undo comes.
  m_model.OnPen(Pen(PenEvent::Type::Down, 150, 10), 0, 2);
  m_model.OnPen(Pen(PenEvent::Type::Move, 190, 140), 0, 2);
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas(), afterFirst);
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), afterSecond);
}

TEST_F(NoteModelTest, RedoAfterAnEntryThatLeftTheRedoListShowsTheUndoneCanvas) {
  Stroke({{10, 10}, {190, 10}});
  Stroke({{10, 50}, {190, 50}});
  const QImage afterSecond = Canvas().copy();
  m_model.OnRevokeStroke();
  // An action that keeps the redo list (as the eraser's is): pixels only.
  m_model.canvas().Fill(QRect(0, 0, 100, 20), Qt::white);
  Page().history.push_back({m_model.canvas().Snapshot(), 0, -1});
  ASSERT_EQ(Page().redoHistory.size(), 1u);
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), afterSecond) << "the redone entry shows its own canvas";
}

TEST_F(NoteModelTest, ANewStrokeClearsBothRedoLists) {
  Stroke({{10, 10}, {190, 10}});
  Stroke({{10, 50}, {190, 50}});
  m_model.OnRevokeStroke();
  ASSERT_EQ(Page().redoHistory.size(), 1u);
  ASSERT_EQ(Page().redoStrokes.size(), 1u);
  Stroke({{10, 90}, {190, 90}});
  EXPECT_TRUE(Page().redoHistory.empty());
  EXPECT_TRUE(Page().redoStrokes.empty());
  const QImage now = Canvas().copy();
  EXPECT_TRUE(m_model.OnRestoreStroke().isEmpty());
  EXPECT_EQ(Canvas(), now);
  EXPECT_EQ(Canvas().pixel(100, 50), kWhite) << "the undone stroke stays gone";
}

TEST_F(NoteModelTest, PagesAreAddedSwitchedAndDeleted) {
  Stroke({{10, 10}, {190, 10}});
  const QImage pageOne = Canvas().copy();
  QRegion changed;
  // Previous on the first page: nothing.
  EXPECT_FALSE(m_model.PrevPage(changed));
  // Next on the last page: a new, white page.
  EXPECT_TRUE(m_model.NextPage(changed));
  EXPECT_EQ(g_nCurPage, 1);
  EXPECT_EQ(g_nPageCount, 2);
  EXPECT_EQ(InkPixels(), 0);
  Stroke({{10, 100}, {190, 100}});
  const QImage pageTwo = Canvas().copy();
  EXPECT_TRUE(m_model.PrevPage(changed));
  EXPECT_EQ(g_nCurPage, 0);
  EXPECT_EQ(Canvas(), pageOne);
  // Next from the first page shows the second without making a page.
  EXPECT_TRUE(m_model.NextPage(changed));
  EXPECT_EQ(g_nPageCount, 2);
  EXPECT_EQ(Canvas(), pageTwo);
  EXPECT_EQ(PagePicture(0), pageOne);
  EXPECT_EQ(PagePicture(1), pageTwo);

  // Deleting the last page shows the one before it.
  EXPECT_TRUE(m_model.DeletePage(changed));
  EXPECT_EQ(g_nPageCount, 1);
  EXPECT_EQ(g_nCurPage, 0);
  EXPECT_EQ(Canvas(), pageOne);
  // The only page is kept.
  EXPECT_FALSE(m_model.DeletePage(changed));
  EXPECT_EQ(g_pages.size(), 1u);
  EXPECT_EQ(Canvas(), pageOne);

  // Deleting a page in the middle keeps the current index on the next page.
  m_model.NextPage(changed);  // page 2 (new)
  Stroke({{100, 10}, {100, 140}});
  const QImage second = Canvas().copy();
  m_model.NextPage(changed);  // page 3 (new)
  m_model.PrevPage(changed);
  m_model.PrevPage(changed);
  EXPECT_EQ(g_nCurPage, 0);
  m_model.DeletePage(changed);
  EXPECT_EQ(g_nCurPage, 0);
  EXPECT_EQ(g_nPageCount, 2);
  EXPECT_EQ(Canvas(), second);
}

TEST_F(NoteModelTest, SnapshotsThatLeaveEveryListAreReleased) {
  Stroke({{10, 10}, {190, 10}});
  Stroke({{10, 50}, {190, 50}});
  m_model.OnRevokeStroke();
  std::weak_ptr<const CanvasState> undone = Page().redoHistory.back().bitmap;
  std::weak_ptr<const CanvasState> kept = Page().history.back().bitmap;
  const QImage beforeClear = Canvas().copy();
  // A clear is an action: it empties the redo lists and keeps the rest for undo.
  m_model.OnClearPage();
  EXPECT_TRUE(undone.expired());
  EXPECT_FALSE(kept.expired());
  ASSERT_EQ(Page().history.size(), 3u);
  EXPECT_EQ(InkPixels(), 0);
  EXPECT_TRUE(Page().strokes.empty());
  EXPECT_TRUE(Page().redoStrokes.empty());
  EXPECT_TRUE(Page().redoHistory.empty());
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas(), beforeClear);
  EXPECT_EQ(Page().strokes.size(), 1u);
  m_model.OnRestoreStroke();
  EXPECT_EQ(InkPixels(), 0);
  EXPECT_TRUE(Page().strokes.empty());

  // A deleted page lives on for undo until a new action comes.
  QRegion changed;
  m_model.NextPage(changed);
  Stroke({{10, 10}, {190, 140}});
  std::weak_ptr<const CanvasState> second = Page().history.back().bitmap;
  m_model.DeletePage(changed);
  EXPECT_FALSE(second.expired());
  Stroke({{20, 20}, {50, 50}});
  EXPECT_TRUE(second.expired());
}

TEST_F(NoteModelTest, HandwritingHistoryCostsAHundredthOfFullSnapshots) {
  // 200 short strokes scattered like handwriting.
  std::mt19937 random(11);
  for (int s = 0; s < 200; ++s) {
    QPoint p(int(random() % 190), int(random() % 140));
    std::vector<QPoint> points;
    for (int i = 0; i < 12; ++i) {
      points.push_back(p);
      p += QPoint(int(random() % 5) - 2, int(random() % 5) - 2);
    }
    Stroke(points);
  }
  const size_t full = 200 * size_t(kCanvas.width() * kCanvas.height() * 4);
  EXPECT_LT(CNoteModel::HistoryBytes(Page()), full / 100);
}

TEST(NoteModelBound, HistoryStaysWithinItsByteLimitAndStaysExact) {
  CNoteModel model(QSize(500, 682));
  model.AddPage();
  ++g_nPageCount;
  std::mt19937 random(5);
  QImage previous, last;
  // Big zig-zag strokes in fresh colours: each changes a large part of the canvas.
  for (int s = 0; s < 400; ++s) {
    const COLORREF color = MakeColorRef(int(random() % 256), int(random() % 256), int(random() % 256));
    model.OnPen(Pen(PenEvent::Type::Down, 0, 0), color, 3);
    for (int i = 1; i < 40; ++i)
      model.OnPen(Pen(PenEvent::Type::Move, int(random() % 500), i * 17), color, 3);
    model.OnPen(Pen(PenEvent::Type::Up, 0, 0), color, 3);
    previous = last;
    last = model.canvas().image().copy();
    ASSERT_LE(CNoteModel::HistoryBytes(model.CurrentPage()),
              CNoteModel::kHistoryByteLimit + size_t(last.sizeInBytes()));
  }
  StorePageInfo& page = model.CurrentPage();
  EXPECT_LT(page.history.size(), 401u) << "the oldest entries were merged";
  EXPECT_EQ(page.strokes.size(), 400u) << "no stroke is lost";
  model.OnRevokeStroke();
  EXPECT_EQ(model.canvas().image(), previous);
  model.OnRestoreStroke();
  EXPECT_EQ(model.canvas().image(), last);
  // Undo all the way stops at the merged base, which shows its own canvas.
  while (model.CurrentPage().history.size() > 1) model.OnRevokeStroke();
  EXPECT_EQ(model.canvas().image(), page.history[0].bitmap->ToImage());
}

}  // namespace
