// The sixteen exports. Each catches everything at the boundary: nothing is
// thrown into the caller.

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <new>
#include <thread>

#include "common/trace.h"
#include "nibdl/nibdl.h"
#include "nibdl/portbinding.h"
#include "nibdl/serialdialect.h"
#include "nibdl/state.h"
#include "nibdl/timestamp.h"
#include "nibdl/usbdialect.h"
#include "nibdl/versionreport.h"
#include "nibroute/nibroute.h"

using namespace nibdl;

namespace {

constexpr uint32_t kWaitLoopMs = 500;
constexpr uint32_t kAfterDownloadMs = 50;
// The worker runs two steps above normal priority when the system lets it.
constexpr int kPriorityRaise = 2;

template <typename Body>
uint32_t Guarded(const char* name, Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    scrivel::Trace("NibDL.dll: %s: out of memory", name);
    return DUVO_E_NOMEMORY;
  } catch (...) {
    scrivel::Trace("NibDL.dll: %s failed", name);
    return DUVO_E_PROTOCOL;
  }
}

void RaisePriority() {
  const auto tid = static_cast<id_t>(gettid());
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, tid);
  if (errno == 0) setpriority(PRIO_PROCESS, tid, current - kPriorityRaise);  // failure is fine
}

// The download worker: downloads, then leaves the serial command mode, then
// publishes the result before it clears the running flag.
void Worker(uint32_t* result) {
  uint32_t code = DUVO_E_NOTOPEN;
  try {
    RaisePriority();
    std::lock_guard lock(g_portMutex);
    if (g_open) {
      code = RunDownload(kModeNormal);
      std::this_thread::sleep_for(std::chrono::milliseconds(kAfterDownloadMs));
      if (g_portSelector != kUsbPort) {
        ModuleLink link;
        SetCommandMode(link, 0);
      }
    }
  } catch (const std::bad_alloc&) {
    code = DUVO_E_NOMEMORY;
  } catch (...) {
    code = DUVO_E_PROTOCOL;
  }
  *result = code;
  g_running.store(false, std::memory_order_release);
}

}  // namespace

extern "C" {

NIBDL_API uint32_t DUVOInit(uint32_t version) {
  if (version <= DUVO_INTERFACE_VERSION) {
    g_initialised = true;
    return DUVO_OK;
  }
  g_initialised = false;
  return DUVO_E_BADVERSION;
}

NIBDL_API uint32_t DUVOOpenDevice(void* /*unused*/) {
  return Guarded("DUVOOpenDevice", [] {
    if (!g_initialised) return DUVO_E_NOTINIT;
    std::lock_guard lock(g_portMutex);
    if (g_open) return DUVO_E_ALREADYOPEN;
    if (!LoadPortModule()) return DUVO_E_NOTINIT;
    ZMTInitEx(ZMT_INTERFACE_VERSION, 0);
    SetOrientation(1);
    uint32_t deviceType = 0;
    if (OpenPort(&deviceType) != 0) {
      g_deviceType = deviceType;
      StartConnection();
      return DUVO_OK;
    }
    EndConnection();
    return DUVO_E_NOTOPEN;
  });
}

NIBDL_API uint32_t DUVOCloseDevice(void) {
  return Guarded("DUVOCloseDevice", [] {
    if (const uint32_t check = ConnectionCheck(); check != DUVO_OK) return check;
    std::lock_guard lock(g_portMutex);  // waits for a download under way
    EndConnection();
    return DUVO_OK;
  });
}

NIBDL_API uint32_t DUVOGetDLLVersion(void) { return DUVO_INTERFACE_VERSION; }

NIBDL_API uint32_t DUVORequestData(DUVOProgressCallback callback, void* context) {
  static std::mutex& requestMutex = *new std::mutex;  // one download at a time
  return Guarded("DUVORequestData", [&] {
    std::lock_guard request(requestMutex);
    if (const uint32_t check = ConnectionCheck(); check != DUVO_OK) return check;
    {
      std::lock_guard lock(g_portMutex);
      g_callback = callback;
      g_context = context;
    }
    g_progress = 0;
    g_lastReported = 0;
    uint32_t result = DUVO_E_PROTOCOL;
    g_running = true;
    std::thread worker;
    try {
      worker = std::thread(Worker, &result);
    } catch (...) {
      g_running = false;
      return DUVO_E_THREAD;
    }
    struct Joiner {
      std::thread& thread;
      ~Joiner() { thread.join(); }
    } joiner{worker};
    while (g_running.load(std::memory_order_acquire)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kWaitLoopMs));
      const uint32_t progress = g_progress;
      if (progress != g_lastReported) {
        if (callback != nullptr) callback(DUVO_PROGRESS_WAITING, static_cast<int>(progress), context);
        g_lastReported = progress;
      }
    }
    return result;
  });
}

