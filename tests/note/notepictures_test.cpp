// Pictures and the eraser on the live note's model: adding a picture over
// the page with the strokes on top, drags and their undo and redo (areas and
// canvas exact at each step), undo of an addition, erases that stay erased
// through a repaint, a page switch and a drag redraw and come and go with
// undo and redo, history entries that name no picture, and the fixes: a
// click without a move, and new actions that empty the redo lists.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include "note/notemodel.h"
#include "tests/support/tempdir.h"

namespace {

const QSize kCanvas(200, 150);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(220, 20, 20), kGreen = qRgb(20, 180, 40);

PenEvent Pen(PenEvent::Type type, QPoint p) {
  PenEvent e;
  e.type = type;
  e.point = p;
  return e;
}

class NotePicturesTest : public testing::Test {
 protected:
  void SetUp() override {
    m_model.AddPage();
    ++g_nPageCount;
    // Red on the left half, green on the right: where a picture is and which
    // way round shows in its pixels.
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(kRed);
    QPainter(&picture).fillRect(20, 0, 20, 20, QColor(kGreen));
    m_bmp = QString::fromStdString(m_dir.file("picture.bmp"));
    ASSERT_TRUE(picture.save(m_bmp, "BMP"));
  }

  void Stroke(const std::vector<QPoint>& points, int width = 3) {
    m_model.OnPen(Pen(PenEvent::Type::Down, points[0]), 0, width);
    for (size_t i = 1; i < points.size(); ++i) m_model.OnPen(Pen(PenEvent::Type::Move, points[i]), 0, width);
    m_model.OnPen(Pen(PenEvent::Type::Up, points.back()), 0, width);
  }
  // A drag from `from` through `steps` (relative moves), button up at the end.
  void Drag(QPoint from, const std::vector<QPoint>& steps) {
    ASSERT_TRUE(m_model.BeginDrag(from));
    QPoint at = from;
    for (const QPoint& step : steps) m_model.DragTo(at += step);
    ASSERT_TRUE(m_model.EndDrag());
  }
  // An erase with the left button along `points`, button up at the last.
  void Erase(const std::vector<QPoint>& points) {
    for (const QPoint& p : points) m_model.EraseAt(p);
    m_model.EndErase(points.back());
  }

  const QImage& Canvas() const { return m_model.canvas().image(); }
  StorePageInfo& Page() { return m_model.CurrentPage(); }
  // The canvas as a repaint draws it from the page's content.
  QImage Repainted() {
    m_model.RepaintPage(true);
    return Canvas().copy();
  }

