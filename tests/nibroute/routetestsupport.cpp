#include "tests/nibroute/routetestsupport.h"

#include <cstdlib>

namespace scrivel::test {

void FakeWindow::Post(void* window, uint32_t message) {
  auto* self = static_cast<FakeWindow*>(window);
  std::function<void()> hook;
  {
    std::lock_guard lock(self->mutex);
    self->lastMessage = message;
    self->lastThread = std::this_thread::get_id();
    hook = self->onPost;
  }
  if (hook) hook();
  // Counted once its hook has run, so that a test waiting for the post reads
  // what the hook wrote.
  {
    std::lock_guard lock(self->mutex);
    ++self->posts;
  }
  self->changed.notify_all();
}

int FakeWindow::Posts() {
  std::lock_guard lock(mutex);
  return posts;
}

bool FakeWindow::WaitForPosts(int count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex);
  return changed.wait_for(lock, timeout, [&] { return posts >= count; });
}

ReceiverInfo FakeWindow::Info(uint32_t message) {
  ReceiverInfo info{};
  info.size = sizeof info;
  info.window = this;
  info.message = message;
  info.post = &FakeWindow::Post;
  return info;
}

void UsePenConfig(const TempDir& dir, const std::string& lines) {
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  if (!lines.empty())
    WriteFile(dir.path() + "/Tavolo Technologies/VeloRoute.conf", "[General]\n" + lines + "\n");
}

std::vector<uint8_t> Encode(const std::vector<ZMTEvent>& events) {
  std::vector<uint8_t> bytes;
  for (const ZMTEvent& e : events) {
    const auto x = static_cast<uint16_t>(e.x);
    const auto y = static_cast<uint16_t>(e.y);
    const uint8_t record[6] = {static_cast<uint8_t>(e.type & 0xff), static_cast<uint8_t>(e.type >> 8),
                               static_cast<uint8_t>(x & 0xff),      static_cast<uint8_t>(x >> 8),
                               static_cast<uint8_t>(y & 0xff),      static_cast<uint8_t>(y >> 8)};
    bytes.insert(bytes.end(), record, record + 6);
  }
  return bytes;
}

std::vector<ZMTEvent> Drain(int32_t handle) {
  std::vector<ZMTEvent> events;
  ZMTEvent event{};
  while (ZMTGetEvent(handle, &event) >= 0) events.push_back(event);
  return events;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::vector<uint16_t> Types(const std::vector<ZMTEvent>& events) {
  std::vector<uint16_t> types;
  for (const ZMTEvent& e : events) types.push_back(e.type);
  return types;
}

}  // namespace scrivel::test
