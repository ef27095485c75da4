#pragma once
// The port module: loading it (libNibUSB.so or libNibSer.so, chosen by the
// "Port" key of the pen configuration), opening the port, the event callback
// it calls, and the PortLink over its entry points.

#include <atomic>
#include <cstdint>

#include "nibdl/datapending.h"
#include "nibdl/portlink.h"
#include "ports/portmodule.h"

namespace nibdl {

// The loaded module and its nine entry points.
struct PortModule {
  void* handle = nullptr;
  PortOpenFn PortOpen = nullptr;
  PortOpenExFn PortOpenEx = nullptr;
  PortCloseFn PortClose = nullptr;
  PortRetrieveDataFn PortRetrieveData = nullptr;
  GetPortDLLVersionFn GetPortDLLVersion = nullptr;
  SetPortBaudRateFn SetPortBaudRate = nullptr;
  InitPortCallBackFn InitPortCallBack = nullptr;
  PortSendDataFn PortSendData = nullptr;
  PortGetVersionExFn PortGetVersionEx = nullptr;
};

// Port selector value of the USB module.
constexpr int32_t kUsbPort = -1;

extern PortModule g_portModule;
extern int32_t g_portSelector;
// Set by the port module's "pen gone" event; cleared when a connection starts.
extern std::atomic<bool> g_disconnected;
extern DataPending& g_dataPending;

// Reads "Port" and loads the module it names from the application's folder,
// else from the folder this library was loaded from. False when the key is
// absent or the module cannot be loaded or lacks an entry point we call.
bool LoadPortModule();

// Waits one second and opens the port: the result of PortOpenEx (nonzero:
// open), with the module's device type in *deviceType.
int OpenPort(uint32_t* deviceType);

// The module's event callback: data pending, or pen gone.
int PortEventCallback(int event, int parameter);

// The PortLink over the loaded module.
class ModuleLink : public PortLink {
 public:
  void Send(const uint8_t* data, uint32_t length) override;
  bool WaitPending(uint32_t timeoutMs) override;
  bool Disconnected() override;
  void Sleep(uint32_t ms) override;

 protected:
  uint32_t RetrieveData(uint8_t* buffer, uint32_t capacity) override;
};

}  // namespace nibdl
