// How tablet input events become pen events.

#include "nibroute/evdevpentracker.h"

#include <gtest/gtest.h>
#include <linux/input.h>

#include <vector>

namespace nibroute {
namespace {

TEST(EvdevPenTracker, ScalesTheDeviceRangeOntoThePen) {
  struct Row {
    int32_t value;
    EvdevPenTracker::Range from;
    int32_t toMin, toMax;
    int16_t expected;
  };
  const Row rows[] = {
      {0, {0, 1000}, ZMT_PEN_X_MIN, ZMT_PEN_X_MAX, -5750},
      {1000, {0, 1000}, ZMT_PEN_X_MIN, ZMT_PEN_X_MAX, 5750},
      {500, {0, 1000}, ZMT_PEN_X_MIN, ZMT_PEN_X_MAX, 0},
      {-100, {-100, 100}, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX, 0},
      {100, {-100, 100}, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX, 16000},
      {5000, {0, 1000}, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX, 16000},  // clamped
      {-5, {0, 1000}, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX, 0},        // clamped
      {44704, {0, 44704}, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX, 16000},
      {7, {5, 5}, ZMT_PEN_Y_MIN, ZMT_PEN_Y_MAX, 0},  // an empty range
  };
  for (const Row& row : rows)
    EXPECT_EQ(EvdevPenTracker::Scale(row.value, row.from, row.toMin, row.toMax), row.expected)
        << row.value << " in " << row.from.min << ".." << row.from.max;
}

struct Input {
  uint16_t type, code;
  int32_t value;
};

std::vector<ZMTEvent> Track(const std::vector<Input>& inputs) {
  EvdevPenTracker tracker({0, 1000}, {0, 2000});
  std::vector<ZMTEvent> out;
  for (const Input& in : inputs) tracker.Feed(in.type, in.code, in.value, out);
  return out;
}

const Input kSyn{EV_SYN, SYN_REPORT, 0};

TEST(EvdevPenTracker, TouchMoveLift) {
  const auto out = Track({{EV_ABS, ABS_X, 0}, {EV_ABS, ABS_Y, 0}, kSyn,  // hovering
                        {EV_KEY, BTN_TOUCH, 1}, kSyn,                  // down
                        {EV_ABS, ABS_X, 1000}, kSyn,                   // move
                        {EV_ABS, ABS_PRESSURE, 50}, kSyn,              // no move
                        {EV_ABS, ABS_Y, 2000}, kSyn,                   // move
                        {EV_KEY, BTN_TOUCH, 0}, kSyn,                  // up
                        {EV_ABS, ABS_X, 500}, kSyn});                  // hovering
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].type, ZMT_EVT_PENDOWN);
  EXPECT_EQ(out[0].x, -5750);
  EXPECT_EQ(out[0].y, 0);
  EXPECT_EQ(out[1].type, ZMT_EVT_PENMOVE);
  EXPECT_EQ(out[1].x, 5750);
  EXPECT_EQ(out[2].type, ZMT_EVT_PENMOVE);
  EXPECT_EQ(out[2].y, 16000);
  EXPECT_EQ(out[3].type, ZMT_EVT_PENUP);
  EXPECT_EQ(out[3].x, 5750);
}

TEST(EvdevPenTracker, StylusButtonCountsAsDownAndNothingHappensBeforeTheReport) {
  EvdevPenTracker tracker({0, 1000}, {0, 2000});
  std::vector<ZMTEvent> out;
  tracker.Feed(EV_KEY, BTN_STYLUS, 1, out);
  tracker.Feed(EV_ABS, ABS_X, 500, out);
  EXPECT_TRUE(out.empty()) << "events complete at SYN_REPORT";
  tracker.Feed(EV_SYN, SYN_REPORT, 0, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].type, ZMT_EVT_PENDOWN);
  EXPECT_EQ(out[0].x, 0);
  // Touch and stylus together, then one lifts: still down.
  tracker.Feed(EV_KEY, BTN_TOUCH, 1, out);
  tracker.Feed(EV_KEY, BTN_STYLUS, 0, out);
  tracker.Feed(EV_SYN, SYN_REPORT, 0, out);
  EXPECT_EQ(out.size(), 1u);
  tracker.Feed(EV_KEY, BTN_TOUCH, 0, out);
  tracker.Feed(EV_SYN, SYN_REPORT, 0, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1].type, ZMT_EVT_PENUP);
}

}  // namespace
}  // namespace nibroute
