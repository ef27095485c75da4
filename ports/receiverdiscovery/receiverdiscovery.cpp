#include "ports/receiverdiscovery/receiverdiscovery.h"

#include <poll.h>

#include <cctype>
#include <cstdio>
#include <memory>

#include "common/trace.h"

#ifdef SCRIVEL_HAVE_LIBUDEV
#include <libudev.h>
#endif

namespace ports {

namespace {

struct UsbIds {
  std::string vendor, product;  // four lower-case hexadecimal digits each
};

// "1A2B", "0x1a2b" -> "1a2b"; empty when not a 16-bit hexadecimal number.
std::string NormaliseId(std::string text) {
  if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) text = text.substr(2);
  if (text.empty() || text.size() > 4) return {};
  for (char& c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return std::string(4 - text.size(), '0') + text;
}

UsbIds ConfiguredIds(const scrivel::PenConfig& config) {
  return {NormaliseId(config.usbVendorId.value_or(SCRIVEL_USB_VENDOR_ID)),
          NormaliseId(config.usbProductId.value_or(SCRIVEL_USB_PRODUCT_ID))};
}

ReceiverSearch Problem(std::string text) {
  scrivel::Trace("port: %s", text.c_str());
  return {{}, std::move(text)};
}

#ifdef SCRIVEL_HAVE_LIBUDEV

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// The hidraw device's node when its USB device carries `ids`, else empty.
std::string MatchingNode(udev_device* hidraw, const UsbIds& ids) {
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device");
  if (usb == nullptr) return {};
  const char* vendor = udev_device_get_sysattr_value(usb, "idVendor");
  const char* product = udev_device_get_sysattr_value(usb, "idProduct");
  if (vendor == nullptr || product == nullptr) return {};
  if (NormaliseId(vendor) != ids.vendor || NormaliseId(product) != ids.product) return {};
  const char* node = udev_device_get_devnode(hidraw);
  return node != nullptr ? node : std::string();
}

std::string Enumerate(udev* context, const UsbIds& ids) {
  UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context));
  if (!enumerate) return {};
  udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw");
  udev_enumerate_scan_devices(enumerate.get());
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
    UdevPtr<udev_device> device(
        udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
    if (!device) continue;
    if (std::string node = MatchingNode(device.get(), ids); !node.empty()) return node;
  }
  return {};
}

#endif

std::string NotConnected(const UsbIds& ids) {
  return "no pen receiver with USB id " + ids.vendor + ":" + ids.product + " is connected";
}

}  // namespace

bool WantsDiscovery(const scrivel::PenConfig& config) {
  return config.usbDevice.value_or("") == "auto";
}

ReceiverSearch AwaitReceiver(const scrivel::PenConfig& config, std::chrono::milliseconds patience) {
  const UsbIds ids = ConfiguredIds(config);
  if (ids.vendor.empty() || ids.product.empty())
    return Problem("UsbDevice=auto needs the receiver's USB ids: set UsbVendorId and "
                   "UsbProductId (hexadecimal) in " + scrivel::PenConfigPath());
#ifdef SCRIVEL_HAVE_LIBUDEV
  UdevPtr<udev> context(udev_new());
  if (!context) return Problem("UsbDevice=auto cannot reach libudev");
  // The monitor listens before the enumeration, so a receiver plugged in
  // between the two is not missed.
  UdevPtr<udev_monitor> monitor;
  if (patience.count() > 0) {
    monitor.reset(udev_monitor_new_from_netlink(context.get(), "udev"));
    if (monitor && (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "hidraw", nullptr) < 0 ||
                    udev_monitor_enable_receiving(monitor.get()) < 0))
      monitor.reset();
  }
  if (std::string node = Enumerate(context.get(), ids); !node.empty()) return {node, {}};
  if (!monitor) return Problem(NotConnected(ids));
  scrivel::Trace("port: waiting for a pen receiver %s:%s", ids.vendor.c_str(), ids.product.c_str());
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd fd{udev_monitor_get_fd(monitor.get()), POLLIN, 0};
    if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
    UdevPtr<udev_device> device(udev_monitor_receive_device(monitor.get()));
    if (!device) continue;
    const char* action = udev_device_get_action(device.get());
    if (action == nullptr || std::string(action) != "add") continue;
    if (std::string node = MatchingNode(device.get(), ids); !node.empty()) return {node, {}};
  }
  return Problem(NotConnected(ids));
#else
  (void)patience;
  return Problem("this build has no libudev, so UsbDevice=auto cannot look for the receiver: "
                 "set UsbDevice to its hidraw node (/dev/hidraw<N>)");
#endif
}

ReceiverSearch FindReceiver(const scrivel::PenConfig& config) {
  return AwaitReceiver(config, std::chrono::milliseconds(0));
}

}  // namespace ports