  scrivel::test::TempDir m_dir;
  QString m_bmp;
  CNoteModel m_model{kCanvas};
};

TEST_F(NotePicturesTest, APictureCoversTheCanvasWithTheStrokesOnTop) {
  Stroke({{20, 75}, {180, 75}});
  m_model.AddPicture(m_bmp);
  EXPECT_EQ(Canvas().pixel(50, 30), kRed);
  EXPECT_EQ(Canvas().pixel(150, 30), kGreen);
  EXPECT_EQ(Canvas().pixel(0, 0), kRed);
  EXPECT_EQ(Canvas().pixel(199, 149), kGreen);
  EXPECT_EQ(Canvas().pixel(100, 75), qRgb(0, 0, 0)) << "the stroke is drawn over the picture";
  ASSERT_EQ(Page().pictures.size(), 1u);
  const StoreImageNameArea& picture = Page().pictures[0];
  EXPECT_EQ(picture.path, m_bmp);
  EXPECT_EQ(picture.areas, std::vector<QRect>{QRect(0, 0, 200, 150)});
  EXPECT_EQ(picture.marks, std::vector<int>{1});
  ASSERT_EQ(Page().pictureCopies.size(), 1u);
  EXPECT_EQ(Page().pictureCopies[0].areas, picture.areas);
  EXPECT_EQ(Page().pictureCopies[0].marks, picture.marks);
  EXPECT_EQ(Page().lastPicture, 0);
  ASSERT_EQ(Page().history.size(), 3u);
  EXPECT_EQ(Page().history[2].kind, 0);
  EXPECT_EQ(Page().history[2].picture, 0);
  EXPECT_EQ(Page().history[2].bitmap->ToImage(), Canvas());
  // A repaint draws the same page (the stroke as a curve).
  const QImage repainted = Repainted();
  EXPECT_EQ(repainted.pixel(50, 30), kRed);
  EXPECT_EQ(repainted.pixel(100, 75), qRgb(0, 0, 0));
  // A second picture gets the next index.
  m_model.AddPicture(m_bmp);
  EXPECT_EQ(Page().lastPicture, 1);
  EXPECT_EQ(Page().history.back().picture, 1);
}

TEST_F(NotePicturesTest, AnUnreadablePictureKeepsItsRecordAndDrawsNothing) {
  Stroke({{20, 75}, {180, 75}});
  const QImage before = Canvas().copy();
  const QString missing = QString::fromStdString(m_dir.file("gone.jpg"));
  m_model.AddPicture(missing);
  m_model.AddPicture(QString());
  ASSERT_EQ(Page().pictures.size(), 2u);
  EXPECT_EQ(Page().pictures[0].path, missing);
  EXPECT_EQ(Page().history.size(), 4u);
  EXPECT_EQ(Canvas().pixel(100, 30), kWhite);
  EXPECT_EQ(Repainted().pixel(100, 30), kWhite);
  // It can still be grabbed, moved and undone without harm.
  Drag({100, 100}, {{-10, -10}});
  m_model.OnRevokeStroke();
  m_model.OnRevokeStroke();
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas(), before);
}

TEST_F(NotePicturesTest, DragsMoveAndResizeWithTheirUndoAndRedoExactAtEachStep) {
  m_model.AddPicture(m_bmp);
  struct Step {
    QPoint from;
    std::vector<QPoint> moves;
    QRect area;
  } steps[] = {
      {{2, 75}, {{20, 0}, {20, 0}}, QRect(40, 0, 160, 150)},         // left edge
      {{197, 75}, {{-30, 0}, {-30, 5}}, QRect(40, 0, 100, 150)},     // right edge
      {{90, 148}, {{0, -40}, {0, -30}}, QRect(40, 0, 100, 80)},      // bottom edge
      {{90, 5}, {{0, 10}}, QRect(40, 10, 100, 70)},                  // top edge
      {{90, 40}, {{-20, 10}, {-20, 10}}, QRect(0, 30, 100, 70)},     // a move
      {{50, 60}, {{-30, 0}, {0, 70}}, QRect(0, 100, 70, 50)},        // against two borders
  };
  std::vector<QImage> canvases{Canvas().copy()};
  std::vector<std::vector<QRect>> areas{Page().pictures[0].areas};
  for (const Step& step : steps) {
    Drag(step.from, step.moves);
    ASSERT_EQ(Page().pictures[0].areas.back(), step.area);
    EXPECT_EQ(Page().history.back().picture, 0);
    canvases.push_back(Canvas().copy());
    areas.push_back(Page().pictures[0].areas);
  }
  // The last area shows the picture: red left, green right, white around.
  const QImage& last = canvases.back();
  EXPECT_EQ(last.pixel(10, 115), kRed);
  EXPECT_EQ(last.pixel(60, 115), kGreen);
  EXPECT_EQ(last.pixel(100, 115), kWhite);
  EXPECT_EQ(last.pixel(30, 70), kWhite);

  // Back and forth twice: canvas and areas exactly as after each drag.
  for (int round = 0; round < 2; ++round) {
    for (size_t k = canvases.size() - 1; k >= 1; --k) {
      m_model.OnRevokeStroke();
      ASSERT_EQ(Canvas(), canvases[k - 1]) << "undo to " << k - 1;
      ASSERT_EQ(Page().pictures[0].areas, areas[k - 1]) << "undo to " << k - 1;
      ASSERT_EQ(Repainted(), canvases[k - 1]) << "a repaint draws the same";
    }
    for (size_t k = 1; k < canvases.size(); ++k) {
      m_model.OnRestoreStroke();
      ASSERT_EQ(Canvas(), canvases[k]) << "redo to " << k;
      ASSERT_EQ(Page().pictures[0].areas, areas[k]) << "redo to " << k;
    }
  }
  // A new drag after some undos: what was undone is gone for good.
  m_model.OnRevokeStroke();
  m_model.OnRevokeStroke();
  Drag({50, 60}, {{10, 10}});
  EXPECT_EQ(Page().pictures[0].areas.back(), QRect(50, 20, 100, 70));
  EXPECT_TRUE(Page().redoHistory.empty());
  const QImage now = Canvas().copy();
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), now);
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas(), canvases[4]);
  EXPECT_EQ(Page().pictures[0].areas, areas[4]);
}

