#pragma once
// A listening Unix stream socket at a path: created under a temporary name
// and renamed once listening, so the path never exists without a listener
// behind it; removed again when the listener goes, while it is still ours.

#include <functional>
#include <string>
#include <sys/types.h>

namespace scrivel::penemu {

class UnixListener {
 public:
  UnixListener() = default;
  ~UnixListener();
  UnixListener(const UnixListener&) = delete;
  UnixListener& operator=(const UnixListener&) = delete;

  // Creates the socket at `path` (replacing a stale socket) and listens.
  bool listen(const std::string& path, std::string& error);
  // The listening descriptor (non-blocking), -1 before listen().
  int fd() const { return m_listen; }
  // A waiting host's connection (non-blocking, close-on-exec), or -1.
  int accept() const;

  // Serves one host at a time until a stop is requested or `serve` returns
  // false: waits for a connection, hands it to `serve`, closes it. `who`
  // names the pen in trace lines. Returns the process's exit code.
  int serveHosts(const std::function<bool(int fd)>& serve, const char* who) const;

 private:
  std::string m_path;
  int m_listen = -1;
  ino_t m_inode = 0;
};

}  // namespace scrivel::penemu
