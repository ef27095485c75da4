// The live sources: the unix socket source end to end, connection state,
// failures to connect, and the library under concurrent use.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "tests/nibroute/livefixture.h"

namespace scrivel::test {
namespace {

using Types16 = std::vector<uint16_t>;

class UnixSource : public LiveRoute {};

bool SameEvent(const ZMTEvent& a, const ZMTEvent& b) {
  return a.type == b.type && a.x == b.x && a.y == b.y;
}

TEST_F(UnixSource, RecordsSplitAcrossWritesArriveWhole) {
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  Connect();
  const std::vector<ZMTEvent> sent = {{1, ZMT_PEN_X_MIN, ZMT_PEN_Y_MIN},
                                      {2, ZMT_PEN_X_MAX, ZMT_PEN_Y_MAX},
                                      {2, -1, 1},
                                      {3, -32768, 32767},
                                      {0x1234, 0x0102, -0x0102}};
  const std::vector<uint8_t> bytes = Encode(sent);
  // Cut the stream at odd places, pausing so the reader sees each piece alone.
  const size_t cuts[] = {1, 5, 7, 4, 2, 3, 8};
  size_t at = 0;
  for (size_t i = 0; at < bytes.size(); ++i) {
    const size_t n = std::min(cuts[i % std::size(cuts)], bytes.size() - at);
    ASSERT_TRUE(m_server.Write(bytes.data() + at, n));
    at += n;
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  HangUp();

  const std::vector<ZMTEvent> got = Drain(handle);
  ASSERT_EQ(got.size(), sent.size() + 2);
  EXPECT_EQ(got.front().type, ZMT_EVT_RECEIVER_ARRIVED);
  EXPECT_EQ(got.back().type, ZMT_EVT_RECEIVER_GONE);
  for (size_t i = 0; i < sent.size(); ++i)
    EXPECT_TRUE(SameEvent(got[i + 1], sent[i]))
        << i << ": " << got[i + 1].type << " " << got[i + 1].x << " " << got[i + 1].y;
}

TEST_F(UnixSource, HangUpGivesEvent19AndDisconnects) {
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  Connect();
  // A trailing half record is dropped with the connection.
  ASSERT_TRUE(m_server.Write(Encode({{1, 5, 5}}).data(), 3));
  HangUp();
  EXPECT_EQ(ZMTIsConnected(), 0);
  EXPECT_EQ(Types(Drain(handle)), (Types16{18, 19}));

  // Connecting again works and starts from a clean record boundary.
  Connect();
  ASSERT_TRUE(m_server.Write(Encode({{1, 5, 5}})));
  HangUp();
  EXPECT_EQ(Types(Drain(handle)), (Types16{18, 1, 19}));
}

TEST_F(UnixSource, DisconnectClosesTheSocketWithoutEvent19) {
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  Connect();
  ASSERT_TRUE(window.WaitForPosts(1));
  EXPECT_EQ(ZMTDisconnect(), ZMT_OK);
  EXPECT_EQ(ZMTIsConnected(), 0);
  EXPECT_TRUE(m_server.WaitForClientClose());
  EXPECT_EQ(Types(Drain(handle)), (Types16{18}));
  EXPECT_EQ(ZMTDisconnect(), ZMT_OK) << "disconnecting twice is harmless";
}

TEST_F(UnixSource, ConnectWhileConnectedKeepsTheConnection) {
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  Connect();
  EXPECT_EQ(ZMTConnect(0, 0x100, 0), ZMT_OK);
  EXPECT_FALSE(m_server.Accept(std::chrono::milliseconds(200)))
      << "no second connection was made";
  // The first connection was closed by Accept: the library sees a hang-up.
  ASSERT_TRUE(WaitUntil([] { return ZMTIsConnected() == 0; }));
  EXPECT_EQ(Types(Drain(handle)), (Types16{18, 19}));
}

TEST_F(UnixSource, UninitStopsTheSource) {
  FakeWindow& window = NewWindow();
  Open(window);
  Connect();
  ASSERT_TRUE(window.WaitForPosts(1));
  ZMTUninit();
  EXPECT_TRUE(m_server.WaitForClientClose());
  EXPECT_EQ(ZMTIsConnected(), 0);
  const int posts = window.Posts();
  m_server.Write(Encode({{1, 1, 1}}));
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  EXPECT_EQ(ZMTIsConnected(), 0);
  EXPECT_EQ(window.Posts(), posts);
}

TEST_F(UnixSource, ConnectFailsWithoutAReachableSource) {
  struct Row {
    std::string config;  // [General] lines; empty: no configuration file
    bool needsNoInputDevices;
  };
  const std::string missing = m_dir.file("missing.sock");
  const Row rows[] = {
      {"", true},  // the default, evdev:auto
      {"RouteSource=unix:" + missing, false},
      {"RouteSource=unix:", false},
      {"RouteSource=bogus:" + m_server.path(), false},
      {"RouteSource=" + m_server.path(), false},
      {"RouteSource=evdev:" + m_dir.file("no-such-device"), false},
      {"RouteSource=evdev:/dev/null", false},
      {"RouteSource=evdev:auto", true},
  };
  std::error_code error;
  bool inputDevices = false;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error))
    inputDevices |= entry.path().filename().string().rfind("event", 0) == 0;

  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.config);
    if (row.needsNoInputDevices && inputDevices) continue;  // a real tablet may be here
    TempDir config;
    UsePenConfig(config, row.config);
    EXPECT_LT(ZMTConnect(0, 0x100, 0), 0);
    EXPECT_EQ(ZMTIsConnected(), 0);
  }
  EXPECT_TRUE(Drain(handle).empty()) << "a failed connect queues nothing";
}

