#include "ports/nibusb/socketdevice.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/trace.h"
#include "ports/portcore/fdio.h"

namespace ports {

std::unique_ptr<SocketDevice> SocketDevice::Connect(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    scrivel::Trace("port: socket path \"%s\" is empty or too long", path.c_str());
    return nullptr;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  // A Unix socket connects at once or fails (EAGAIN: the listener's backlog is full).
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    scrivel::Trace("port: cannot connect to %s (%s)", path.c_str(), std::strerror(errno));
    close(fd);
    return nullptr;
  }
  scrivel::Trace("port: connected to %s", path.c_str());
  return std::unique_ptr<SocketDevice>(new SocketDevice(fd));
}

SocketDevice::~SocketDevice() { close(m_fd); }

ssize_t SocketDevice::Read(uint8_t* buffer, size_t capacity) {
  return recv(m_fd, buffer, capacity, MSG_DONTWAIT);
}

bool SocketDevice::Write(const uint8_t* data, size_t length) {
  return WriteAll(m_fd, data, length, WriteMode::Socket);
}

}  // namespace ports
