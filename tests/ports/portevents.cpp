#include "tests/ports/portevents.h"

#include <condition_variable>
#include <mutex>

#include "ports/portmodule.h"

namespace scrivel::test {

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
bool g_dataFlag = false;
int g_data = 0, g_gone = 0, g_other = 0;

}  // namespace

int PortEvents::Callback(int event, int /*parameter*/) {
  {
    std::lock_guard lock(g_mutex);
    if (event == PORT_EVENT_DATA) {
      ++g_data;
      g_dataFlag = true;
    } else if (event == PORT_EVENT_GONE) {
      ++g_gone;
    } else {
      ++g_other;
    }
  }
  g_changed.notify_all();
  return 0;
}

void PortEvents::Reset() {
  std::lock_guard lock(g_mutex);
  g_dataFlag = false;
  g_data = g_gone = g_other = 0;
}

bool PortEvents::WaitForData(std::chrono::milliseconds timeout) {
  std::unique_lock lock(g_mutex);
  if (!g_changed.wait_for(lock, timeout, [] { return g_dataFlag; })) return false;
  g_dataFlag = false;
  return true;
}

bool PortEvents::WaitForGone(std::chrono::milliseconds timeout) {
  std::unique_lock lock(g_mutex);
  return g_changed.wait_for(lock, timeout, [] { return g_gone > 0; });
}

int PortEvents::DataCount() {
  std::lock_guard lock(g_mutex);
  return g_data;
}

int PortEvents::GoneCount() {
  std::lock_guard lock(g_mutex);
  return g_gone;
}

int PortEvents::OtherCount() {
  std::lock_guard lock(g_mutex);
  return g_other;
}

}  // namespace scrivel::test
