// Which receiver gets which event, and when it is told.

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "tests/nibroute/livefixture.h"

namespace scrivel::test {
namespace {

using Types16 = std::vector<uint16_t>;

const std::vector<ZMTEvent> kStroke = {{1, -100, 200}, {2, 0, 300}, {2, 100, 400}, {3, 100, 400}};

class Delivery : public LiveRoute {};

TEST_F(Delivery, PenEventsGoToOneReceiverByTheRules) {
  // Three receivers A, B, C opened in that order; each row sets them up and
  // names the one that must receive the pen events (-1: none).
  struct Row {
    const char* name;
    std::function<void(const int32_t* h)> setUp;
    int target;
  };
  auto props = [](uint32_t a, uint32_t b, uint32_t c) {
    return [=](const int32_t* h) {
      ZMTSetProperty(h[0], ZMT_PROP_RECEIVE_EVENTS, a);
      ZMTSetProperty(h[1], ZMT_PROP_RECEIVE_EVENTS, b);
      ZMTSetProperty(h[2], ZMT_PROP_RECEIVE_EVENTS, c);
    };
  };
  const Row rows[] = {
      {"newest receiver asking for events", props(1, 1, 1), 2},
      {"newest without property 1 is passed over", props(1, 1, 0), 1},
      {"property 1 must be exactly 1", props(1, 2, 0), 0},
      {"nobody asks: dropped", props(0, 0, 0), -1},
      {"the active receiver wins",
       [&](const int32_t* h) {
         props(0, 0, 1)(h);
         ZMTActivate(h[0]);
       },
       0},
      {"the most recently activated wins",
       [&](const int32_t* h) {
         props(1, 1, 1)(h);
         ZMTActivate(h[1]);
         ZMTActivate(h[0]);
       },
       0},
      {"the most recently activated wins, whatever the order of opening",
       [&](const int32_t* h) {
         props(1, 0, 1)(h);
         ZMTActivate(h[0]);
         ZMTActivate(h[1]);
       },
       1},
      {"activating again counts as recent",
       [&](const int32_t* h) {
         props(0, 0, 0)(h);
         ZMTActivate(h[0]);
         ZMTActivate(h[1]);
         ZMTActivate(h[0]);
       },
       0},
      {"a deactivated receiver hands back to the one still active",
       [&](const int32_t* h) {
         props(0, 0, 0)(h);
         ZMTActivate(h[0]);
         ZMTActivate(h[2]);
         ZMTDeactivate(h[2]);
       },
       0},
      {"deactivating the newest active hands back to the older one",
       [&](const int32_t* h) {
         props(0, 0, 0)(h);
         ZMTActivate(h[1]);
         ZMTActivate(h[2]);
         ZMTActivate(h[0]);
         ZMTDeactivate(h[0]);
       },
       2},
      {"nobody active: back to property 1",
       [&](const int32_t* h) {
         props(0, 1, 0)(h);
         ZMTActivate(h[2]);
         ZMTDeactivate(h[2]);
       },
       1},
  };

  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ZMTUninit();
    ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
    int32_t h[3];
    for (int i = 0; i < 3; ++i) h[i] = Open(NewWindow(), 0);
    row.setUp(h);

    Connect();
    ASSERT_TRUE(m_server.Write(Encode(kStroke)));
    HangUp();

    for (int i = 0; i < 3; ++i) {
      const Types16 expected = i == row.target ? Types16{18, 1, 2, 2, 3, 19} : Types16{18, 19};
      EXPECT_EQ(Types(Drain(h[i])), expected) << "receiver " << i;
    }
  }
}

TEST_F(Delivery, EveryOtherTypeFollowsThePenEventRulesAndReceiverEventsReachAll) {
  FakeWindow& a = NewWindow();
  FakeWindow& b = NewWindow();
  const int32_t ha = Open(a, 1);
  const int32_t hb = Open(b, 0);
  Connect();
  // A source may report 18 itself (a receiver plugged in) and other types.
  ASSERT_TRUE(m_server.Write(Encode({{4, 1, 1}, {7, 2, 2}, {18, 0, 0}, {0, 3, 3}, {300, 4, 4}})));
  HangUp();
  EXPECT_EQ(Types(Drain(ha)), (Types16{18, 4, 7, 18, 0, 300, 19}));
  EXPECT_EQ(Types(Drain(hb)), (Types16{18, 18, 19}));
}

TEST_F(Delivery, NotifiesOnlyWhenTheQueueTurnsNonEmpty) {
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  ZMTActivate(handle);
  Connect();
  ASSERT_TRUE(window.WaitForPosts(1));  // event 18
  for (const ZMTEvent& event : kStroke) ASSERT_TRUE(m_server.Write(Encode({event})));
  HangUp();
  EXPECT_EQ(window.Posts(), 1) << "events added to a non-empty queue are not announced";

  EXPECT_EQ(Types(Drain(handle)), (Types16{18, 1, 2, 2, 3, 19}));
  ZMTEvent event{};
  EXPECT_EQ(ZMTGetEvent(handle, &event), ZMT_E_NOEVENT);

  // Drained: the next event is announced again.
  Connect();
  ASSERT_TRUE(window.WaitForPosts(2));
  ASSERT_TRUE(m_server.Write(Encode(kStroke)));
  HangUp();
  EXPECT_EQ(window.Posts(), 2);
  EXPECT_EQ(Types(Drain(handle)), (Types16{18, 1, 2, 2, 3, 19}));
}

TEST_F(Delivery, NotificationCarriesWindowAndMessageFromTheLibraryThread) {
  FakeWindow& window = NewWindow();
  const ReceiverInfo info = window.Info(0x1234);
  int32_t handle = -1;
  ASSERT_EQ(ZMTOpenReceiver(&info, &handle), ZMT_OK);
  Connect();
  ASSERT_TRUE(window.WaitForPosts(1));
  std::lock_guard lock(window.mutex);
  EXPECT_EQ(window.lastMessage, 0x1234u);
  EXPECT_NE(window.lastThread, std::this_thread::get_id());
}

TEST_F(Delivery, AFullQueueDropsItsOldestEvents) {
  constexpr int kCapacity = 65536;
  constexpr int kExtra = 10;
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  Connect();
  std::vector<ZMTEvent> events;
  for (int i = 0; i < kCapacity + kExtra; ++i)
    events.push_back({2, static_cast<int16_t>(i % 10000), static_cast<int16_t>(i / 10000)});
  ASSERT_TRUE(m_server.Write(Encode(events)));
  HangUp();

  // Queued: 18, the moves, 19 - the oldest kExtra + 1 went.
  const std::vector<ZMTEvent> kept = Drain(handle);
  ASSERT_EQ(kept.size(), static_cast<size_t>(kCapacity));
  for (int i = 0; i + 1 < kCapacity; ++i) {
    const int sequence = kept[i].y * 10000 + kept[i].x;
    ASSERT_EQ(sequence, i + kExtra + 1) << "at " << i;
  }
  EXPECT_EQ(kept.back().type, ZMT_EVT_RECEIVER_GONE);
  EXPECT_EQ(window.Posts(), 1);
}

}  // namespace
}  // namespace scrivel::test
