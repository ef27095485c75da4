#pragma once
// The pen's USB receiver as a hidraw node. The pen speaks in 64-byte reports
// without report numbers: each read returns one report (padded with zeros to
// 64 bytes should the device send less); data to the pen goes out in 64-byte
// reports, each written with the leading report number 0 and zero padding.

#include <memory>
#include <string>

#include "ports/portcore/portdevice.h"

namespace ports {

class HidrawDevice : public PortDevice {
 public:
  static constexpr size_t kReportSize = 64;

  // Opens the node read-write; null when it cannot be opened.
  static std::unique_ptr<HidrawDevice> Open(const std::string& path);
  ~HidrawDevice() override;

  int Descriptor() const override { return m_fd; }
  ssize_t Read(uint8_t* buffer, size_t capacity) override;
  bool Write(const uint8_t* data, size_t length) override;
  size_t ReportSize() const override { return kReportSize; }

 private:
  explicit HidrawDevice(int fd) : m_fd(fd) {}

  int m_fd;
};

}  // namespace ports
