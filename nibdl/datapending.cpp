#include "nibdl/datapending.h"

#include <chrono>

namespace nibdl {

void DataPending::Set() {
  {
    std::lock_guard lock(m_mutex);
    m_signalled = true;
  }
  m_signal.notify_one();
}

void DataPending::Reset() {
  std::lock_guard lock(m_mutex);
  m_signalled = false;
}

bool DataPending::Wait(uint32_t timeoutMs) {
  std::unique_lock lock(m_mutex);
  if (!m_signal.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_signalled; }))
    return false;
  m_signalled = false;
  return true;
}

}  // namespace nibdl
