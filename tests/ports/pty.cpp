#include "tests/ports/pty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace scrivel::test {

Pty::Pty() {
  char name[256] = {};
  if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
    m_master = m_slave = -1;
    return;
  }
  m_name = name;
  fcntl(m_master, F_SETFD, FD_CLOEXEC);
  fcntl(m_slave, F_SETFD, FD_CLOEXEC);
}

Pty::~Pty() {
  CloseMaster();
  if (m_slave >= 0) close(m_slave);
}

bool Pty::Write(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::vector<uint8_t> Pty::Read(size_t length, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<uint8_t> bytes(length);
  size_t done = 0;
  while (done < length) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd pfd{m_master, POLLIN, 0};
    if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t n = read(m_master, bytes.data() + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

void Pty::CloseMaster() {
  if (m_master >= 0) close(m_master);
  m_master = -1;
}

bool Pty::MakeRaw() {
  termios tio{};
  if (tcgetattr(m_slave, &tio) != 0) return false;
  cfmakeraw(&tio);
  return tcsetattr(m_slave, TCSANOW, &tio) == 0;
}

}  // namespace scrivel::test
