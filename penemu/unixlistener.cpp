#include "penemu/unixlistener.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "penemu/stopsignal.h"

namespace scrivel::penemu {

UnixListener::~UnixListener() {
  if (m_listen >= 0) close(m_listen);
  // Remove the socket only while it is still ours.
  struct stat st;
  if (!m_path.empty() && lstat(m_path.c_str(), &st) == 0 && st.st_ino == m_inode &&
      S_ISSOCK(st.st_mode))
    unlink(m_path.c_str());
}

bool UnixListener::listen(const std::string& path, std::string& error) {
  sockaddr_un addr = {};
  addr.sun_family = AF_UNIX;
  const std::string temp = path + ".penemu-" + std::to_string(getpid());
  if (temp.size() >= sizeof addr.sun_path) {
    error = "socket path too long: " + path;
    return false;
  }
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && !S_ISSOCK(st.st_mode)) {
    error = path + " exists and is not a socket";
    return false;
  }
  std::memcpy(addr.sun_path, temp.c_str(), temp.size() + 1);
  m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  unlink(temp.c_str());
  if (m_listen < 0 || bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(m_listen, 4) != 0) {
    error = "cannot listen on " + path + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  if (rename(temp.c_str(), path.c_str()) != 0 || lstat(path.c_str(), &st) != 0) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  m_path = path;
  m_inode = st.st_ino;
  return true;
}

int UnixListener::accept() const {
  return accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
}

int UnixListener::serveHosts(const std::function<bool(int fd)>& serve, const char* who) const {
  const int stopFd = StopSignal::Instance().fd();
  while (!StopSignal::Instance().requested()) {
    pollfd fds[2] = {{m_listen, POLLIN, 0}, {stopFd, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      std::perror("penemu: poll");
      return 1;
    }
    if (fds[1].revents) break;
    if (!(fds[0].revents & POLLIN)) continue;
    const int fd = accept();
    if (fd < 0) continue;
    Trace("penemu: %s host connected", who);
    const bool goOn = serve(fd);
    close(fd);
    Trace("penemu: %s host gone", who);
    if (!goOn) break;
  }
  return 0;
}

}  // namespace scrivel::penemu