TEST_F(NotePicturesTest, UndoingTheAdditionTakesThePictureAwayAndRedoBringsItBack) {
  Stroke({{20, 75}, {180, 75}});
  const QImage withStroke = Canvas().copy();
  m_model.AddPicture(m_bmp);
  const QImage withPicture = Canvas().copy();
  Drag({100, 40}, {{-50, 0}});
  const QImage dragged = Canvas().copy();
  m_model.OnRevokeStroke();
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas(), withStroke);
  EXPECT_TRUE(Page().pictures[0].areas.empty());
  EXPECT_TRUE(Page().pictures[0].marks.empty());
  EXPECT_EQ(Repainted().pixel(150, 30), kWhite) << "a repaint leaves it away";
  EXPECT_EQ(m_model.BeginDrag({100, 40}), false) << "nothing to grab";
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), withPicture);
  EXPECT_EQ(Page().pictures[0].areas, std::vector<QRect>{QRect(0, 0, 200, 150)});
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), dragged);
  EXPECT_EQ(Page().pictures[0].areas.back(), QRect(-50 + 50, 0, 150, 150));
  // Undo all the way with the addition as the page's only action.
  m_model.OnClearPage();
  m_model.AddPicture(m_bmp);
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas().pixel(100, 75), kWhite);
  EXPECT_TRUE(Page().pictures[0].areas.empty());
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas().pixel(50, 75), kRed);
}

TEST_F(NotePicturesTest, AClickOnAPictureWithoutAMoveIsUndoneWithoutLosingThePicture) {
  m_model.AddPicture(m_bmp);
  const QImage added = Canvas().copy();
  Drag({100, 75}, {});
  EXPECT_EQ(Page().history.size(), 3u);
  m_model.OnRevokeStroke();
  EXPECT_EQ(Page().pictures[0].areas.size(), 1u) << "the picture stays";
  EXPECT_EQ(Repainted(), added);
  m_model.OnRestoreStroke();
  m_model.OnRevokeStroke();
  m_model.OnRevokeStroke();  // now the addition
  EXPECT_TRUE(Page().pictures[0].areas.empty());
}

