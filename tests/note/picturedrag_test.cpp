// The mouse rules for pictures: which picture a click grabs, and each rule
// of a drag step (edge resizes, moves, the border clamps), row by row.
#include <gtest/gtest.h>

#include "note/picturedrag.h"

namespace {

const QRect kCanvas(0, 0, 500, 682);

StorePageInfo PageWith(std::vector<std::vector<QRect>> areasOfEachPicture) {
  StorePageInfo page;
  for (auto& areas : areasOfEachPicture) page.pictures.push_back({QString(), std::move(areas), {1}});
  return page;
}

TEST(PictureAt, FindsTheTopmostPictureWithAnAreaHoldingThePoint) {
  // 0: the whole canvas; 1: moved twice, now at (100,100)-(200,150);
  // 2: undone (no areas); 3: a small one at (150,120)-(170,140).
  const StorePageInfo page = PageWith({{kCanvas},
                                       {kCanvas, QRect(50, 50, 100, 50), QRect(100, 100, 100, 50)},
                                       {},
                                       {QRect(150, 120, 20, 20)}});
  struct Row {
    QPoint point;
    int expected;
  } rows[] = {
      {{0, 0}, 0},        {{499, 681}, 0},   {{500, 681}, -1},  {{499, 682}, -1},
      {{-1, 5}, -1},      {{100, 100}, 1},   {{199, 149}, 1},   {{200, 149}, 0},
      {{199, 150}, 0},    {{60, 60}, 0},     {{150, 120}, 3},   {{169, 139}, 3},
      {{170, 139}, 1},    {{155, 125}, 3},
  };
  for (const Row& r : rows)
    EXPECT_EQ(PictureAt(page, r.point), r.expected) << r.point.x() << "," << r.point.y();
  EXPECT_EQ(PictureAt(StorePageInfo{}, QPoint(10, 10)), -1);
}

TEST(PictureAt, AFlippedPictureIsGrabbedWhereItShows) {
  // Left edge dragged past the right: left 300, right 250.
  const StorePageInfo page = PageWith({{QRect(300, 100, -50, 40)}});
  EXPECT_EQ(AreaCover(page.pictures[0].areas[0]), QRect(250, 100, 50, 40));
  EXPECT_EQ(PictureAt(page, QPoint(250, 100)), 0);
  EXPECT_EQ(PictureAt(page, QPoint(299, 139)), 0);
  EXPECT_EQ(PictureAt(page, QPoint(300, 120)), -1);
  EXPECT_EQ(PictureAt(page, QPoint(249, 120)), -1);
  // Edges that meet cover nothing.
  EXPECT_EQ(PictureAt(PageWith({{QRect(300, 100, 0, 40)}}), QPoint(300, 110)), -1);
}

// Edges of a result as the page stores them: left, top, right, bottom.
struct Edges {
  int left, top, right, bottom;
};
Edges EdgesOf(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

TEST(DragArea, EachRuleAndTheClampRowByRow) {
  // The picture: left 100, top 100, right 300, bottom 250.
  const QRect r(100, 100, 200, 150);
  struct Row {
    const char* what;
    QPoint from, to;
    Edges expected;
  } rows[] = {
      {"left edge exactly", {100, 180}, {90, 300}, {90, 100, 300, 250}},
      {"left edge 5 inside", {105, 180}, {125, 170}, {120, 100, 300, 250}},
      {"left edge 5 outside", {95, 180}, {80, 180}, {85, 100, 300, 250}},
      {"6 from the left edge moves", {106, 180}, {116, 190}, {110, 110, 310, 260}},
      {"right edge", {300, 180}, {340, 100}, {100, 100, 340, 250}},
      {"right edge 5 inside", {295, 180}, {250, 180}, {100, 100, 255, 250}},
      {"right edge 5 outside", {305, 180}, {320, 180}, {100, 100, 315, 250}},
      {"top edge 10 inside", {200, 110}, {210, 60}, {100, 50, 300, 250}},
      {"top edge 10 outside", {200, 90}, {200, 95}, {100, 105, 300, 250}},
      {"11 below the top edge moves", {200, 111}, {200, 121}, {100, 110, 300, 260}},
      {"bottom edge", {200, 250}, {150, 300}, {100, 100, 300, 300}},
      {"bottom edge 10 inside", {200, 240}, {200, 200}, {100, 100, 300, 210}},
      {"left wins over top in the corner", {102, 102}, {90, 80}, {88, 100, 300, 250}},
      {"right wins over bottom", {298, 248}, {310, 270}, {100, 100, 312, 250}},
      {"a move", {200, 180}, {150, 130}, {50, 50, 250, 200}},
      // Pushed against each border: the edge stops there, the picture shrinks.
      {"pushed left", {200, 180}, {50, 180}, {0, 100, 150, 250}},
      {"pushed right", {200, 180}, {450, 180}, {350, 100, 500, 250}},
      {"pushed up", {200, 180}, {200, 50}, {100, 0, 300, 120}},
      {"pushed down", {200, 180}, {200, 650}, {100, 570, 300, 682}},
      {"pushed far into a corner", {200, 180}, {-1000, -1000}, {0, 0, 10, 10}},
      {"pushed far right and down", {200, 180}, {1500, 1500}, {490, 672, 500, 682}},
      {"left edge dragged off the canvas", {100, 180}, {-40, 180}, {0, 100, 300, 250}},
      {"right edge dragged off the canvas", {300, 180}, {900, 180}, {100, 100, 500, 250}},
      {"left edge over the right edge", {100, 180}, {350, 180}, {350, 100, 300, 250}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Edges e = EdgesOf(DragArea(r, row.from, row.to, kCanvas));
    EXPECT_EQ(e.left, row.expected.left);
    EXPECT_EQ(e.top, row.expected.top);
    EXPECT_EQ(e.right, row.expected.right);
    EXPECT_EQ(e.bottom, row.expected.bottom);
  }
}

TEST(DragArea, APicturePushedOnAgainstABorderShrinksToTenPixelsAndStops) {
  QRect r(100, 100, 200, 150);
  QPoint from(200, 180);
  std::vector<int> widths;
  for (int step = 0; step < 40; ++step) {
    const QPoint to = from + QPoint(-10, 0);
    r = DragArea(r, from, to, kCanvas);
    from = to;
    widths.push_back(r.width());
  }
  EXPECT_EQ(widths[9], 200) << "it travels to the border first";
  EXPECT_EQ(widths[10], 190) << "then shrinks";
  EXPECT_EQ(widths.back(), 10);
  EXPECT_EQ(EdgesOf(r).left, 0);
  EXPECT_EQ(r.height(), 150);
  // A picture already narrower than that keeps its own width.
  EXPECT_EQ(DragArea(QRect(3, 50, 4, 200), QPoint(30, 100), QPoint(0, 100), kCanvas), QRect(0, 50, 4, 200));
}

TEST(DragArea, ADragStartedOnAnEdgeKeepsResizingItWhileTheMouseFollowsIt) {
  // The rule is tested against the previous position, which moves with the
  // edge: a resize of the left edge goes on step after step.
  QRect r(100, 100, 200, 150);
  QPoint from(103, 180);
  for (int step = 1; step <= 10; ++step) {
    const QPoint to = from + QPoint(-7, 3);
    r = DragArea(r, from, to, kCanvas);
    from = to;
  }
  EXPECT_EQ(EdgesOf(r).left, 30);
  EXPECT_EQ(EdgesOf(r).right, 300);
  EXPECT_EQ(EdgesOf(r).top, 100);
  // Once the edge stops at the border and the mouse goes on, the mouse is
  // more than 5 pixels from every edge: the next step moves the picture.
  const QPoint beyond(-20, from.y());
  r = DragArea(r, from, beyond, kCanvas);
  EXPECT_EQ(EdgesOf(r).left, 0);
  EXPECT_EQ(EdgesOf(r).right, 300);
  r = DragArea(r, beyond, beyond + QPoint(10, 5), kCanvas);
  EXPECT_EQ(EdgesOf(r).left, 10);
  EXPECT_EQ(EdgesOf(r).right, 310);
  EXPECT_EQ(EdgesOf(r).top, 105);
  EXPECT_EQ(EdgesOf(r).bottom, 255);
}

}  // namespace
