#include "nibroute/evdevroutesource.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/trace.h"

namespace nibroute {

namespace {

constexpr const char* kInputFolder = "/dev/input";

// "event12" -> 12, anything else -> -1: devices are tried in kernel order.
int EventNumber(const std::string& name) {
  if (name.rfind("event", 0) != 0 || name.size() == 5) return -1;
  int number = 0;
  for (size_t i = 5; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return -1;
    number = number * 10 + (name[i] - '0');
  }
  return number;
}

// A descriptor that hung up without an error from read (an emulated device
// whose other end closed) reads as "nothing now" through libevdev.
bool HungUp(int fd) {
  pollfd check{fd, POLLIN, 0};
  return poll(&check, 1, 0) > 0 && (check.revents & (POLLHUP | POLLERR)) != 0;
}

}  // namespace

EvdevRouteSource::~EvdevRouteSource() { Stop(); }

bool EvdevRouteSource::LooksLikePen(const libevdev* device) {
  auto* dev = const_cast<libevdev*>(device);
  return libevdev_has_event_code(dev, EV_ABS, ABS_X) &&
         libevdev_has_event_code(dev, EV_ABS, ABS_Y) &&
         (libevdev_has_event_code(dev, EV_KEY, BTN_TOOL_PEN) ||
          libevdev_has_event_code(dev, EV_KEY, BTN_STYLUS));
}

int EvdevRouteSource::TryOpen(const std::string& path, bool requirePen) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    scrivel::Trace("nibroute: cannot open %s (%s)", path.c_str(), std::strerror(errno));
    return -1;
  }
  libevdev* evdev = nullptr;
  const int rc = libevdev_new_from_fd(fd, &evdev);
  if (rc < 0) {
    scrivel::Trace("nibroute: %s is not an input device (%s)", path.c_str(), std::strerror(-rc));
    close(fd);
    return -1;
  }
  const bool hasAxes = libevdev_has_event_code(evdev, EV_ABS, ABS_X) &&
                       libevdev_has_event_code(evdev, EV_ABS, ABS_Y);
  if (!hasAxes || (requirePen && !LooksLikePen(evdev))) {
    libevdev_free(evdev);
    close(fd);
    return -1;
  }
  m_evdev = evdev;
  // libevdev read the device's current state when it opened it.
  m_tracker.emplace(
      EvdevPenTracker::Range{libevdev_get_abs_minimum(evdev, ABS_X),
                             libevdev_get_abs_maximum(evdev, ABS_X)},
      EvdevPenTracker::Range{libevdev_get_abs_minimum(evdev, ABS_Y),
                             libevdev_get_abs_maximum(evdev, ABS_Y)},
      EvdevPenTracker::State{libevdev_get_event_value(evdev, EV_ABS, ABS_X),
                             libevdev_get_event_value(evdev, EV_ABS, ABS_Y),
                             libevdev_get_event_value(evdev, EV_KEY, BTN_TOUCH) != 0,
                             libevdev_get_event_value(evdev, EV_KEY, BTN_STYLUS) != 0});
  scrivel::Trace("nibroute: reading pen events from %s (%s)", path.c_str(),
                 libevdev_get_name(evdev));
  return fd;
}

int EvdevRouteSource::OpenDescriptor() {
  if (m_device != "auto") return TryOpen(m_device, false);
  std::vector<std::pair<int, std::string>> candidates;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kInputFolder, error)) {
    const std::string name = entry.path().filename().string();
    if (const int number = EventNumber(name); number >= 0)
      candidates.emplace_back(number, entry.path().string());
  }
  std::sort(candidates.begin(), candidates.end());
  for (const auto& [number, path] : candidates)
    if (const int fd = TryOpen(path, true); fd >= 0) return fd;
  scrivel::Trace("nibroute: no pen or tablet among the input devices");
  return -1;
}

void EvdevRouteSource::Begin(RouteSink& sink) {
  std::vector<ZMTEvent> events;
  m_tracker->Begin(events);
  if (!events.empty()) sink.Deliver(events.data(), events.size());
}

bool EvdevRouteSource::ReadAvailable(int fd, RouteSink& sink) {
  std::vector<ZMTEvent> events;
  unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
  bool gone = false;
  for (;;) {
    input_event ev{};
    const int rc = libevdev_next_event(m_evdev, flags, &ev);
    if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
      m_tracker->Feed(ev.type, ev.code, ev.value, events);
    } else if (rc == LIBEVDEV_READ_STATUS_SYNC) {
      // Events were dropped: replay the device's state, then read on.
      flags = LIBEVDEV_READ_FLAG_SYNC;
      m_tracker->Feed(ev.type, ev.code, ev.value, events);
    } else if (rc == -EAGAIN) {
      if (flags == LIBEVDEV_READ_FLAG_NORMAL) {
        if (!HungUp(fd)) break;
        scrivel::Trace("nibroute: the pen device hung up");
        gone = true;
        break;
      }
      flags = LIBEVDEV_READ_FLAG_NORMAL;
    } else {
      scrivel::Trace("nibroute: the pen device went away (%s)", std::strerror(-rc));
      gone = true;
      break;
    }
  }
  if (!events.empty()) sink.Deliver(events.data(), events.size());
  return !gone;
}

void EvdevRouteSource::Release() {
  libevdev_free(m_evdev);
  m_evdev = nullptr;
  m_tracker.reset();
}

}  // namespace nibroute
