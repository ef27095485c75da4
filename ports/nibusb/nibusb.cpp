// libNibUSB.so: the port module for a pen on its USB receiver. The
// configuration's UsbDevice names a hidraw node, "auto" (the receiver found by
// its USB ids, waiting briefly for one being plugged in) or "unix:<path>", the
// socket of a pen emulator; without it there is no port to open.

#include <optional>
#include <string>

#include "common/penconfig.h"
#include "common/trace.h"
#include "ports/nibusb/hidrawdevice.h"
#include "ports/nibusb/socketdevice.h"
#include "ports/portcore/portentrypoints.h"
#include "ports/receiverdiscovery/receiverdiscovery.h"

namespace ports {

namespace {
// How long an open waits for a receiver being plugged in.
constexpr std::chrono::milliseconds kPlugPatience{3000};
}  // namespace

std::unique_ptr<PortDevice> OpenModuleDevice(const PortOpenExParams& /*params*/,
                                             uint32_t* deviceType) {
  const scrivel::PenConfig config = scrivel::ReadPenConfig();
  const std::optional<std::string> name = config.usbDevice;
  if (!name || name->empty()) {
    scrivel::Trace("port: no UsbDevice in %s", scrivel::PenConfigPath().c_str());
    return nullptr;
  }
  std::unique_ptr<PortDevice> device;
  if (name->rfind("unix:", 0) == 0) {
    device = SocketDevice::Connect(name->substr(5));
  } else if (WantsDiscovery(config)) {
    const ReceiverSearch found = AwaitReceiver(config, kPlugPatience);
    if (!found.devnode.empty()) device = HidrawDevice::Open(found.devnode);
  } else {
    device = HidrawDevice::Open(*name);
  }
  if (device) *deviceType = PORT_DEVICE_USB_PEN;
  return device;
}

}  // namespace ports
