#include "common/penconfig.h"

#include <ini.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/trace.h"

namespace scrivel {

std::string PenConfigPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::string(home) + "/.config";
  } else {
    base = ".config";
  }
  return base + "/Tavolo Technologies/VeloRoute.conf";
}

std::optional<int32_t> ParsePortValue(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0') return std::nullopt;
  if (value >= INT32_MIN && value <= INT32_MAX) return static_cast<int32_t>(value);
  if (value > INT32_MAX && value <= static_cast<long long>(UINT32_MAX))
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  return std::nullopt;
}

namespace {

// QSettings quotes some strings; take the text between the quotes.
std::string Unquote(const char* value) {
  std::string text(value);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

int OnEntry(void* user, const char* section, const char* name, const char* value) {
  auto* config = static_cast<PenConfig*>(user);
  if (*section != '\0' && std::strcmp(section, "General") != 0) return 1;
  if (std::strcmp(name, "Port") == 0) {
    config->port = ParsePortValue(Unquote(value));
    if (!config->port) Trace("config: Port value \"%s\" is not a number; ignored", value);
  } else if (std::strcmp(name, "SerialDevice") == 0) {
    config->serialDevice = Unquote(value);
  } else if (std::strcmp(name, "UsbDevice") == 0) {
    config->usbDevice = Unquote(value);
  } else if (std::strcmp(name, "UsbVendorId") == 0) {
    config->usbVendorId = Unquote(value);
  } else if (std::strcmp(name, "UsbProductId") == 0) {
    config->usbProductId = Unquote(value);
  } else if (std::strcmp(name, "RouteSource") == 0) {
    config->routeSource = Unquote(value);
  }
  return 1;
}

}  // namespace

PenConfig ReadPenConfig(const std::string& path) {
  PenConfig config;
  const int result = ini_parse(path.c_str(), OnEntry, &config);
  if (result < 0) Trace("config: %s cannot be read", path.c_str());
  else if (result > 0) Trace("config: %s: error on line %d", path.c_str(), result);
  return config;
}

PenConfig ParsePenConfig(const std::string& text) {
  PenConfig config;
  if (const int line = ini_parse_string(text.c_str(), OnEntry, &config); line > 0)
    Trace("config: error on line %d", line);
  return config;
}

PenConfig ReadPenConfig() { return ReadPenConfig(PenConfigPath()); }

}  // namespace scrivel
