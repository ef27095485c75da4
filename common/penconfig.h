#pragma once
// The pen configuration file: "$XDG_CONFIG_HOME/Tavolo Technologies/VeloRoute.conf"
// (~/.config/... when XDG_CONFIG_HOME is unset), an INI file with section [General].

#include <cstdint>
#include <optional>
#include <string>

namespace scrivel {

struct PenConfig {
  // -1: the USB port module; any other number: the serial module on that port.
  std::optional<int32_t> port;
  std::optional<std::string> serialDevice;  // tty for the serial module
  std::optional<std::string> usbDevice;     // hidraw node, "auto" or "unix:<path>"
  std::optional<std::string> usbVendorId;   // the receiver's USB ids for "auto" (hexadecimal)
  std::optional<std::string> usbProductId;
  std::optional<std::string> routeSource;   // "evdev:<path>", "evdev:auto" or "unix:<path>"
};

// The path of the configuration file (which need not exist).
std::string PenConfigPath();

// Reads the configuration file. A missing file, key or unreadable value is
// absent in the result, never a default.
PenConfig ReadPenConfig();
PenConfig ReadPenConfig(const std::string& path);
// The same from the file's text.
PenConfig ParsePenConfig(const std::string& text);

// Parses a "Port" value: a decimal integer in the signed 32-bit range, or an
// unsigned 32-bit value such as 4294967295 (read as -1, the way a DWORD is stored).
std::optional<int32_t> ParsePortValue(const std::string& text);

}  // namespace scrivel