TEST_F(NotePicturesTest, ErasedInkAndPictureStayErasedThroughRepaintsPagesAndDrags) {
  m_model.AddPicture(m_bmp);
  Drag({100, 75}, {{-10, 0}});  // move a little: the picture at (-10 clamped) 0..190
  ASSERT_EQ(Page().pictures[0].areas.back(), QRect(0, 0, 190, 150));
  Stroke({{20, 100}, {180, 100}});
  ASSERT_EQ(Canvas().pixel(60, 100), qRgb(0, 0, 0));
  // Erase across the stroke and the picture: squares from (x-10, y) to (x, y+10).
  std::vector<QPoint> path;
  for (int x = 60; x <= 100; x += 5) path.push_back({x, 95});
  Erase(path);
  const QImage erased = Canvas().copy();
  EXPECT_EQ(erased.pixel(60, 100), kWhite) << "ink gone";
  EXPECT_EQ(erased.pixel(55, 96), kWhite) << "picture gone there";
  EXPECT_EQ(erased.pixel(55, 94), kRed) << "above the squares it stays";
  EXPECT_EQ(erased.pixel(120, 100), qRgb(0, 0, 0)) << "ink beyond them stays";
  ASSERT_EQ(Page().erasures.size(), 1u);
  EXPECT_EQ(Page().history.back().erase, 1);
  EXPECT_EQ(Page().history.back().picture, -1);

  // A repaint draws the page from its content: still erased.
  QImage repainted = Repainted();
  EXPECT_EQ(repainted.pixel(60, 100), kWhite);
  EXPECT_EQ(repainted.pixel(55, 96), kWhite);
  EXPECT_EQ(repainted.pixel(120, 100), qRgb(0, 0, 0));
  EXPECT_EQ(repainted.pixel(55, 94), kRed);
  // A page switch there and back.
  QRegion changed;
  m_model.NextPage(changed);
  m_model.PrevPage(changed);
  EXPECT_EQ(Canvas().pixel(60, 100), kWhite);
  EXPECT_EQ(Canvas().pixel(55, 96), kWhite);

  // A drag redraw: the ink stays erased where it was; the picture's erased
  // part moves with the picture.
  Drag({100, 30}, {{10, 0}});
  ASSERT_EQ(Page().pictures[0].areas.back(), QRect(10, 0, 190, 150));
  EXPECT_EQ(Canvas().pixel(60, 100), kWhite) << "erased ink stays away";
  EXPECT_EQ(Canvas().pixel(65, 96), kWhite) << "the picture's hole moved by 10";
  EXPECT_EQ(Canvas().pixel(52, 96), kRed) << "and the picture shows where the hole was";
  EXPECT_EQ(Canvas().pixel(120, 100), qRgb(0, 0, 0));
  // A stroke written after the erase across the erased place is not erased.
  Stroke({{60, 80}, {60, 120}});
  EXPECT_EQ(Repainted().pixel(60, 100), qRgb(0, 0, 0));
}

TEST_F(NotePicturesTest, UndoAndRedoTakeAnEraseBackAndForth) {
  Stroke({{20, 75}, {180, 75}});
  const QImage before = Canvas().copy();
  Erase({{60, 70}, {70, 70}, {80, 70}});
  const QImage after = Canvas().copy();
  ASSERT_NE(before, after);
  m_model.OnRevokeStroke();
  EXPECT_EQ(Canvas(), before);
  EXPECT_TRUE(Page().erasures.empty());
  EXPECT_EQ(Page().strokes.size(), 1u) << "the stroke is not touched";
  EXPECT_EQ(Repainted().pixel(65, 75), qRgb(0, 0, 0)) << "a repaint brings the ink back";
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), after);
  EXPECT_EQ(Repainted().pixel(65, 75), kWhite);
  // The erase as the page's only action, on a page without pictures.
  m_model.OnClearPage();
  Erase({{50, 50}, {60, 50}});
  m_model.OnRevokeStroke();
  EXPECT_TRUE(Page().pictures.empty());
  EXPECT_TRUE(Page().pictureCopies.empty());
  EXPECT_EQ(Page().redoHistory.size(), 1u);
  m_model.OnRestoreStroke();
  EXPECT_EQ(Page().erasures.size(), 1u);
  EXPECT_TRUE(Page().pictures.empty());
}

