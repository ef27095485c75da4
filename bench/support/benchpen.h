#pragma once
// The pen emulator for benchmarks: a `penemu usb` process on a socket, and a
// private pen configuration that points this process at it.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

class BenchPen {
 public:
  // Starts "<app>/penemu usb --socket <socket> <memory...>" and waits for its ready line.
  BenchPen(const std::string& socket, const std::vector<std::string>& memory);
  ~BenchPen();
  BenchPen(const BenchPen&) = delete;
  BenchPen& operator=(const BenchPen&) = delete;

  // "penemu: usb pen with N notes (P packets) on PATH"
  const std::string& ready() const { return m_ready; }
  std::optional<long> Packets() const;

 private:
  pid_t m_pid = -1;
  std::string m_ready;
};

// Writes "<home>/Tavolo Technologies/VeloRoute.conf" for the USB socket and
// points XDG_CONFIG_HOME at it.
bool WriteConfig(const std::string& home, const std::string& socket);
