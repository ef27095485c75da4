#pragma once
// penemu's command line: the mode, its link path, what the memory holds, the
// faults to show and the pacing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "penemu/faults.h"

namespace scrivel::penemu {

struct MemoryOptions {
  enum class Source { Empty, Text, Notes, Image, Dump };
  Source source = Source::Empty;
  std::string text;   // --text, escapes resolved
  uint64_t notes = 0; // --notes
  std::string file;   // --image / --mbf
  std::optional<uint8_t> flags;
  std::optional<uint32_t> timeStamp;
};

struct PenOptions {
  std::string mode;  // "usb", "serial" or "live"
  std::string path;  // the socket or the link
  MemoryOptions memory;
  std::string strokes;  // --strokes: the stroke file the live pen replays
  FaultSettings faults;
  double rate = 0;   // 0: as fast as the reader takes it
  bool help = false;
};

// One mode of the emulator and the option that names where it listens.
struct PenMode {
  const char* name;
  const char* pathOption;
};

// Parses argv[1..]; false with `error` set on a usage error.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<PenMode>& modes,
                  PenOptions& out, std::string& error);

// The usage text (also --help), with the fixed version report bytes.
std::string UsageText();

}  // namespace scrivel::penemu
