#include "tests/nibroute/unixserver.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace scrivel::test {

namespace {

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

UnixServer::UnixServer(std::string path) : m_path(std::move(path)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (m_path.size() >= sizeof address.sun_path) return;
  std::memcpy(address.sun_path, m_path.c_str(), m_path.size() + 1);
  unlink(m_path.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 4) != 0) {
    close(fd);
    return;
  }
  m_listen = fd;
}

UnixServer::~UnixServer() {
  CloseClient();
  if (m_listen >= 0) {
    close(m_listen);
    unlink(m_path.c_str());
  }
}

bool UnixServer::Accept(std::chrono::milliseconds timeout) {
  CloseClient();
  pollfd pfd{m_listen, POLLIN, 0};
  if (poll(&pfd, 1, static_cast<int>(timeout.count())) <= 0) return false;
  m_client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
  return m_client >= 0;
}

bool UnixServer::Write(const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < length) {
    const ssize_t n = send(m_client, bytes + done, length - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::vector<uint8_t> UnixServer::Read(size_t length, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<uint8_t> bytes(length);
  size_t done = 0;
  while (done < length) {
    pollfd pfd{m_client, POLLIN, 0};
    if (poll(&pfd, 1, RemainingMs(deadline)) <= 0) break;
    const ssize_t n = recv(m_client, bytes.data() + done, length - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

bool UnixServer::WaitForClientClose(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    pollfd pfd{m_client, POLLIN, 0};
    if (poll(&pfd, 1, RemainingMs(deadline)) <= 0) return false;
    uint8_t byte;
    const ssize_t n = recv(m_client, &byte, 1, 0);
    if (n == 0) return true;
    if (n < 0 && errno != EINTR) return true;  // reset by the peer
  }
}

void UnixServer::CloseClient() {
  if (m_client >= 0) close(m_client);
  m_client = -1;
}

}  // namespace scrivel::test
