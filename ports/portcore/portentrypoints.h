#pragma once
// The nine entry points of a port module are written once
// (portentrypoints.cpp, compiled into each module); each module supplies only
// how its device is opened.

#include <cstdint>
#include <memory>

#include "ports/portcore/portdevice.h"
#include "ports/portmodule.h"

namespace ports {

// Defined by each module: opens the device that the pen configuration names
// for these parameters and stores the kind of pen in *deviceType; null when
// there is none or it cannot be opened.
std::unique_ptr<PortDevice> OpenModuleDevice(const PortOpenExParams& params,
                                             uint32_t* deviceType);

}  // namespace ports
