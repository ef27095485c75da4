#pragma once
// What the port module tests share: a module loaded from the app folder with
// its nine entry points, a private pen configuration, and a reader that
// collects bytes the way the download library does.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/portmodule.h"
#include "tests/ports/portevents.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

struct PortModule {
  void* handle = nullptr;
  PortOpenFn open = nullptr;
  PortOpenExFn openEx = nullptr;
  PortCloseFn close = nullptr;
  PortRetrieveDataFn retrieve = nullptr;
  GetPortDLLVersionFn version = nullptr;
  SetPortBaudRateFn setBaudRate = nullptr;
  InitPortCallBackFn initCallBack = nullptr;
  PortSendDataFn send = nullptr;
  PortGetVersionExFn versionEx = nullptr;

  // dlopen of the module in the app folder and dlsym of every entry point.
  // Failures are reported as test failures; the module stays loaded.
  static PortModule Load(const std::string& fileName);
  bool complete() const;

  // PortOpenEx with zeroed parameters, the recorder's callback, port and baud;
  // dwDeviceType goes in from and comes back to *deviceType.
  int OpenEx(uint32_t port, uint32_t baud, uint32_t* deviceType = nullptr) const;
  // One PortRetrieveData with `capacity`; checks that nothing beyond the
  // capacity was written.
  std::vector<uint8_t> Retrieve(uint32_t capacity) const;
  void Send(const std::vector<uint8_t>& bytes) const { send(bytes.data(), bytes.size()); }
};

// Waits for data and retrieves with `capacity` until `total` bytes came, as
// the download library does (one retrieval per signal). Stops early when a
// wait times out. Every retrieval must respect the capacity and, when
// `wholeReports`, deliver whole 64-byte reports.
std::vector<uint8_t> Collect(const PortModule& port, size_t total, uint32_t capacity,
                             bool wholeReports = false);

// Points the pen configuration at a private folder and writes its [General]
// section (empty: no file).
void UsePenConfig(const TempDir& dir, const std::string& lines);

// `count` bytes that count up from `first`.
std::vector<uint8_t> Pattern(size_t count, uint32_t first = 0);

}  // namespace scrivel::test
