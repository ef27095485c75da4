#pragma once
// Finds the pen's USB receiver for "UsbDevice=auto": the hidraw node whose USB
// device has the receiver's vendor and product id, through libudev. The ids
// come from the configuration (UsbVendorId, UsbProductId, hexadecimal) or, when
// absent there, from the build (SCRIVEL_USB_VENDOR_ID, SCRIVEL_USB_PRODUCT_ID).

#include <chrono>
#include <string>

#include "common/penconfig.h"

namespace ports {

struct ReceiverSearch {
  std::string devnode;  // the hidraw node; empty when none was found
  std::string problem;  // why none was found, for the user
};

// The configured UsbDevice asks for discovery.
bool WantsDiscovery(const scrivel::PenConfig& config);

// Looks for a connected receiver now.
ReceiverSearch FindReceiver(const scrivel::PenConfig& config);

// Looks now and, when none is connected, follows the devices plugged in (a
// libudev monitor) for up to `patience`.
ReceiverSearch AwaitReceiver(const scrivel::PenConfig& config, std::chrono::milliseconds patience);

}  // namespace ports
