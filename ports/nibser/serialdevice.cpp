#include "ports/nibser/serialdevice.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/trace.h"
#include "ports/portcore/fdio.h"

namespace ports {

namespace {

bool SpeedOf(uint32_t baud, speed_t* speed) {
  struct Row {
    uint32_t baud;
    speed_t speed;
  };
  static constexpr Row kSpeeds[] = {
      {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
      {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
      {230400, B230400}, {460800, B460800}, {921600, B921600},
  };
  for (const Row& row : kSpeeds) {
    if (row.baud == baud) {
      *speed = row.speed;
      return true;
    }
  }
  return false;
}

// Raw 8N1 without flow control at `baud`.
bool Configure(int fd, uint32_t baud) {
  speed_t speed;
  if (!SpeedOf(baud, &speed)) {
    scrivel::Trace("port: %u baud is not supported", baud);
    return false;
  }
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    scrivel::Trace("port: not a terminal (%s)", std::strerror(errno));
    return false;
  }
  cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0 ||
      tcsetattr(fd, TCSANOW, &tio) != 0) {
    scrivel::Trace("port: cannot set up the line (%s)", std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<SerialDevice> SerialDevice::Open(const std::string& path, uint32_t baud) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    scrivel::Trace("port: cannot open %s (%s)", path.c_str(), std::strerror(errno));
    return nullptr;
  }
  if (!Configure(fd, baud)) {
    close(fd);
    return nullptr;
  }
  scrivel::Trace("port: %s open at %u baud", path.c_str(), baud);
  return std::unique_ptr<SerialDevice>(new SerialDevice(fd));
}

SerialDevice::~SerialDevice() { close(m_fd); }

ssize_t SerialDevice::Read(uint8_t* buffer, size_t capacity) {
  return read(m_fd, buffer, capacity);
}

bool SerialDevice::Write(const uint8_t* data, size_t length) {
  return WriteAll(m_fd, data, length, WriteMode::File);
}

bool SerialDevice::SetBaudRate(uint32_t baud) { return Configure(m_fd, baud); }

}  // namespace ports
