// The live pen end to end: a real "penemu live" process writes handwriting or
// a stroke file, the route library reads it through its unix: source, and
// the events come out of ZMTGetEvent exactly as penemu's script holds them.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "nibroute/nibroute.h"
#include "penemu/livescript.h"
#include "tests/support/emulatedlivepen.h"

namespace scrivel::test {
namespace {

using namespace std::chrono_literals;
using penemu::LiveEvent;

std::atomic<int> g_notifications{0};
void CountNotification(void*, uint32_t) { ++g_notifications; }

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = 60s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

class LivePenTest : public testing::Test {
 protected:
  void TearDown() override { ZMTUninit(); }

  // Registers a receiver and connects the route library to the pen.
  void Connect(EmulatedLivePen& pen) {
    ASSERT_TRUE(pen.ready());
    pen.UseInThisProcess();
    ASSERT_GE(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), 0);
    ReceiverInfo info{sizeof(ReceiverInfo), 0, nullptr, WM_ZMTNOTIFY, &CountNotification};
    ASSERT_GE(ZMTOpenReceiver(&info, &m_handle), 0);
    ZMTSetProperty(m_handle, 1, 1);
    ZMTSetProperty(m_handle, 16, 1);
    ASSERT_GE(ZMTConnect(0, 0x100, 0), 0);
  }

  // Reads events until `count` arrived (or the time-out).
  std::vector<ZMTEvent> Read(size_t count) {
    std::vector<ZMTEvent> events;
    WaitUntil([&] {
      ZMTEvent e;
      while (ZMTGetEvent(m_handle, &e) >= 0) events.push_back(e);
      return events.size() >= count;
    });
    return events;
  }

  static void ExpectSame(const std::vector<ZMTEvent>& got, const std::vector<LiveEvent>& want,
                         size_t from) {
    ASSERT_EQ(got.size(), want.size() + from);
    for (size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "event " << i);
      EXPECT_EQ(got[from + i].type, want[i].type);
      EXPECT_EQ(got[from + i].x, want[i].x);
      EXPECT_EQ(got[from + i].y, want[i].y);
    }
  }

  int32_t m_handle = -1;
};

TEST_F(LivePenTest, HandwrittenTextArrivesEventForEvent) {
  const std::string text = "Live ink";
  const std::vector<LiveEvent> script = penemu::LiveEventsFromText(text);
  ASSERT_GT(penemu::StrokeCount(script), 5u);
  EmulatedLivePen pen({"--text", text, "--rate", "5000"});
  Connect(pen);
  const std::vector<ZMTEvent> events = Read(script.size() + 1);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].type, ZMT_EVT_RECEIVER_ARRIVED);
  ExpectSame(events, script, 1);
  EXPECT_GT(g_notifications.load(), 0);
  EXPECT_TRUE(pen.WaitUntilWritten(1));
  EXPECT_NE(pen.process().stdoutText().find("penemu: live pen wrote " +
                                            std::to_string(penemu::StrokeCount(script)) + " strokes"),
            std::string::npos);
  // Every stroke is down, moves, up, inside the pen's range.
  int depth = 0;
  for (const LiveEvent& e : script) {
    EXPECT_GE(e.x, -5750);
    EXPECT_LE(e.x, 5750);
    EXPECT_GE(e.y, 0);
    EXPECT_LE(e.y, 16000);
    if (e.type == LiveEvent::kDown) {
      EXPECT_EQ(depth++, 0);
    } else if (e.type == LiveEvent::kMove) {
      EXPECT_EQ(depth, 1);
    } else {
      EXPECT_EQ(e.type, LiveEvent::kUp);
      EXPECT_EQ(depth--, 1);
    }
  }
  EXPECT_EQ(depth, 0);
}

