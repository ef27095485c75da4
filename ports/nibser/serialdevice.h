#pragma once
// A serial line (or pty) opened raw: 8 data bits, no parity, one stop bit, no
// flow control, at a chosen speed.

#include <memory>
#include <string>

#include "ports/portcore/portdevice.h"

namespace ports {

class SerialDevice : public PortDevice {
 public:
  // Opens `path` with O_RDWR | O_NOCTTY at `baud`; null when it is not a
  // terminal, cannot be opened or the speed is not supported.
  static std::unique_ptr<SerialDevice> Open(const std::string& path, uint32_t baud);
  ~SerialDevice() override;

  int Descriptor() const override { return m_fd; }
  ssize_t Read(uint8_t* buffer, size_t capacity) override;
  bool Write(const uint8_t* data, size_t length) override;
  bool SetBaudRate(uint32_t baud) override;

 private:
  explicit SerialDevice(int fd) : m_fd(fd) {}

  int m_fd;
};

}  // namespace ports
