#pragma once
// The event callback that the port module tests hand to a module. Event 0
// sets an auto-reset flag, as the download library's event does.

#include <chrono>

namespace scrivel::test {

class PortEvents {
 public:
  static int Callback(int event, int parameter);
  static void Reset();
  // Waits for the data flag and clears it; false on time-out.
  static bool WaitForData(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  static bool WaitForGone(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  static int DataCount();
  static int GoneCount();
  static int OtherCount();
};

}  // namespace scrivel::test
