// The exported C interface of the route library: argument checks and the
// process-wide RouteState. No exception leaves these functions.

#include "nibroute/nibroute.h"

#include <cstring>
#include <exception>

#include "common/trace.h"
#include "nibroute/routestate.h"

namespace {

// The process-wide state, destroyed (source stopped) at exit.
nibroute::RouteState& Route() {
  static nibroute::RouteState state;
  return state;
}

// Runs `body`, turning any exception into ZMT_E_FAILED.
template <typename Body>
int32_t Guarded(const char* name, Body&& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    scrivel::Trace("nibroute: %s failed: %s", name, error.what());
  } catch (...) {
    scrivel::Trace("nibroute: %s failed", name);
  }
  return ZMT_E_FAILED;
}

}  // namespace

extern "C" {

int32_t ZMTInitEx(uint32_t version, uint32_t /*reserved*/) {
  return Guarded("ZMTInitEx", [&] { return Route().Init(version); });
}

void ZMTUninit(void) {
  Guarded("ZMTUninit", [] {
    Route().Uninit();
    return ZMT_OK;
  });
}

void ZMTGetVersion(ZMTVersion* version) {
  if (version == nullptr || version->size != sizeof(ZMTVersion)) return;
  std::memset(version, 0, sizeof *version);
  version->size = sizeof(ZMTVersion);
  version->major = ZMT_VERSION_MAJOR;
  version->minor = ZMT_VERSION_MINOR;
  version->build = ZMT_VERSION_BUILD;
}

int32_t ZMTOpenReceiver(const ReceiverInfo* info, int32_t* handle) {
  if (info == nullptr || handle == nullptr || info->size != sizeof(ReceiverInfo))
    return ZMT_E_BADARG;
  return Guarded("ZMTOpenReceiver", [&] { return Route().OpenReceiver(*info, handle); });
}

int32_t ZMTSetProperty(int32_t handle, uint32_t property, uint32_t value) {
  return Guarded("ZMTSetProperty", [&] { return Route().SetProperty(handle, property, value); });
}

int32_t ZMTGetProperty(int32_t handle, uint32_t property, uint32_t* value) {
  if (value == nullptr) return ZMT_E_BADARG;
  return Guarded("ZMTGetProperty", [&] { return Route().GetProperty(handle, property, value); });
}

int32_t ZMTGetEvent(int32_t handle, ZMTEvent* event) {
  if (event == nullptr) return ZMT_E_BADARG;
  return Guarded("ZMTGetEvent", [&] { return Route().GetEvent(handle, event); });
}

int32_t ZMTActivate(int32_t handle) {
  return Guarded("ZMTActivate", [&] { return Route().Activate(handle, true); });
}

int32_t ZMTDeactivate(int32_t handle) {
  return Guarded("ZMTDeactivate", [&] { return Route().Activate(handle, false); });
}

int32_t ZMTIsConnected(void) {
  return Guarded("ZMTIsConnected", [] { return Route().IsConnected() ? 1 : 0; }) > 0 ? 1 : 0;
}

int32_t ZMTConnect(uint32_t /*a*/, uint32_t /*flags*/, uint32_t /*b*/) {
  return Guarded("ZMTConnect", [] { return Route().Connect(); });
}

int32_t ZMTDisconnect(void) {
  return Guarded("ZMTDisconnect", [] { return Route().Disconnect(); });
}

}  // extern "C"
