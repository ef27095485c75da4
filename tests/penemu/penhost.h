#pragma once
// Test helpers that play the host against a running penemu: start the
// emulator and wait for its ready line, talk to it over its Unix socket or its
// pty link, build memory images by hand and walk their notes.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

// penemu started with `args`; waits for its ready line on stdout.
class Penemu {
 public:
  explicit Penemu(const std::vector<std::string>& args);
  bool ready() const { return m_ready; }
  std::string readyLine() const;
  ChildProcess& process() { return *m_process; }

 private:
  std::unique_ptr<ChildProcess> m_process;
  bool m_ready = false;
};

// A host connected to the USB pen's socket.
class UsbHost {
 public:
  explicit UsbHost(const std::string& socketPath);
  ~UsbHost();
  bool connected() const { return m_fd >= 0; }
  void send(const Bytes& bytes);
  // Exactly n bytes, or what arrived before the time-out or the end.
  Bytes read(size_t n, std::chrono::milliseconds timeout = 10s);
  // Reads until nothing arrives for `quiet`; true when the pen closed the link.
  Bytes drain(std::chrono::milliseconds quiet, bool* closed = nullptr);
  // The packet count from a B5 reply; nullopt when none came.
  std::optional<size_t> packetCount();
  // Downloads the whole stream (B5, B6, all packets, B6) and returns the image
  // with the packet numbers stripped.
  Bytes download();

 private:
  int m_fd = -1;
};

// A host on the serial pen's pty link (opened raw).
class SerialHost {
 public:
  explicit SerialHost(const std::string& link);
  ~SerialHost();
  bool opened() const { return m_fd >= 0; }
  void send(const Bytes& bytes);
  Bytes read(size_t n, std::chrono::milliseconds timeout = 10s);
  Bytes drain(std::chrono::milliseconds quiet);
  // A length-prefixed packet or reply: the length byte and what follows.
  Bytes readFramed(std::chrono::milliseconds timeout = 10s);
  // Wake-up and command mode, as a host starts every exchange.
  void enterCommandMode();
  // Note n fetched packet by packet, acknowledging each; XOR bytes removed.
  Bytes fetchNote(uint16_t n);

 private:
  int m_fd = -1;
};

uint8_t Xor(const Bytes& bytes, size_t begin, size_t end);

// One note of a memory image.
struct Note {
  uint8_t flags = 0;
  uint32_t timeStamp = 0;
  std::vector<std::array<int16_t, 2>> samples;
};
// Notes one after another with their links, as the pen stores them.
Bytes MakeImage(const std::vector<Note>& notes);
// Walks the links from the start of an image.
std::vector<Note> DecodeNotes(const Bytes& image);
// A note of `count` samples: strokes of 9 points and a pen-up.
Note MakeNote(size_t count, uint8_t flags, uint32_t timeStamp, int seed);

}  // namespace scrivel::test