TEST_F(NotePicturesTest, EntriesThatNameNoPictureLeaveThePicturesAlone) {
  // A picture on the page, then an erase and a stroke: undo and redo of
  // those never move the picture.
  m_model.AddPicture(m_bmp);
  Drag({100, 75}, {{-30, 0}});
  const std::vector<QRect> areas = Page().pictures[0].areas;
  const std::vector<int> marks = Page().pictures[0].marks;
  Erase({{150, 20}, {160, 20}});
  Stroke({{20, 140}, {180, 140}});
  for (int k = 0; k < 2; ++k) m_model.OnRevokeStroke();
  EXPECT_EQ(Page().pictures[0].areas, areas);
  EXPECT_EQ(Page().pictures[0].marks, marks);
  for (int k = 0; k < 2; ++k) m_model.OnRestoreStroke();
  EXPECT_EQ(Page().pictures[0].areas, areas);
  EXPECT_EQ(Page().pictures[0].marks, marks);
  // An entry naming a picture that is not there (as after merged history).
  Page().history.push_back({m_model.canvas().Snapshot(), 0, 7});
  m_model.OnRevokeStroke();
  m_model.OnRestoreStroke();
  EXPECT_EQ(Page().pictures.size(), 1u);
}

TEST_F(NotePicturesTest, AnEraseNearTheBorderDoesNothingUnlessBothCornersAreOnTheCanvas) {
  m_model.AddPicture(m_bmp);
  struct Row {
    QPoint point;
    bool erases;
  } rows[] = {
      {{9, 50}, false},    {{10, 50}, true},   {{199, 50}, true},  {{200, 50}, false},
      {{100, 0}, true},    {{100, -1}, false}, {{100, 139}, true}, {{100, 140}, false},
      {{10, 139}, true},   {{5, 145}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.point.x()) + "," + std::to_string(row.point.y()));
    const QRect square = m_model.EraseAt(row.point);
    EXPECT_EQ(!square.isEmpty(), row.erases);
    if (row.erases) {
      EXPECT_EQ(square, QRect(row.point.x() - 10, row.point.y(), 10, 10));
    }
  }
  // Only the border squares that fit were erased.
  EXPECT_EQ(Canvas().pixel(0, 45), kRed);
  EXPECT_EQ(Canvas().pixel(0, 55), kWhite);
  EXPECT_EQ(Canvas().pixel(199, 45), kGreen);
  EXPECT_EQ(Canvas().pixel(199, 55), kGreen) << "the square of (199, 50) ends at 198";
  EXPECT_EQ(Canvas().pixel(198, 55), kWhite);
  m_model.OnRevokeStroke();  // nothing entered yet: undoes the addition
  Page().erasing = {};
  // Button up off the canvas with nothing erased: no entry.
  const size_t entries = Page().history.size();
  EXPECT_FALSE(m_model.EndErase({5, 145 + 10}));
  EXPECT_FALSE(m_model.EraseAt({3, 3}).isValid());
  EXPECT_FALSE(m_model.EndErase({-3, 3}));
  EXPECT_EQ(Page().history.size(), entries);
  // On the canvas: an entry even when nothing was erased.
  EXPECT_TRUE(m_model.EndErase({50, 50}));
  EXPECT_EQ(Page().history.size(), entries + 1);
}

TEST_F(NotePicturesTest, AnEraseKeptWhenTheButtonComesUpOffTheCanvas) {
  Stroke({{20, 75}, {180, 75}});
  m_model.EraseAt({60, 70});
  EXPECT_TRUE(m_model.EndErase({300, 300}));
  EXPECT_EQ(Page().erasures.size(), 1u);
  EXPECT_EQ(Repainted().pixel(55, 75), kWhite);
}

TEST_F(NotePicturesTest, AddingAPictureAndErasingEmptyTheRedoLists) {
  Stroke({{20, 75}, {180, 75}});
  Stroke({{20, 100}, {180, 100}});
  m_model.OnRevokeStroke();
  m_model.AddPicture(m_bmp);
  EXPECT_TRUE(Page().redoHistory.empty());
  EXPECT_TRUE(Page().redoStrokes.empty());
  const QImage added = Canvas().copy();
  m_model.OnRestoreStroke();
  EXPECT_EQ(Canvas(), added) << "redo cannot bring back a canvas without the picture";
  m_model.OnRevokeStroke();
  Erase({{60, 70}});
  EXPECT_TRUE(Page().redoHistory.empty());
  EXPECT_EQ(Page().strokes.size(), 1u);
}

}  // namespace
