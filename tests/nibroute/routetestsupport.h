#pragma once
// What the route library tests share: a window stand-in that counts its
// notifications, a private pen configuration, event encoding and draining.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nibroute/nibroute.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

// Stands in for a window: counts the notifications posted to it.
struct FakeWindow {
  std::mutex mutex;
  std::condition_variable changed;
  int posts = 0;
  uint32_t lastMessage = 0;
  std::thread::id lastThread;
  // Runs inside the notification when set (on the library's thread).
  std::function<void()> onPost;

  static void Post(void* window, uint32_t message);
  int Posts();
  // Waits until at least `count` notifications arrived; false on time-out.
  bool WaitForPosts(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  ReceiverInfo Info(uint32_t message = WM_ZMTNOTIFY);
};

// Points the pen configuration at a private folder (XDG_CONFIG_HOME) and
// writes its [General] section with `lines` (may be empty: no file).
void UsePenConfig(const TempDir& dir, const std::string& lines);

// The bytes of events as the live socket carries them.
std::vector<uint8_t> Encode(const std::vector<ZMTEvent>& events);

// Every event queued for `handle`, until ZMTGetEvent turns negative.
std::vector<ZMTEvent> Drain(int32_t handle);

// Polls `condition` until it holds; false on time-out.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Event types of `events`, in order.
std::vector<uint16_t> Types(const std::vector<ZMTEvent>& events);

}  // namespace scrivel::test