NIBDL_API uint32_t DUVOGetPageCount(int* count) {
  return Guarded("DUVOGetPageCount", [&] {
    if (const uint32_t check = ConnectionCheck(); check != DUVO_OK) return check;
    if (count != nullptr) *count = g_pages.Count();
    return DUVO_OK;
  });
}

NIBDL_API uint32_t DUVOGetPage(int index, DUVOPAGE** points, int* count) {
  return Guarded("DUVOGetPage", [&] {
    if (const uint32_t check = ConnectionCheck(); check != DUVO_OK) return check;
    g_pages.Take(index, points, count);
    return DUVO_OK;
  });
}

NIBDL_API uint32_t DUVOFreePage(DUVOPAGE* points) {
  return Guarded("DUVOFreePage", [&] {
    if (const uint32_t check = ConnectionCheck(); check != DUVO_OK) return check;
    g_pages.GiveBack(points);
    return DUVO_OK;
  });
}

NIBDL_API uint32_t DUVOEraseAllPages(void) {
  return Guarded("DUVOEraseAllPages", [] {
    std::lock_guard lock(g_portMutex);
    const uint32_t check = ConnectionCheck();
    // Without an open port there is nobody to send to.
    if (check != DUVO_OK) return check;
    ModuleLink link;
    if (g_portSelector == kUsbPort) {
      EraseUsb(link);
      return ConnectionCheck();
    }
    return EraseSerial(link);
  });
}

NIBDL_API uint32_t DUVOUpdateFirmware(void* /*unused*/) {
  return g_initialised ? DUVO_OK : DUVO_E_NOTINIT;
}

NIBDL_API uint32_t DUVOSetRawMode(int /*unused*/) { return ConnectionCheck(); }

NIBDL_API uint32_t DUVOSaveBinaryData(void) {
  return Guarded("DUVOSaveBinaryData", [] {
    std::lock_guard lock(g_portMutex);
    if (const uint32_t check = ConnectionCheck(); check != DUVO_OK) return check;
    const uint32_t result = RunDownload(kModeDump);
    if (g_portSelector != kUsbPort) {
      ModuleLink link;
      SetCommandMode(link, 0);
    }
    return result;
  });
}

NIBDL_API uint32_t DUVOGetTimeStamp(int index, char* text, int* minutes) {
  return Guarded("DUVOGetTimeStamp", [&] {
    const PageInfo info = g_pages.Info(index);
    if (minutes != nullptr) *minutes = static_cast<int>(info.timeStamp);
    if (text != nullptr) FormatTimeStamp(info.timeStamp, text, kTimeStampTextSize);
    return DUVO_OK;
  });
}

NIBDL_API uint32_t DUVOGetDeviceVersion(DUVOVERSION* version) {
  return Guarded("DUVOGetDeviceVersion", [&] {
    std::lock_guard lock(g_portMutex);
    if (version == nullptr || !g_open) return DUVO_E_TIMEOUT;
    ModuleLink link;
    return ReadVersionReport(link, version);
  });
}

NIBDL_API uint32_t DUVOIsPageFlipped(int index) {
  return Guarded("DUVOIsPageFlipped", [&] { return static_cast<uint32_t>(g_pages.Info(index).flipped); });
}

NIBDL_API uint32_t DUVOIsPageUploaded(int index) {
  return Guarded("DUVOIsPageUploaded", [&] { return static_cast<uint32_t>(g_pages.Info(index).uploaded); });
}

}  // extern "C"
