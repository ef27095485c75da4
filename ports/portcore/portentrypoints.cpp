// The exported entry points of a port module. PortOpenEx, PortClose,
// PortRetrieveData and PortSendData carry the transport; the others are small
// services around it. No exception leaves these functions.

#include "ports/portcore/portentrypoints.h"

#include <cstring>
#include <exception>

#include "common/trace.h"
#include "ports/portcore/portchannel.h"

namespace {

// The module's one port (one pen per process).
ports::PortChannel& Port() {
  static ports::PortChannel channel;
  return channel;
}

}  // namespace

extern "C" {

// Opening needs the parameters of PortOpenEx: this one opens nothing.
PORT_API int PortOpen(void) { return 0; }

PORT_API int PortOpenEx(PortOpenExParams* params) {
  try {
    return Port().OpenEx(params, ports::OpenModuleDevice);
  } catch (const std::exception& error) {
    scrivel::Trace("port: PortOpenEx failed: %s", error.what());
  } catch (...) {
    scrivel::Trace("port: PortOpenEx failed");
  }
  return 0;
}

PORT_API void PortClose(int /*reserved*/) {
  try {
    Port().Close();
  } catch (...) {
    scrivel::Trace("port: PortClose failed");
  }
}

PORT_API void PortRetrieveData(uint8_t* buffer, uint32_t* length) {
  try {
    Port().Retrieve(buffer, length);
  } catch (...) {
    if (length != nullptr) *length = 0;
  }
}

PORT_API uint32_t GetPortDLLVersion(void) { return PORT_MODULE_VERSION; }

// Changes the speed of an open serial line: non-zero on success.
PORT_API int SetPortBaudRate(uint32_t baud) {
  try {
    return Port().SetBaudRate(baud) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

// Replaces the event callback given to PortOpenEx: returns 1.
PORT_API int InitPortCallBack(PortEventCallback callback) {
  Port().SetCallback(callback);
  return 1;
}

PORT_API void PortSendData(const uint8_t* data, uint32_t length) {
  try {
    if (!Port().Send(data, length)) scrivel::Trace("port: %u bytes not sent", length);
  } catch (...) {
    scrivel::Trace("port: PortSendData failed");
  }
}

// Stores GetPortDLLVersion's value as a uint32_t at `out`: returns 1, or 0 for null.
PORT_API int PortGetVersionEx(void* out) {
  if (out == nullptr) return 0;
  const uint32_t version = PORT_MODULE_VERSION;
  std::memcpy(out, &version, sizeof version);
  return 1;
}

}  // extern "C"
