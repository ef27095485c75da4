#include "penemu/stopsignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace scrivel::penemu {

namespace {

int g_stopWrite = -1;
volatile sig_atomic_t g_stopRequested = 0;

void OnStop(int) {
  const int saved = errno;
  g_stopRequested = 1;
  const char byte = 1;
  [[maybe_unused]] const auto ignored = write(g_stopWrite, &byte, 1);
  errno = saved;
}

}  // namespace

StopSignal& StopSignal::Instance() {
  static StopSignal instance;
  return instance;
}

StopSignal::StopSignal() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    m_read = fds[0];
    g_stopWrite = fds[1];
  }
  struct sigaction action = {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

bool StopSignal::requested() const { return g_stopRequested != 0; }

}  // namespace scrivel::penemu
