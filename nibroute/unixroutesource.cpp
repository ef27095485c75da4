#include "nibroute/unixroutesource.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/trace.h"

namespace nibroute {

int UnixRouteSource::OpenDescriptor() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (m_path.empty() || m_path.size() >= sizeof address.sun_path) {
    scrivel::Trace("nibroute: socket path \"%s\" is empty or too long", m_path.c_str());
    return -1;
  }
  std::memcpy(address.sun_path, m_path.c_str(), m_path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int result;
  do {
    result = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    scrivel::Trace("nibroute: cannot connect to %s (%s)", m_path.c_str(), std::strerror(errno));
    close(fd);
    return -1;
  }
  m_joiner.Reset();
  scrivel::Trace("nibroute: connected to %s", m_path.c_str());
  return fd;
}

bool UnixRouteSource::ReadAvailable(int fd, RouteSink& sink) {
  uint8_t bytes[sizeof(ZMTEvent) * 512];
  ssize_t n;
  do {
    n = recv(fd, bytes, sizeof bytes, MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  if (n <= 0) {
    scrivel::Trace("nibroute: %s hung up", m_path.c_str());
    return false;
  }
  m_events.clear();
  m_joiner.Feed(bytes, static_cast<size_t>(n), m_events);
  if (!m_events.empty()) sink.Deliver(m_events.data(), m_events.size());
  return true;
}

}  // namespace nibroute
