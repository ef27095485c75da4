#include "ports/nibusb/hidrawdevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/trace.h"
#include "ports/portcore/fdio.h"

namespace ports {

std::unique_ptr<HidrawDevice> HidrawDevice::Open(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    scrivel::Trace("port: cannot open %s (%s)", path.c_str(), std::strerror(errno));
    return nullptr;
  }
  scrivel::Trace("port: %s open", path.c_str());
  return std::unique_ptr<HidrawDevice>(new HidrawDevice(fd));
}

HidrawDevice::~HidrawDevice() { close(m_fd); }

ssize_t HidrawDevice::Read(uint8_t* buffer, size_t capacity) {
  // One report a read: what a hidraw node gives anyway, and whole reports on
  // a node that is a byte stream (an emulated device).
  const ssize_t n = read(m_fd, buffer, std::min(capacity, kReportSize));
  if (n <= 0) return n;
  // Keep the stream in whole reports.
  const size_t padded =
      std::min(capacity / kReportSize * kReportSize,
               (static_cast<size_t>(n) + kReportSize - 1) / kReportSize * kReportSize);
  std::memset(buffer + n, 0, padded - static_cast<size_t>(n));
  return static_cast<ssize_t>(padded);
}

bool HidrawDevice::Write(const uint8_t* data, size_t length) {
  for (size_t done = 0; done < length; done += kReportSize) {
    uint8_t report[1 + kReportSize] = {};  // report number 0, then the data
    std::memcpy(report + 1, data + done, std::min(kReportSize, length - done));
    if (!WriteAll(m_fd, report, sizeof report, WriteMode::File)) return false;
  }
  return true;
}

}  // namespace ports
