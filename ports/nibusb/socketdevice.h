#pragma once
// A pen emulator's Unix stream socket: plain bytes both ways; the pen's side
// speaks in 64-byte reports, which may arrive split across reads.

#include <memory>
#include <string>

#include "ports/portcore/portdevice.h"

namespace ports {

class SocketDevice : public PortDevice {
 public:
  static constexpr size_t kReportSize = 64;

  // Connects to the socket at `path`; null when nothing listens there.
  static std::unique_ptr<SocketDevice> Connect(const std::string& path);
  ~SocketDevice() override;

  int Descriptor() const override { return m_fd; }
  ssize_t Read(uint8_t* buffer, size_t capacity) override;
  bool Write(const uint8_t* data, size_t length) override;
  size_t ReportSize() const override { return kReportSize; }

 private:
  explicit SocketDevice(int fd) : m_fd(fd) {}

  int m_fd;
};

}  // namespace ports
