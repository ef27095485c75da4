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

std::vector<ZMTEvent> Track(const std::vector<Input>& inputs,
                            EvdevPenTracker::State opening = {0, 0}) {
  EvdevPenTracker tracker({0, 1000}, {0, 2000}, opening);
  std::vector<ZMTEvent> out;
  tracker.Begin(out);
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
  EvdevPenTracker tracker({0, 1000}, {0, 2000}, {0, 0});
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

// The kernel reports only changes: what the device says at opening is where
// the pen already is and whether its tip is already down.
TEST(EvdevPenTracker, StartsFromTheStateAtOpening) {
  struct Row {
    const char* name;
    EvdevPenTracker::State opening;
    std::vector<Input> inputs;
    std::vector<ZMTEvent> expected;
  };
  const Row rows[] = {
      {"hovering, then touching down without moving",
       {250, 500, false, false},
       {{EV_KEY, BTN_TOUCH, 1}, kSyn, {EV_KEY, BTN_TOUCH, 0}, kSyn},
       {{ZMT_EVT_PENDOWN, -2875, 4000}, {ZMT_EVT_PENUP, -2875, 4000}}},
      {"the tip already down: its stroke goes on",
       {500, 1000, true, false},
       {{EV_ABS, ABS_X, 750}, kSyn, {EV_KEY, BTN_TOUCH, 0}, kSyn},
       {{ZMT_EVT_PENDOWN, 0, 8000}, {ZMT_EVT_PENMOVE, 2875, 8000}, {ZMT_EVT_PENUP, 2875, 8000}}},
      {"the stylus button already held",
       {0, 2000, false, true},
       {{EV_ABS, ABS_Y, 1000}, kSyn},
       {{ZMT_EVT_PENDOWN, -5750, 16000}, {ZMT_EVT_PENMOVE, -5750, 8000}}},
      {"hovering and moving: nothing",
       {100, 100, false, false},
       {{EV_ABS, ABS_X, 900}, kSyn},
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto out = Track(row.inputs, row.opening);
    ASSERT_EQ(out.size(), row.expected.size());
    for (size_t i = 0; i < out.size(); ++i) {
      EXPECT_EQ(out[i].type, row.expected[i].type) << i;
      EXPECT_EQ(out[i].x, row.expected[i].x) << i;
      EXPECT_EQ(out[i].y, row.expected[i].y) << i;
    }
  }
}

}  // namespace
}  // namespace nibroute
