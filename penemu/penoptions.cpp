#include "penemu/penoptions.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "penemu/penversion.h"

namespace scrivel::penemu {

namespace {

template <typename T>
bool ParseUnsigned(const std::string& text, T& value, uint64_t max = std::numeric_limits<T>::max()) {
  uint64_t v = 0;
  int base = 10;
  const char* begin = text.data();
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    begin += 2;
  }
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, v, base);
  if (ec != std::errc() || ptr != end || begin == end || v > max) return false;
  value = T(v);
  return true;
}

bool ParseProbability(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !(v >= 0.0 && v <= 1.0)) return false;
  value = v;
  return true;
}

// "\f", "\n" and "\\" in --text stand for a form feed, a line feed and a
// backslash, so scripts can write page breaks without special quoting.
std::string ResolveEscapes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[i + 1];
      if (next == 'f' || next == 'n' || next == '\\') {
        out += next == 'f' ? '\f' : next == 'n' ? '\n' : '\\';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

std::string UsageText() {
  char version[64];
  std::snprintf(version, sizeof version, "80 A9 %02X %02X %02X %02X %02X %02X %02X %02X",
                kVersionBytes[0], kVersionBytes[1], kVersionBytes[2], kVersionBytes[3],
                kVersionBytes[4], kVersionBytes[5], kVersionBytes[6], kVersionBytes[7]);
  return std::string(
             "usage: penemu usb    --socket PATH [MEMORY] [FAULTS] [--rate N]\n"
             "       penemu serial --link PATH   [MEMORY] [FAULTS] [--rate N]\n"
             "       penemu live   --socket PATH [--text T | --strokes FILE] [--rate HZ]\n"
             "A digital pen in software: a note memory and the pen's side of the download\n"
             "protocol, on a Unix stream socket (usb) or a new pty whose slave is linked at\n"
             "PATH (serial). live: the pen's live receiver on a Unix stream socket; each\n"
             "host that connects gets the pen events (6 bytes each: type 1 down, 2 move,\n"
             "3 up, x -5750..5750, y 0..16000, little-endian) of the text in a Hershey font\n"
             "or of the stroke file (one \"x y\" per line, an empty line ends a stroke),\n"
             "HZ events per second (default 100); the connection then stays open.\n"
             "MEMORY (one of the first four; none: an empty pen):\n"
             "  --text T       handwriting of T in a Hershey font; a form feed (or \\f)\n"
             "                 starts a new note, a line feed (or \\n) a new line\n"
             "  --notes N      N notes of generated handwriting (stops when the memory is full)\n"
             "  --image FILE   a note memory image\n"
             "  --mbf FILE     a packet dump (64-byte records: big-endian packet number, 62 bytes)\n"
             "  --flags F      header flags of the notes written by --text/--notes (default 0)\n"
             "  --timestamp M  their time stamp, minutes since 2008-01-01 00:00 (default now)\n"
             "FAULTS (on note data packets; probabilities 0..1):\n"
             "  --drop P --corrupt P --duplicate P --reorder P\n"
             "                 serial: a dropped or corrupted packet is sent again cleanly on\n"
             "                 B8 02; --duplicate and --reorder have no effect (a copy would be\n"
             "                 taken as the next packet of the note)\n"
             "                 usb: a dropped packet is answered on B7; a corrupted one carries\n"
             "                 packet number 0; --reorder swaps a packet with the next one\n"
             "  --disconnect-after N  when data packet N+1 would go, close the link (usb: the\n"
             "                 connection, once per process; serial: the pty, and exit)\n"
             "  --stall-after N answer nothing at all after N data packets (0: never wakes up)\n"
             "  --seed S       seed of the faults and of --notes (default 20080101)\n"
             "PACING:\n"
             "  --rate N       usb: N data packets per second; serial: N bytes per second\n"
             "                 (default: as fast as the host reads)\n"
             "Serial commands other than FF, A0 m and 95 95 are ignored outside command mode.\n"
             "Version report: ") +
         version + "\n";
}

bool ParseOptions(const std::vector<std::string>& args, const std::vector<PenMode>& modes,
                  PenOptions& out, std::string& error) {
  out = PenOptions{};
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    out.help = true;
    return true;
  }
  if (args.empty()) {
    error = "no mode given";
    return false;
  }
  const PenMode* mode = nullptr;
  for (const PenMode& m : modes)
    if (args[0] == m.name) mode = &m;
  if (mode == nullptr) {
    error = "unknown mode '" + args[0] + "'";
    return false;
  }
  out.mode = mode->name;

  int memorySources = 0;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      out.help = true;
      return true;
    }
    if (i + 1 >= args.size()) {
      error = "option '" + option + "' needs a value";
      if (option.rfind("--", 0) != 0) error = "unexpected argument '" + option + "'";
      return false;
    }
    const std::string& value = args[++i];
    bool ok = true;
    auto& m = out.memory;
    auto& f = out.faults;
    if (option == mode->pathOption) {
      ok = !value.empty();
      out.path = value;
    } else if (option == "--text") {
      m.source = MemoryOptions::Source::Text;
      m.text = ResolveEscapes(value);
      ++memorySources;
    } else if (option == "--strokes") {
      out.strokes = value;
      ok = !value.empty();
      ++memorySources;
    } else if (option == "--notes") {
      m.source = MemoryOptions::Source::Notes;
      ok = ParseUnsigned(value, m.notes);
      ++memorySources;
    } else if (option == "--image" || option == "--mbf") {
      m.source = option == "--image" ? MemoryOptions::Source::Image : MemoryOptions::Source::Dump;
      m.file = value;
      ok = !value.empty();
      ++memorySources;
    } else if (option == "--flags") {
      uint8_t flags = 0;
      ok = ParseUnsigned(value, flags);
      m.flags = flags;
    } else if (option == "--timestamp") {
      uint32_t minutes = 0;
      ok = ParseUnsigned(value, minutes);
      m.timeStamp = minutes;
    } else if (option == "--drop") {
      ok = ParseProbability(value, f.drop);
    } else if (option == "--corrupt") {
      ok = ParseProbability(value, f.corrupt);
    } else if (option == "--duplicate") {
      ok = ParseProbability(value, f.duplicate);
    } else if (option == "--reorder") {
      ok = ParseProbability(value, f.reorder);
    } else if (option == "--disconnect-after" || option == "--stall-after") {
      uint64_t n = 0;
      ok = ParseUnsigned(value, n);
      (option == "--stall-after" ? f.stallAfter : f.disconnectAfter) = n;
    } else if (option == "--seed") {
      ok = ParseUnsigned(value, f.seed);
    } else if (option == "--rate") {
      uint64_t rate = 0;
      ok = ParseUnsigned(value, rate, 100'000'000) && rate > 0;
      out.rate = double(rate);
    } else {
      error = "unknown option '" + option + "' for mode " + mode->name;
      return false;
    }
    if (!ok) {
      error = "bad value '" + value + "' for " + option;
      return false;
    }
  }
  if (out.path.empty()) {
    error = std::string("mode ") + mode->name + " needs " + mode->pathOption + " PATH";
    return false;
  }
  if (memorySources > 1) {
    error = "give only one of --text, --notes, --image, --mbf, --strokes";
    return false;
  }
  const bool live = out.mode == "live";
  if (!out.strokes.empty() && !live) {
    error = "--strokes applies to mode live";
    return false;
  }
  if (live && memorySources > 0 && out.memory.source != MemoryOptions::Source::Text &&
      out.strokes.empty()) {
    error = "mode live writes --text or --strokes";
    return false;
  }
  const auto source = out.memory.source;
  if ((out.memory.flags || out.memory.timeStamp) && source != MemoryOptions::Source::Text &&
      source != MemoryOptions::Source::Notes) {
    error = "--flags and --timestamp apply to the notes of --text or --notes";
    return false;
  }
  return true;
}

}  // namespace scrivel::penemu