TEST_F(LivePenTest, AStrokeFileIsReplayedAndTheHangUpIsReported) {
  TempDir files;
  WriteFile(files.file("strokes.txt"),
            "# two strokes and a dot\n-5750 0\n0 8000\n5750 16000\n\n\n100 200\r\n-100 200\n\n7 7\n");
  EmulatedLivePen pen({"--strokes", files.file("strokes.txt")});
  Connect(pen);
  const std::vector<LiveEvent> want{
      {1, -5750, 0}, {2, 0, 8000}, {2, 5750, 16000}, {3, 5750, 16000},
      {1, 100, 200}, {2, -100, 200}, {3, -100, 200}, {1, 7, 7}, {3, 7, 7}};
  ExpectSame(Read(want.size() + 1), want, 1);
  ASSERT_TRUE(pen.WaitUntilWritten(1));
  // The receiver stays connected after the script; penemu's end is a hang-up.
  EXPECT_NE(ZMTIsConnected(), 0);
  pen.process().stop();
  const std::vector<ZMTEvent> gone = Read(1);
  ASSERT_EQ(gone.size(), 1u);
  EXPECT_EQ(gone[0].type, ZMT_EVT_RECEIVER_GONE);
  EXPECT_EQ(ZMTIsConnected(), 0);
}

TEST_F(LivePenTest, EachNewHostGetsTheWholeScript) {
  TempDir files;
  WriteFile(files.file("s.txt"), "1 2\n3 4\n");
  EmulatedLivePen pen({"--strokes", files.file("s.txt")});
  Connect(pen);
  ASSERT_EQ(Read(4).size(), 4u);
  ASSERT_TRUE(pen.WaitUntilWritten(1));
  ZMTDisconnect();
  ASSERT_GE(ZMTConnect(0, 0x100, 0), 0);
  const std::vector<ZMTEvent> again = Read(4);
  ASSERT_EQ(again.size(), 4u);
  EXPECT_EQ(again[0].type, ZMT_EVT_RECEIVER_ARRIVED);
  EXPECT_EQ(again[1].type, 1);
  EXPECT_EQ(again[3].type, 3);
  EXPECT_TRUE(pen.WaitUntilWritten(2));
}

TEST(LivePenUsage, BadLiveArgumentsExitTwoWithAMessage) {
  TempDir dir;
  WriteFile(dir.file("bad.txt"), "1 2\n3\n");
  WriteFile(dir.file("range.txt"), "6000 2\n");
  struct Row {
    std::vector<std::string> args;
    std::string message;
  } rows[] = {
      {{"live"}, "needs --socket"},
      {{"live", "--socket", dir.file("s"), "--notes", "2"}, "--text or --strokes"},
      {{"live", "--socket", dir.file("s"), "--text", "a", "--strokes", dir.file("bad.txt")}, "only one"},
      {{"usb", "--socket", dir.file("s"), "--strokes", dir.file("bad.txt")}, "applies to mode live"},
      {{"live", "--socket", dir.file("s"), "--strokes", dir.file("bad.txt")}, "bad.txt:2"},
      {{"live", "--socket", dir.file("s"), "--strokes", dir.file("range.txt")}, "range.txt:1"},
      {{"live", "--socket", dir.file("s"), "--strokes", dir.file("none.txt")}, "cannot read"},
      {{"live", "--socket", dir.file("s"), "--rate", "0"}, "bad value"},
  };
  for (const Row& row : rows) {
    const RunResult r = scrivel::test::Run(AppPath("penemu"), row.args, {}, 20s);
    const std::string shown = testing::PrintToString(row.args);
    EXPECT_EQ(r.exitCode, 2) << shown;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << shown << "\n" << r.err;
  }
  const RunResult help = scrivel::test::Run(AppPath("penemu"), {"--help"}, {}, 20s);
  EXPECT_NE(help.out.find("penemu live   --socket PATH [--text T | --strokes FILE] [--rate HZ]"),
            std::string::npos);
}

TEST(LiveScript, SamplesBecomeDownMovesUpPerStroke) {
  using penemu::Sample;
  const std::vector<Sample> samples{{1, 1}, {2, 2}, penemu::kPenUp, penemu::kPenUp, {5, 5}, {6, 6}, {7, 7}};
  const std::vector<LiveEvent> want{{1, 1, 1}, {2, 2, 2}, {3, 2, 2},
                                    {1, 5, 5}, {2, 6, 6}, {2, 7, 7}, {3, 7, 7}};
  EXPECT_EQ(penemu::LiveEventsFromSamples(samples), want);
  EXPECT_EQ(penemu::StrokeCount(want), 2u);
  std::vector<uint8_t> bytes;
  const LiveEvent negative{2, -2, 300};
  penemu::EncodeLiveEvents(&negative, 1, bytes);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{2, 0, 0xfe, 0xff, 0x2c, 0x01}));
}

}  // namespace
}  // namespace scrivel::test
