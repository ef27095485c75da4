#include "penemu/livepen.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "common/trace.h"
#include "penemu/pacer.h"
#include "penemu/stopsignal.h"

namespace scrivel::penemu {

LivePen::LivePen(std::vector<LiveEvent> events, double eventsPerSecond)
    : m_events(std::move(events)), m_rate(eventsPerSecond > 0 ? eventsPerSecond : kDefaultRate) {}

int LivePen::run() {
  return m_listener.serveHosts([this](int fd) { return serve(fd) != End::Stop; }, "live");
}

LivePen::End LivePen::serve(int fd) {
  using Clock = Pacer::Clock;
  const int stopFd = StopSignal::Instance().fd();
  Pacer pacer(m_rate);
  std::vector<uint8_t> out;
  size_t next = 0;
  bool reported = false;
  for (;;) {
    if (out.empty() && next < m_events.size()) {
      const size_t n = pacer.allowance(m_events.size() - next, Clock::now());
      EncodeLiveEvents(m_events.data() + next, n, out);
      pacer.sent(n);
      next += n;
    }
    if (!out.empty()) {
      const ssize_t written = send(fd, out.data(), out.size(), MSG_NOSIGNAL);
      if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return End::HangUp;
      if (written > 0) out.erase(out.begin(), out.begin() + written);
    }
    if (out.empty() && next == m_events.size() && !reported) {
      reported = true;
      std::printf("penemu: live pen wrote %zu strokes (%zu events)\n", StrokeCount(m_events),
                  m_events.size());
      std::fflush(stdout);
    }
    int timeout = -1;
    if (!out.empty()) {
      timeout = -1;  // until the host can take more
    } else if (next < m_events.size()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pacer.due() - Clock::now());
      timeout = int(std::clamp<int64_t>(wait.count(), 0, 1000));
    }
    pollfd fds[2] = {{fd, short(POLLIN | (out.empty() ? 0 : POLLOUT)), 0}, {stopFd, POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0) {
      if (errno == EINTR) continue;
      return End::HangUp;
    }
    if (fds[1].revents) return End::Stop;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      // The host sends nothing; whatever comes is read away, and 0 is its hang-up.
      uint8_t sink[256];
      const ssize_t n = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        return End::HangUp;
    }
  }
}

}  // namespace scrivel::penemu
