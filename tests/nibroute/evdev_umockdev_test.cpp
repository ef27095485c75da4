// The route library's evdev source end to end on a pen tablet emulated by
// umockdev: the real libnibroute.so reads the device's state at opening and
// its events, and reports the tablet gone when it is unplugged mid-stroke.

#include <gtest/gtest.h>
#include <linux/input.h>

#include "tests/nibroute/routetestsupport.h"
#include "tests/support/emulatedtablet.h"

namespace scrivel::test {
namespace {

using Event = EmulatedTablet::Event;
const Event kSyn{EV_SYN, SYN_REPORT, 0};

struct Seen {
  uint16_t type;
  int16_t x, y;
};

class EvdevTablet : public ::testing::Test {
 protected:
  void TearDown() override { ZMTUninit(); }

  // The library on `source`, with one receiver, connected.
  int32_t Connect(const std::string& source) {
    UsePenConfig(m_config, "RouteSource=" + source);
    EXPECT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
    const ReceiverInfo info = m_window.Info();
    int32_t handle = -1;
    EXPECT_EQ(ZMTOpenReceiver(&info, &handle), ZMT_OK);
    EXPECT_EQ(ZMTSetProperty(handle, ZMT_PROP_RECEIVE_EVENTS, 1), ZMT_OK);
    EXPECT_EQ(ZMTConnect(0, 0x100, 0), ZMT_OK);
    return handle;
  }

  // Drains `handle` until `count` events came (or ten seconds passed).
  std::vector<ZMTEvent> Collect(int32_t handle, size_t count) {
    std::vector<ZMTEvent> events;
    WaitUntil([&] {
      for (const ZMTEvent& e : Drain(handle)) events.push_back(e);
      return events.size() >= count;
    });
    return events;
  }

  TempDir m_config;
  FakeWindow m_window;
};

void ExpectEvents(const std::vector<ZMTEvent>& got, const std::vector<Seen>& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].type, expected[i].type) << i;
    if (expected[i].type > ZMT_EVT_PENUP) continue;
    EXPECT_EQ(got[i].x, expected[i].x) << i;
    EXPECT_EQ(got[i].y, expected[i].y) << i;
  }
}

// The tablet's 7000/20000, 5000/10000 is the pen's -1725, 8000; 9000 is -575.
TEST_F(EvdevTablet, StartsFromTheStateTheDeviceReportsAtOpening) {
  struct Row {
    const char* name;
    const char* source;
    EmulatedTablet::Opening opening;
    std::vector<Event> events;
    std::vector<Seen> expected;
  };
  const Row rows[] = {
      {"hovering, then touching down without moving",
       "evdev:/dev/input/event40",
       {7000, 5000, false},
       {{EV_KEY, BTN_TOUCH, 1}, kSyn, {EV_KEY, BTN_TOUCH, 0}, kSyn},
       {{ZMT_EVT_RECEIVER_ARRIVED, 0, 0}, {ZMT_EVT_PENDOWN, -1725, 8000}, {ZMT_EVT_PENUP, -1725, 8000}}},
      {"the tip already down: the stroke goes on (found by evdev:auto)",
       "evdev:auto",
       {7000, 5000, true},
       {{EV_ABS, ABS_X, 9000}, kSyn, {EV_KEY, BTN_TOUCH, 0}, kSyn},
       {{ZMT_EVT_RECEIVER_ARRIVED, 0, 0},
        {ZMT_EVT_PENDOWN, -1725, 8000},
        {ZMT_EVT_PENMOVE, -575, 8000},
        {ZMT_EVT_PENUP, -575, 8000}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MockDevices devices;  // one test bed at a time
    EmulatedTablet tablet(devices, row.opening);
    ASSERT_TRUE(tablet.ok());
    ASSERT_TRUE(tablet.Play(row.events));
    const int32_t handle = Connect(row.source);
    ASSERT_NE(ZMTIsConnected(), 0);
    ExpectEvents(Collect(handle, row.expected.size()), row.expected);
    ZMTUninit();
  }
}

TEST_F(EvdevTablet, UnpluggedMidStrokeTheReceiverIsGone) {
  MockDevices devices;
  EmulatedTablet tablet(devices, {1000, 1000, false});
  ASSERT_TRUE(tablet.ok());
  const int32_t handle = Connect("evdev:/dev/input/event40");
  ASSERT_NE(ZMTIsConnected(), 0);
  ASSERT_TRUE(tablet.Write({{EV_KEY, BTN_TOUCH, 1}, kSyn, {EV_ABS, ABS_X, 2000}, kSyn}));
  const auto stroke = Collect(handle, 3);
  ASSERT_EQ(Types(stroke), (std::vector<uint16_t>{ZMT_EVT_RECEIVER_ARRIVED, ZMT_EVT_PENDOWN,
                                                  ZMT_EVT_PENMOVE}));
  tablet.Unplug();
  ASSERT_TRUE(WaitUntil([] { return ZMTIsConnected() == 0; }));
  EXPECT_EQ(Types(Drain(handle)), (std::vector<uint16_t>{ZMT_EVT_RECEIVER_GONE}));
  // A new connection finds no tablet and says so.
  EXPECT_LT(ZMTConnect(0, 0x100, 0), 0);
}

}  // namespace
}  // namespace scrivel::test
