#include "ports/portcore/portchannel.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "common/trace.h"

namespace ports {

PortChannel::PortChannel() : m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (m_wake < 0) scrivel::Trace("port: eventfd failed (%s)", std::strerror(errno));
}

PortChannel::~PortChannel() {
  Close();
  if (m_wake >= 0) close(m_wake);
}

int PortChannel::OpenEx(PortOpenExParams* params, const Opener& opener) {
  if (params == nullptr || params->cbSize != sizeof(PortOpenExParams)) {
    scrivel::Trace("port: PortOpenEx with a wrong parameter record");
    return 0;
  }
  std::lock_guard lifecycle(m_lifecycle);
  if (m_device) {
    scrivel::Trace("port: PortOpenEx while the port is open");
    return 0;
  }
  if (m_wake < 0) return 0;
  uint64_t stale;
  while (read(m_wake, &stale, sizeof stale) > 0) {
  }

  uint32_t deviceType = 0;
  std::unique_ptr<PortDevice> device = opener(*params, &deviceType);
  if (!device) return 0;
  {
    std::lock_guard lock(m_mutex);
    m_buffer = ReceiveBuffer(device->ReportSize());
    m_open = true;
    m_stop = false;
    m_throttled = false;
  }
  m_gone = false;
  m_callback = params->pfnEvent;
  m_device = std::move(device);
  try {
    m_thread = std::thread(&PortChannel::Run, this);
  } catch (const std::system_error& error) {
    scrivel::Trace("port: cannot start the reader thread: %s", error.what());
    m_device.reset();
    std::lock_guard lock(m_mutex);
    m_open = false;
    return 0;
  }
  params->dwDeviceType = deviceType;
  return 1;
}

void PortChannel::Close() {
  std::lock_guard lifecycle(m_lifecycle);
  if (m_thread.joinable()) {
    if (m_thread.get_id() == std::this_thread::get_id()) {
      scrivel::Trace("port: PortClose from the event callback is ignored");
      return;
    }
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    Wake();
    m_thread.join();
  }
  m_device.reset();
  std::lock_guard lock(m_mutex);
  m_open = false;
  m_buffer.Clear();
}

void PortChannel::Retrieve(uint8_t* buffer, uint32_t* length) {
  if (length == nullptr) return;
  if (buffer == nullptr) {
    *length = 0;
    return;
  }
  bool more = false;
  bool wake = false;
  {
    std::lock_guard lock(m_mutex);
    *length = m_open ? static_cast<uint32_t>(m_buffer.Take(buffer, *length)) : 0;
    more = m_open && m_buffer.HasDeliverable();
    if (m_throttled && m_buffer.Size() < kMaxBuffered) {
      m_throttled = false;
      wake = true;
    }
  }
  if (wake) Wake();
  if (more) Raise(PORT_EVENT_DATA);
}

bool PortChannel::Send(const uint8_t* data, uint32_t length) {
  std::lock_guard lifecycle(m_lifecycle);
  if (!m_device || m_gone) return false;
  if (length == 0) return true;
  if (data == nullptr) return false;
  return m_device->Write(data, length);
}

bool PortChannel::SetBaudRate(uint32_t baud) {
  std::lock_guard lifecycle(m_lifecycle);
  return m_device && m_device->SetBaudRate(baud);
}

void PortChannel::Raise(int event) {
  if (PortEventCallback callback = m_callback.load()) callback(event, 0);
}

void PortChannel::Wake() {
  const uint64_t one = 1;
  if (write(m_wake, &one, sizeof one) < 0)
    scrivel::Trace("port: cannot wake the reader (%s)", std::strerror(errno));
}

void PortChannel::Run() {
  const int fd = m_device->Descriptor();
  uint8_t chunk[16384];
  for (;;) {
    bool throttled;
    {
      std::lock_guard lock(m_mutex);
      if (m_stop) return;
      throttled = m_throttled;
    }
    // While throttled the device is left out: poll ignores a negative descriptor.
    pollfd fds[2] = {{throttled ? -1 : fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      scrivel::Trace("port: poll failed (%s)", std::strerror(errno));
      break;
    }
    if (fds[1].revents != 0) {
      uint64_t count;
      while (read(m_wake, &count, sizeof count) > 0) {
      }
      continue;  // stop or un-throttle: looked at on top of the loop
    }
    if (fds[0].revents == 0) continue;
    if ((fds[0].revents & POLLNVAL) != 0) break;
    const ssize_t n = m_device->Read(chunk, sizeof chunk);
    if (n > 0) {
      {
        std::lock_guard lock(m_mutex);
        m_buffer.Append(chunk, static_cast<size_t>(n));
        if (m_buffer.Size() >= kMaxBuffered) m_throttled = true;
      }
      Raise(PORT_EVENT_DATA);
      continue;
    }
    const bool hungUp = (fds[0].revents & (POLLHUP | POLLERR)) != 0;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) && !hungUp) continue;
    scrivel::Trace("port: the device went away (%s)", n == 0 ? "end of file" : std::strerror(errno));
    break;
  }
  m_gone = true;
  Raise(PORT_EVENT_GONE);
}

}  // namespace ports
