#include "nibdl/state.h"

#include <utility>

#include "common/appfolder.h"
#include "common/trace.h"
#include "nibdl/download.h"
#include "nibdl/portbinding.h"
#include "nibdl/serialdialect.h"
#include "nibdl/usbdialect.h"
#include "nibroute/nibroute.h"

namespace nibdl {

std::atomic<bool> g_initialised{false};
std::atomic<bool> g_open{false};
uint32_t g_deviceType = 0;
int g_orientationWritten = 0;
// Never destroyed: callers may give arrays back while the process exits.
PageTable& g_pages = *new PageTable;
std::atomic<uint32_t> g_progress{0};
uint32_t g_lastReported = 0;
std::atomic<bool> g_running{false};
DUVOProgressCallback g_callback = nullptr;
void* g_context = nullptr;
std::mutex& g_portMutex = *new std::mutex;

namespace {

// Traces the application's folder when the library is loaded, and writes the
// orientation back to 0 when it is unloaded. Static objects are destroyed in
// the reverse order of their construction: the route library is called once
// here so that its state is built first and therefore outlives this hook.
struct LoadHook {
  LoadHook() {
    scrivel::Trace("NibDL.dll: %s", scrivel::AppFolder().c_str());
    ZMTIsConnected();
  }
  ~LoadHook() { SetOrientation(0); }
} g_loadHook;

}  // namespace

uint32_t ConnectionCheck() {
  if (!g_initialised) return DUVO_E_NOTINIT;
  if (!g_open) return DUVO_E_NOTOPEN;
  return DUVO_OK;
}

void SetOrientation(int value) {
  if (value == g_orientationWritten) return;
  uint32_t dwOrientable = 1;
  ZMTGetProperty(0, ZMT_PROP_ORIENTABLE, &dwOrientable);
  ZMTIsConnected();
  if (ZMTSetProperty(0, ZMT_PROP_ORIENTATION, static_cast<uint32_t>(value)) >= 0)
    g_orientationWritten = value;
}

void StartConnection() {
  g_disconnected = false;
  g_open = true;
}

void EndConnection() {
  if (g_open) {
    g_open = false;
    g_portModule.PortClose(0);
  }
  g_dataPending.Reset();
  g_pages.Clear();
  SetOrientation(0);
}

uint32_t RunDownload(int mode) {
  ModuleLink link;
  Download d{link, g_pages, g_progress, {}, g_deviceType, {}, scrivel::AppFolder()};
  const DUVOProgressCallback callback = g_callback;
  void* const context = g_context;
  d.notify = [callback, context](int kind, int percent) {
    if (callback != nullptr) callback(kind, percent, context);
  };
  d.readPosition = [] {
    uint32_t dwPosition = 0;
    ZMTGetProperty(0, ZMT_PROP_POSITION, &dwPosition);
    return static_cast<int>(dwPosition);
  };
  if (g_portSelector == kUsbPort) return DownloadUsb(d, mode);
  return DownloadSerial(d);
}

}  // namespace nibdl
