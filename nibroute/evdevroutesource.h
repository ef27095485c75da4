#pragma once
// Live pen events from a pen tablet through libevdev: "evdev:<device node>",
// or "evdev:auto" for the first /dev/input/event* device whose capabilities
// look like a pen or tablet (absolute X and Y with a pen tool or stylus
// button). The device going away is the receiver going away.

#include <memory>
#include <optional>
#include <string>

#include "nibroute/evdevpentracker.h"
#include "nibroute/routesource.h"

struct libevdev;

namespace nibroute {

class EvdevRouteSource : public RouteSource {
 public:
  // `device` is a device node or "auto".
  explicit EvdevRouteSource(std::string device) : m_device(std::move(device)) {}
  ~EvdevRouteSource() override;

  // True when a device with these capabilities looks like a pen or tablet.
  static bool LooksLikePen(const libevdev* device);

 protected:
  int OpenDescriptor() override;
  void Begin(RouteSink& sink) override;
  bool ReadAvailable(int fd, RouteSink& sink) override;
  void Release() override;

 private:
  // Opens `path`; keeps it when `requirePen` is false or it looks like a pen.
  int TryOpen(const std::string& path, bool requirePen);

  std::string m_device;
  libevdev* m_evdev = nullptr;
  std::optional<EvdevPenTracker> m_tracker;
};

}  // namespace nibroute
