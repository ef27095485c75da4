#include "tests/support/emulatedreceiver.h"

#include <poll.h>
#include <unistd.h>

namespace scrivel::test {

namespace {

constexpr size_t kReport = 64;

constexpr const char* kDescription =
    "P: /devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/0003:1A2B:00C4.0007/hidraw/hidraw7\n"
    "N: hidraw7\n"
    "E: DEVNAME=/dev/hidraw7\n"
    "E: MAJOR=240\n"
    "E: MINOR=7\n"
    "E: SUBSYSTEM=hidraw\n"
    "A: dev=240:7\n"
    "\n"
    "P: /devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/0003:1A2B:00C4.0007\n"
    "E: HID_ID=0003:00001A2B:000000C4\n"
    "E: HID_NAME=Scrivel Test Receiver\n"
    "E: SUBSYSTEM=hid\n"
    "\n"
    "P: /devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0\n"
    "E: DEVTYPE=usb_interface\n"
    "E: INTERFACE=3/0/0\n"
    "E: SUBSYSTEM=usb\n"
    "\n"
    "P: /devices/pci0000:00/0000:00:14.0/usb1/1-3\n"
    "E: DEVTYPE=usb_device\n"
    "E: PRODUCT=1a2b/c4/100\n"
    "E: SUBSYSTEM=usb\n"
    "A: idVendor=1a2b\n"
    "A: idProduct=00c4\n"
    "A: product=Scrivel Test Receiver\n";

std::string Bytes(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::string EmulatedReceiver::AutoConfig() {
  return std::string("Port=-1\nUsbDevice=auto\nUsbVendorId=") + kVendorId +
         "\nUsbProductId=" + kProductId + "\n";
}

EmulatedReceiver::EmulatedReceiver(MockDevices& devices) : m_devices(devices) {
  m_ok = m_devices.Add(kDescription);
}

void EmulatedReceiver::AnnouncePlugIn() { m_devices.Uevent(kSyspath, "add"); }

std::string EmulatedReceiver::HostSends(const std::vector<uint8_t>& command) {
  std::vector<uint8_t> report(1 + kReport, 0);
  std::copy(command.begin(), command.end(), report.begin() + 1);
  return "w 0 " + ScriptBytes(Bytes(report)) + "\n";
}

std::string EmulatedReceiver::PenSends(const std::vector<uint8_t>& report64) {
  return "r 0 " + ScriptBytes(Bytes(report64)) + "\n";
}

int EmulatedReceiver::Side() { return m_devices.DeviceSide(kDevnode); }

std::vector<uint8_t> EmulatedReceiver::ReadHostReport() {
  std::vector<uint8_t> report;
  uint8_t buffer[1 + kReport];
  while (report.size() < sizeof buffer) {
    pollfd fd{Side(), POLLIN, 0};
    if (poll(&fd, 1, 10000) <= 0) return {};
    const ssize_t n = read(Side(), buffer, sizeof buffer - report.size());
    if (n <= 0) return {};
    report.insert(report.end(), buffer, buffer + n);
  }
  return std::vector<uint8_t>(report.begin() + 1, report.end());
}

bool EmulatedReceiver::SendReport(const std::vector<uint8_t>& report64) {
  return write(Side(), report64.data(), report64.size()) ==
         static_cast<ssize_t>(report64.size());
}

void EmulatedReceiver::Unplug() { m_devices.Unplug(kDevnode, kSyspath); }

}  // namespace scrivel::test
