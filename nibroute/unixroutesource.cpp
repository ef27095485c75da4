#include "nibroute/unixroutesource.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/trace.h"

namespace nibroute {

namespace {

ZMTEvent DecodeRecord(const uint8_t* p) {
  ZMTEvent event;
  event.type = static_cast<uint16_t>(p[0] | (p[1] << 8));
  event.x = static_cast<int16_t>(static_cast<uint16_t>(p[2] | (p[3] << 8)));
  event.y = static_cast<int16_t>(static_cast<uint16_t>(p[4] | (p[5] << 8)));
  return event;
}

}  // namespace

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
  m_partialSize = 0;
  scrivel::Trace("nibroute: connected to %s", m_path.c_str());
  return fd;
}

bool UnixRouteSource::ReadAvailable(int fd, RouteSink& sink) {
  constexpr size_t kRecord = sizeof(ZMTEvent);
  uint8_t bytes[kRecord * 512];
  std::memcpy(bytes, m_partial, m_partialSize);
  ssize_t n;
  do {
    n = recv(fd, bytes + m_partialSize, sizeof bytes - m_partialSize, MSG_DONTWAIT);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  if (n <= 0) {
    scrivel::Trace("nibroute: %s hung up", m_path.c_str());
    return false;
  }
  const size_t total = m_partialSize + static_cast<size_t>(n);
  const size_t records = total / kRecord;
  ZMTEvent events[sizeof bytes / kRecord];
  for (size_t i = 0; i < records; ++i) events[i] = DecodeRecord(bytes + i * kRecord);
  m_partialSize = total - records * kRecord;
  std::memcpy(m_partial, bytes + records * kRecord, m_partialSize);
  if (records > 0) sink.Deliver(events, records);
  return true;
}

}  // namespace nibroute
