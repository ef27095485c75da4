#include "tests/penemu/penhost.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace scrivel::test {

namespace {

Bytes ReadFd(int fd, size_t n, std::chrono::milliseconds timeout, bool* closed) {
  Bytes out;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (out.size() < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, int(left.count())) <= 0) break;
    uint8_t buffer[65536];
    const ssize_t got = ::read(fd, buffer, std::min(sizeof buffer, n - out.size()));
    if (got <= 0) {
      if (closed) *closed = true;
      break;
    }
    out.insert(out.end(), buffer, buffer + got);
  }
  return out;
}

Bytes DrainFd(int fd, std::chrono::milliseconds quiet, bool* closed) {
  Bytes out;
  for (;;) {
    bool end = false;
    Bytes more = ReadFd(fd, 1 << 20, quiet, &end);
    out.insert(out.end(), more.begin(), more.end());
    if (end) {
      if (closed) *closed = true;
      return out;
    }
    if (more.empty()) return out;
  }
}

void WriteFd(int fd, const Bytes& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += size_t(n);
  }
}

}  // namespace

Penemu::Penemu(const std::vector<std::string>& args)
    : m_process(std::make_unique<ChildProcess>(AppPath("penemu"), args)) {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (m_process->stdoutText().find('\n') != std::string::npos) {
      m_ready = true;
      return;
    }
    if (!m_process->running()) return;
    std::this_thread::sleep_for(5ms);
  }
}

std::string Penemu::readyLine() const { return m_process->stdoutText(); }

UsbHost::UsbHost(const std::string& socketPath) {
  m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr = {};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
  if (connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(m_fd);
    m_fd = -1;
  }
}

UsbHost::~UsbHost() {
  if (m_fd >= 0) close(m_fd);
}

void UsbHost::send(const Bytes& bytes) { WriteFd(m_fd, bytes); }

Bytes UsbHost::read(size_t n, std::chrono::milliseconds timeout) { return ReadFd(m_fd, n, timeout, nullptr); }

Bytes UsbHost::drain(std::chrono::milliseconds quiet, bool* closed) { return DrainFd(m_fd, quiet, closed); }

std::optional<size_t> UsbHost::packetCount() {
  send({0xB5});
  const Bytes r = read(64);
  if (r.size() != 64 || r[0] != 0xAA || r[4] != 0xAA) return std::nullopt;
  return size_t(r[5]) << 8 | r[6];
}

Bytes UsbHost::download() {
  const size_t count = packetCount().value_or(0);
  send({0xB6});
  const Bytes stream = read(count * 64);
  send({0xB6});
  Bytes image;
  for (size_t i = 0; i + 64 <= stream.size(); i += 64) image.insert(image.end(), stream.begin() + long(i) + 2, stream.begin() + long(i) + 64);
  return image;
}

SerialHost::SerialHost(const std::string& link) {
  m_fd = open(link.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio;
  if (m_fd >= 0 && tcgetattr(m_fd, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(m_fd, TCSANOW, &tio);
  }
}

SerialHost::~SerialHost() {
  if (m_fd >= 0) close(m_fd);
}

void SerialHost::send(const Bytes& bytes) { WriteFd(m_fd, bytes); }

Bytes SerialHost::read(size_t n, std::chrono::milliseconds timeout) { return ReadFd(m_fd, n, timeout, nullptr); }

Bytes SerialHost::drain(std::chrono::milliseconds quiet) { return DrainFd(m_fd, quiet, nullptr); }

Bytes SerialHost::readFramed(std::chrono::milliseconds timeout) {
  Bytes out = read(1, timeout);
  if (out.size() != 1) return {};
  const Bytes rest = read(out[0], timeout);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

void SerialHost::enterCommandMode() {
  send({0xFF});
  read(1);
  send({0xA0, 0x01});
  read(3);
}

Bytes SerialHost::fetchNote(uint16_t n) {
  const auto lo = uint8_t(n), hi = uint8_t(n >> 8);
  send({0xB6, lo, hi});
  const Bytes info = read(7);
  if (info.size() != 7) return {};
  const size_t length = size_t(info[1]) | size_t(info[2]) << 8 | size_t(info[3]) << 16 | size_t(info[4]) << 24;
  Bytes note;
  send({0xB7, lo, hi});
  while (note.size() < length) {
    const Bytes packet = readFramed(5s);
    if (packet.size() < 2 || Xor(packet, 1, packet.size()) != 0) break;
    note.insert(note.end(), packet.begin() + 1, packet.end() - 1);
    send({0xB8, 0x00});
  }
  send({0xB8, 0x03});
  return note;
}

uint8_t Xor(const Bytes& bytes, size_t begin, size_t end) {
  uint8_t x = 0;
  for (size_t i = begin; i < end; ++i) x ^= bytes[i];
  return x;
}

Bytes MakeImage(const std::vector<Note>& notes) {
  Bytes image;
  for (const Note& note : notes) {
    const size_t next = image.size() + 14 + note.samples.size() * 4;
    const uint32_t t = note.timeStamp;
    image.insert(image.end(), {uint8_t(next), uint8_t(next >> 8), uint8_t(next >> 16), note.flags, 0, 0,
                               uint8_t(t), uint8_t(t >> 8), uint8_t(t >> 16), uint8_t(t >> 24), 0, 0, 0, 0});
    for (const auto& s : note.samples) {
      const auto x = uint16_t(s[0]), y = uint16_t(s[1]);
      image.insert(image.end(), {uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)});
    }
  }
  return image;
}

std::vector<Note> DecodeNotes(const Bytes& image) {
  std::vector<Note> notes;
  size_t p = 0;
  while (p + 14 <= image.size()) {
    const size_t next = size_t(image[p]) | size_t(image[p + 1]) << 8 | size_t(image[p + 2]) << 16;
    if (next <= p || next > image.size() || next >= 0x1FFFFF) break;
    Note note;
    note.flags = image[p + 3];
    note.timeStamp = uint32_t(image[p + 6]) | uint32_t(image[p + 7]) << 8 | uint32_t(image[p + 8]) << 16 |
                     uint32_t(image[p + 9]) << 24;
    for (size_t q = p + 14; q + 4 <= next; q += 4)
      note.samples.push_back({int16_t(image[q] | image[q + 1] << 8), int16_t(image[q + 2] | image[q + 3] << 8)});
    notes.push_back(std::move(note));
    p = next;
  }
  return notes;
}

Note MakeNote(size_t count, uint8_t flags, uint32_t timeStamp, int seed) {
  Note note{flags, timeStamp, {}};
  for (size_t i = 0; i < count; ++i) {
    if (i % 10 == 9 || i + 1 == count)
      note.samples.push_back({0, -1});
    else
      note.samples.push_back({int16_t(-4000 + int(i) * 7 + seed), int16_t(500 + int(i) * 3 + seed * 11)});
  }
  return note;
}

}  // namespace scrivel::test
