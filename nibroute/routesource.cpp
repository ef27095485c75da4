#include "nibroute/routesource.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "common/trace.h"
#include "nibroute/unixroutesource.h"
#ifdef NIBROUTE_HAVE_EVDEV
#include "nibroute/evdevroutesource.h"
#endif

namespace nibroute {

namespace {
thread_local bool t_onSourceThread = false;
}  // namespace

RouteSource::RouteSource() = default;

RouteSource::~RouteSource() { Stop(); }

bool RouteSource::OnSourceThread() { return t_onSourceThread; }

bool RouteSource::Open() {
  if (m_fd >= 0) return true;
  m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (m_wake < 0) {
    scrivel::Trace("nibroute: eventfd failed (errno %d)", errno);
    return false;
  }
  m_fd = OpenDescriptor();
  if (m_fd < 0) {
    close(m_wake);
    m_wake = -1;
    return false;
  }
  return true;
}

bool RouteSource::Start(RouteSink& sink) {
  if (m_fd < 0) return false;
  if (m_thread.joinable()) return true;
  try {
    m_thread = std::thread(&RouteSource::Run, this, &sink);
  } catch (const std::system_error& error) {
    scrivel::Trace("nibroute: cannot start the source thread: %s", error.what());
    return false;
  }
  return true;
}

void RouteSource::Stop() {
  if (m_thread.joinable()) {
    const uint64_t one = 1;
    if (write(m_wake, &one, sizeof one) < 0)
      scrivel::Trace("nibroute: cannot wake the source thread (errno %d)", errno);
    m_thread.join();
  }
  if (m_fd >= 0) {
    Release();
    close(m_fd);
    m_fd = -1;
  }
  if (m_wake >= 0) {
    close(m_wake);
    m_wake = -1;
  }
}

void RouteSource::Run(RouteSink* sink) {
  t_onSourceThread = true;
  sink->SourceArrived();
  Begin(*sink);
  for (;;) {
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
    const int n = poll(fds, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      scrivel::Trace("nibroute: poll failed (errno %d)", errno);
      sink->SourceGone();
      break;
    }
    if (fds[1].revents != 0) break;  // Stop
    if (fds[0].revents != 0 && !ReadAvailable(m_fd, *sink)) {
      sink->SourceGone();
      break;
    }
  }
}

std::unique_ptr<RouteSource> MakeRouteSource(const std::string& name) {
  if (name.rfind("unix:", 0) == 0) return std::make_unique<UnixRouteSource>(name.substr(5));
#ifdef NIBROUTE_HAVE_EVDEV
  if (name.rfind("evdev:", 0) == 0) return std::make_unique<EvdevRouteSource>(name.substr(6));
#endif
  scrivel::Trace("nibroute: route source \"%s\" is not supported", name.c_str());
  return nullptr;
}

}  // namespace nibroute
