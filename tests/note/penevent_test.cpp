// Pen positions to canvas pixels: the rounding of MulDiv, the mapping of the
// pen's range onto the canvas and the clamping at its edges, edges included.
#include <gtest/gtest.h>

#include "note/penevent.h"

namespace {

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
  struct Row {
    int a, b, c, want;
  } rows[] = {
      {1, 1, 2, 1},          {1, 1, 3, 0},       {2, 1, 3, 1},          {-1, 1, 2, -1},
      {-2, 1, 3, -1},        {5, 500, 11500, 0}, {23, 500, 11500, 1},   {11500, 500, 11500, 500},
      {65535, 65535, 1, int(65535LL * 65535)}, {7, 3, 0, -1},  {7, 3, -2, -11},
  };
  for (const Row& r : rows)
    EXPECT_EQ(MulDiv(r.a, r.b, r.c), r.want) << r.a << " * " << r.b << " / " << r.c;
}

TEST(PenToCanvas, MapsThePenRangeOntoTheCanvas) {
  const QRect canvas(0, 0, 500, 682);
  struct Row {
    int x, y;
    QPoint want;
  } rows[] = {
      {-5750, 0, {0, 0}},
      {5750, 16000, {500, 682}},
      {0, 8000, {250, 341}},
      // 5773 * 500 / 11500 = 251.0, 12 * 682 / 16000 = 0.51 rounds up
      {23, 12, {251, 1}},
      // 11 * 682 / 16000 = 0.468... rounds down
      {-5749, 11, {0, 0}},
  };
  for (const Row& r : rows) EXPECT_EQ(PenToCanvas(r.x, r.y, canvas), r.want) << r.x << "," << r.y;
  EXPECT_EQ(PenToCanvas(0, 0, QRect(10, 20, 100, 200)), QPoint(60, 20));
}

TEST(ClampToCanvas, KeepsPointsOnTheCanvasEdgesIncluded) {
  const QRect canvas(10, 20, 100, 200);  // edges 10..110, 20..220
  struct Row {
    QPoint in, want;
  } rows[] = {
      {{9, 19}, {10, 20}},   {{10, 20}, {10, 20}},    {{110, 220}, {110, 220}},
      {{111, 221}, {110, 220}}, {{50, -7}, {50, 20}}, {{-300, 500}, {10, 220}},
  };
  for (const Row& r : rows) EXPECT_EQ(ClampToCanvas(r.in, canvas), r.want);
}

TEST(PenEventFromRoute, ConvertsPenEventsOnlyAndClampsThem) {
  const QRect canvas(0, 0, 500, 682);
  struct Row {
    uint16_t type;
    bool converted;
    PenEvent::Type want;
  } rows[] = {
      {1, true, PenEvent::Type::Down}, {2, true, PenEvent::Type::Move}, {3, true, PenEvent::Type::Up},
      {4, false, {}}, {7, false, {}}, {18, false, {}}, {19, false, {}}, {0, false, {}},
  };
  for (const Row& r : rows) {
    const auto pen = PenEventFromRoute(ZMTEvent{r.type, 0, 8000}, canvas);
    ASSERT_EQ(pen.has_value(), r.converted) << r.type;
    if (!pen) continue;
    EXPECT_EQ(pen->type, r.want);
    EXPECT_EQ(pen->point, QPoint(250, 341));
    EXPECT_EQ(pen->source, PenEvent::Source::Pen);
  }
  // Out of the pen's range: clamped onto the canvas.
  EXPECT_EQ(PenEventFromRoute(ZMTEvent{2, 32767, -100}, canvas)->point, QPoint(500, 0));
  EXPECT_EQ(PenEventFromRoute(ZMTEvent{2, -32768, 32767}, canvas)->point, QPoint(0, 682));
}

}  // namespace
