#include "tests/ports/porttestsupport.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/process.h"

namespace scrivel::test {

namespace {

template <typename Fn>
void Bind(void* handle, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(dlsym(handle, name));
  EXPECT_NE(fn, nullptr) << name << " is not exported";
}

}  // namespace

PortModule PortModule::Load(const std::string& fileName) {
  PortModule module;
  const std::string path = AppPath(fileName);
  module.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module.handle == nullptr) {
    ADD_FAILURE() << "dlopen " << path << ": " << dlerror();
    return module;
  }
  Bind(module.handle, "PortOpen", module.open);
  Bind(module.handle, "PortOpenEx", module.openEx);
  Bind(module.handle, "PortClose", module.close);
  Bind(module.handle, "PortRetrieveData", module.retrieve);
  Bind(module.handle, "GetPortDLLVersion", module.version);
  Bind(module.handle, "SetPortBaudRate", module.setBaudRate);
  Bind(module.handle, "InitPortCallBack", module.initCallBack);
  Bind(module.handle, "PortSendData", module.send);
  Bind(module.handle, "PortGetVersionEx", module.versionEx);
  return module;
}

bool PortModule::complete() const {
  return open && openEx && close && retrieve && version && setBaudRate && initCallBack && send &&
         versionEx;
}

int PortModule::OpenEx(uint32_t port, uint32_t baud, uint32_t* deviceType) const {
  PortOpenExParams params{};
  params.cbSize = sizeof params;
  params.pfnEvent = &PortEvents::Callback;
  params.dwPort = port;
  params.dwBaudRate = baud;
  if (deviceType != nullptr) params.dwDeviceType = *deviceType;
  const int result = openEx(&params);
  if (deviceType != nullptr) *deviceType = params.dwDeviceType;
  return result;
}

std::vector<uint8_t> PortModule::Retrieve(uint32_t capacity) const {
  constexpr size_t kGuard = 256;
  constexpr uint8_t kCanary = 0xC5;
  std::vector<uint8_t> buffer(capacity + kGuard, kCanary);
  uint32_t length = capacity;
  retrieve(buffer.data(), &length);
  EXPECT_LE(length, capacity) << "more delivered than asked for";
  for (size_t i = capacity; i < buffer.size(); ++i)
    if (buffer[i] != kCanary) {
      ADD_FAILURE() << "byte " << i << " written beyond a capacity of " << capacity;
      break;
    }
  buffer.resize(std::min<size_t>(length, capacity));
  return buffer;
}

std::vector<uint8_t> Collect(const PortModule& port, size_t total, uint32_t capacity,
                             bool wholeReports) {
  std::vector<uint8_t> received;
  while (received.size() < total) {
    if (!PortEvents::WaitForData()) break;
    const std::vector<uint8_t> chunk = port.Retrieve(capacity);
    if (wholeReports) {
      EXPECT_EQ(chunk.size() % 64, 0u) << "a report was cut";
    }
    received.insert(received.end(), chunk.begin(), chunk.end());
  }
  return received;
}

void UsePenConfig(const TempDir& dir, const std::string& lines) {
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  if (!lines.empty())
    WriteFile(dir.path() + "/Tavolo Technologies/VeloRoute.conf", "[General]\n" + lines + "\n");
}

std::vector<uint8_t> Pattern(size_t count, uint32_t first) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i * 7 + i / 256);
  return bytes;
}

}  // namespace scrivel::test
