#pragma once
// The device behind a port module: a serial line, a hidraw node or a socket.
// PortChannel waits on its descriptor and calls Read when it is readable.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace ports {

class PortDevice {
 public:
  virtual ~PortDevice() = default;

  // The descriptor to wait on (non-blocking); the device owns and closes it.
  virtual int Descriptor() const = 0;
  // Reads what is available into `buffer` (at least 4,096 bytes): the number
  // of bytes stored, 0 at end of file, -1 with errno set on failure
  // (EAGAIN / EINTR: nothing now).
  virtual ssize_t Read(uint8_t* buffer, size_t capacity) = 0;
  // Sends every byte; false when the device failed.
  virtual bool Write(const uint8_t* data, size_t length) = 0;
  // The pen's unit of data: 1 for a byte stream, 64 for a device that speaks
  // in 64-byte reports.
  virtual size_t ReportSize() const { return 1; }
  // Changes the line speed where there is one.
  virtual bool SetBaudRate(uint32_t /*baud*/) { return false; }
};

}  // namespace ports
