#pragma once
// DataPending: an auto-reset event. The port module's thread sets it when
// bytes arrive; the thread running the protocol waits on it.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace nibdl {

class DataPending {
 public:
  void Set();
  // Back to "not signalled" (a new connection starts with a clean event).
  void Reset();
  // Waits up to `timeoutMs`; true when signalled, and then not signalled again.
  bool Wait(uint32_t timeoutMs);

 private:
  std::mutex m_mutex;
  std::condition_variable m_signal;
  bool m_signalled = false;
};

}  // namespace nibdl
