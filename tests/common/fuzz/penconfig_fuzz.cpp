// Fuzz target: the pen configuration file as any text, and any text as a
// "Port" value. What is read back must be what the parser promises.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/penconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  scrivel::ParsePenConfig(text);
  if (const auto port = scrivel::ParsePortValue(text)) {
    // A value read back is a whole decimal number in one of the two ranges.
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || (value != *port && value != static_cast<long long>(static_cast<uint32_t>(*port))))
      std::abort();
  }
  return 0;
}