TEST_F(UnixSource, NotificationsMayDrainButNotReconnect) {
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);
  std::vector<ZMTEvent> drained;
  std::atomic<int32_t> disconnect{1}, connect{1};
  window.onPost = [&] {
    disconnect = ZMTDisconnect();
    connect = ZMTConnect(0, 0x100, 0);
    ZMTUninit();  // ignored on the library's thread
    ZMTEvent event{};
    while (ZMTGetEvent(handle, &event) >= 0) drained.push_back(event);
  };
  Connect();
  ASSERT_TRUE(window.WaitForPosts(1));
  EXPECT_EQ(disconnect.load(), ZMT_E_WRONGTHREAD);
  EXPECT_EQ(connect.load(), ZMT_E_WRONGTHREAD);
  EXPECT_NE(ZMTIsConnected(), 0) << "still initialised and connected";
  ASSERT_TRUE(m_server.Write(Encode({{1, 9, 9}})));
  ASSERT_TRUE(window.WaitForPosts(2)) << "drained inside the notification: announced again";
  HangUp();
  ASSERT_TRUE(window.WaitForPosts(3));
  ZMTUninit();  // joins the source thread before `drained` is read
  EXPECT_EQ(Types(drained), (Types16{18, 1, 19}));
}

TEST_F(UnixSource, QueueingWhileTheReceiverDrainsLosesNothing) {
  constexpr int kEvents = 60000;  // below the queue's bound: nothing may be dropped
  FakeWindow& window = NewWindow();
  const int32_t handle = Open(window);

  std::mutex mutex;
  std::condition_variable wake;
  bool pending = false;
  window.onPost = [&] {
    std::lock_guard lock(mutex);
    pending = true;
    wake.notify_one();
  };
  std::vector<ZMTEvent> received;
  std::thread drainer([&] {
    for (;;) {
      {
        std::unique_lock lock(mutex);
        if (!wake.wait_for(lock, std::chrono::seconds(30), [&] { return pending; })) return;
        pending = false;
      }
      ZMTEvent event{};
      while (ZMTGetEvent(handle, &event) >= 0) {
        received.push_back(event);
        if (event.type == ZMT_EVT_RECEIVER_GONE) return;
      }
    }
  });
  std::atomic<bool> busy{true};
  std::thread meddler([&] {
    // Other threads use the library at the same time.
    for (uint32_t i = 0; busy; ++i) {
      ZMTSetProperty(0, ZMT_PROP_ORIENTATION, i & 1);
      uint32_t value;
      ZMTGetProperty(handle, ZMT_PROP_PEN_MODE, &value);
      if (i % 2 == 0) ZMTActivate(handle);
      else ZMTDeactivate(handle);
      ZMTIsConnected();
    }
  });

  Connect();
  std::vector<ZMTEvent> batch;
  for (int i = 0; i < kEvents; ++i) {
    batch.push_back({2, static_cast<int16_t>(i % 30000), static_cast<int16_t>(i / 30000)});
    if (batch.size() == 97 || i + 1 == kEvents) {
      ASSERT_TRUE(m_server.Write(Encode(batch)));
      batch.clear();
    }
  }
  m_server.CloseClient();
  drainer.join();
  ZMTUninit();  // joins the source thread, which may still be in onPost
  busy = false;
  meddler.join();

  ASSERT_EQ(received.size(), static_cast<size_t>(kEvents) + 2);
  EXPECT_EQ(received.front().type, ZMT_EVT_RECEIVER_ARRIVED);
  for (int i = 0; i < kEvents; ++i)
    ASSERT_EQ(received[i + 1].y * 30000 + received[i + 1].x, i) << "order broken at " << i;
}

}  // namespace
}  // namespace scrivel::test
