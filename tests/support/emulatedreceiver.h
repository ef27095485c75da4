#pragma once
// The pen's USB receiver emulated through umockdev: a hidraw node under a USB
// device with vendor and product id 1a2b:00c4, either answering from a script
// of 64-byte reports or driven by the test from the device's side.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/mockdevices.h"

namespace scrivel::test {

class EmulatedReceiver {
 public:
  static constexpr const char* kDevnode = "/dev/hidraw7";
  static constexpr const char* kSyspath =
      "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/0003:1A2B:00C4.0007/hidraw/hidraw7";
  static constexpr const char* kVendorId = "1a2b";
  static constexpr const char* kProductId = "00c4";

  // The pen configuration that finds this receiver by its ids.
  static std::string AutoConfig();

  explicit EmulatedReceiver(MockDevices& devices);
  bool ok() const { return m_ok; }

  // Tells listening programs that the receiver was plugged in.
  void AnnouncePlugIn();

  // A script line for what the host sends (one report: number 0, then the
  // command padded to 64 bytes) and for a report the pen sends.
  static std::string HostSends(const std::vector<uint8_t>& command);
  static std::string PenSends(const std::vector<uint8_t>& report64);

  // From the device's side: the next report the host wrote (its 64 data
  // bytes), and a report sent to the host.
  std::vector<uint8_t> ReadHostReport();
  bool SendReport(const std::vector<uint8_t>& report64);
  // The receiver is unplugged: the node hangs up under its reader.
  void Unplug();

 private:
  int Side();

  MockDevices& m_devices;
  bool m_ok = false;
};

}  // namespace scrivel::test
