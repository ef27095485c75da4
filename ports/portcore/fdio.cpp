#include "ports/portcore/fdio.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/trace.h"

namespace ports {

bool WriteAll(int fd, const uint8_t* data, size_t length, WriteMode mode, int timeoutMs) {
  size_t done = 0;
  while (done < length) {
    const ssize_t n = mode == WriteMode::Socket
                          ? send(fd, data + done, length - done, MSG_NOSIGNAL)
                          : write(fd, data + done, length - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd pfd{fd, POLLOUT, 0};
      const int ready = poll(&pfd, 1, timeoutMs);
      if (ready > 0 && (pfd.revents & POLLOUT) != 0) continue;
      if (ready < 0 && errno == EINTR) continue;
      scrivel::Trace("port: the device takes no more data");
      return false;
    }
    scrivel::Trace("port: write failed (%s)", n < 0 ? std::strerror(errno) : "no progress");
    return false;
  }
  return true;
}

}  // namespace ports
