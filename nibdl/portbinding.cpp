#include "nibdl/portbinding.h"

#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "common/appfolder.h"
#include "common/penconfig.h"
#include "common/trace.h"

namespace nibdl {

PortModule g_portModule;
int32_t g_portSelector = 0;
std::atomic<bool> g_disconnected{false};
// Never destroyed: a port module thread may still signal it while the process exits.
DataPending& g_dataPending = *new DataPending;

namespace {

constexpr uint32_t kOpenDelayMs = 1000;
constexpr uint32_t kSerialBaudRate = 115200;

template <typename Fn>
void Bind(void* handle, const char* name, Fn* entry) {
  *entry = reinterpret_cast<Fn>(dlsym(handle, name));
}

// The module in the application's folder, else next to this library.
std::string ModulePath(const char* file) {
  std::string path = scrivel::AppFolder() + "/" + file;
  if (access(path.c_str(), F_OK) == 0) return path;
  const std::string own = scrivel::ModuleFolder(reinterpret_cast<const void*>(&LoadPortModule));
  if (!own.empty()) path = own + "/" + file;
  return path;
}

}  // namespace

bool LoadPortModule() {
  const scrivel::PenConfig config = scrivel::ReadPenConfig();
  if (!config.port) {
    scrivel::Trace("NibDL.dll: no Port in %s", scrivel::PenConfigPath().c_str());
    return false;
  }
  g_portSelector = *config.port;
  const char* file = g_portSelector == kUsbPort ? "libNibUSB.so" : "libNibSer.so";
  scrivel::Trace("NibDL.dll: %s", file);

  const std::string path = ModulePath(file);
  // The module stays mapped: its thread may outlive a close by a moment.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    scrivel::Trace("NibDL.dll: Could not load NibSer.dll.\n");
    scrivel::Trace("NibDL.dll: %s", dlerror());
    return false;
  }
  scrivel::Trace("NibDL.dll: PortDll is loaded!\n");
  PortModule module;
  module.handle = handle;
  Bind(handle, "PortOpen", &module.PortOpen);
  Bind(handle, "PortOpenEx", &module.PortOpenEx);
  Bind(handle, "PortClose", &module.PortClose);
  Bind(handle, "PortRetrieveData", &module.PortRetrieveData);
  Bind(handle, "GetPortDLLVersion", &module.GetPortDLLVersion);
  Bind(handle, "SetPortBaudRate", &module.SetPortBaudRate);
  Bind(handle, "InitPortCallBack", &module.InitPortCallBack);
  Bind(handle, "PortSendData", &module.PortSendData);
  Bind(handle, "PortGetVersionEx", &module.PortGetVersionEx);
  if (module.PortOpenEx == nullptr || module.PortClose == nullptr ||
      module.PortRetrieveData == nullptr || module.PortSendData == nullptr) {
    scrivel::Trace("NibDL.dll: %s lacks an entry point", path.c_str());
    dlclose(handle);
    return false;
  }
  if (g_portModule.handle != nullptr) dlclose(g_portModule.handle);
  g_portModule = module;
  return true;
}

int OpenPort(uint32_t* deviceType) {
  PortOpenExParams params{};
  params.cbSize = sizeof params;
  params.pfnEvent = &PortEventCallback;
  const int32_t port = scrivel::ReadPenConfig().port.value_or(g_portSelector);
  std::this_thread::sleep_for(std::chrono::milliseconds(kOpenDelayMs));
  params.dwPort = port == kUsbPort ? PORT_USB : static_cast<uint32_t>(port);
  params.dwBaudRate = port == kUsbPort ? 0 : kSerialBaudRate;
  // A clean event and flag before the module can raise anything.
  g_dataPending.Reset();
  g_disconnected = false;
  const int result = g_portModule.PortOpenEx(&params);
  if (result != 0) *deviceType = params.dwDeviceType;
  return result;
}

int PortEventCallback(int event, int /*parameter*/) {
  if (event == PORT_EVENT_DATA) g_dataPending.Set();
  else if (event == PORT_EVENT_GONE) g_disconnected = true;
  return 0;
}

void ModuleLink::Send(const uint8_t* data, uint32_t length) {
  g_portModule.PortSendData(data, length);
}

uint32_t ModuleLink::RetrieveData(uint8_t* buffer, uint32_t capacity) {
  uint32_t length = capacity;
  g_portModule.PortRetrieveData(buffer, &length);
  return length;
}

bool ModuleLink::WaitPending(uint32_t timeoutMs) { return g_dataPending.Wait(timeoutMs); }

bool ModuleLink::Disconnected() { return g_disconnected; }

void ModuleLink::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace nibdl
