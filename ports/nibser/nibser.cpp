// libNibSer.so: the port module for a pen on a serial line. The line is the
// configuration's SerialDevice, or /dev/ttyS<port> when none is given.

#include <string>

#include "common/penconfig.h"
#include "ports/nibser/serialdevice.h"
#include "ports/portcore/portentrypoints.h"

namespace ports {

namespace {
constexpr uint32_t kDefaultBaudRate = 115200;
}  // namespace

std::unique_ptr<PortDevice> OpenModuleDevice(const PortOpenExParams& params,
                                             uint32_t* deviceType) {
  const std::string path = scrivel::ReadPenConfig().serialDevice.value_or(
      "/dev/ttyS" + std::to_string(params.dwPort));
  auto device =
      SerialDevice::Open(path, params.dwBaudRate != 0 ? params.dwBaudRate : kDefaultBaudRate);
  if (device) *deviceType = PORT_DEVICE_SERIAL_PEN;
  return device;
}

}  // namespace ports
