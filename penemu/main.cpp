// penemu: a digital pen in software for tests, benchmarks and demos. See
// UsageText() for the command line.

#include <cstdio>
#include <string>
#include <vector>

#include "penemu/faults.h"
#include "penemu/livepen.h"
#include "penemu/livescript.h"
#include "penemu/memorybuilder.h"
#include "penemu/notememory.h"
#include "penemu/penoptions.h"
#include "penemu/serialpen.h"
#include "penemu/stopsignal.h"
#include "penemu/usbpen.h"

using namespace scrivel::penemu;

namespace {

void Ready(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

std::string Describe(const char* kind, const NoteMemory& memory) {
  return std::string("penemu: ") + kind + " pen with " + std::to_string(memory.noteCount()) +
         (memory.noteCount() == 1 ? " note" : " notes");
}

int RunUsb(const PenOptions& options, NoteMemory& memory, Faults& faults) {
  UsbPen pen(memory, faults, options.rate);
  std::string error;
  if (!pen.listen(options.path, error)) {
    std::fprintf(stderr, "penemu: %s\n", error.c_str());
    return 1;
  }
  Ready(Describe("usb", memory) + " (" + std::to_string(memory.packetCount()) + " packets) on " +
        options.path);
  return pen.run();
}

int RunSerial(const PenOptions& options, NoteMemory& memory, Faults& faults) {
  SerialPen pen(memory, faults, options.rate);
  std::string error;
  if (!pen.open(options.path, error)) {
    std::fprintf(stderr, "penemu: %s\n", error.c_str());
    return 1;
  }
  Ready(Describe("serial", memory) + " (" + std::to_string(memory.image().size()) + " bytes) on " +
        options.path + " (" + pen.slaveName() + ")");
  return pen.run();
}

int RunLive(const PenOptions& options, NoteMemory&, Faults&) {
  std::vector<LiveEvent> events;
  if (!options.strokes.empty()) {
    std::vector<Sample> samples;
    std::string error;
    if (!ReadStrokeFile(options.strokes, samples, error)) {
      std::fprintf(stderr, "penemu: %s\n", error.c_str());
      return 2;
    }
    events = LiveEventsFromSamples(samples);
  } else {
    events = LiveEventsFromText(options.memory.text);
  }
  const size_t strokes = StrokeCount(events), count = events.size();
  LivePen pen(std::move(events), options.rate);
  std::string error;
  if (!pen.listen(options.path, error)) {
    std::fprintf(stderr, "penemu: %s\n", error.c_str());
    return 1;
  }
  Ready("penemu: live pen with " + std::to_string(strokes) + " strokes (" + std::to_string(count) +
        " events) on " + options.path);
  return pen.run();
}

// The modes of the emulator; a new one adds a row and its runner.
struct Mode {
  PenMode mode;
  int (*run)(const PenOptions&, NoteMemory&, Faults&);
};

const std::vector<Mode> kModes = {
    {{"usb", "--socket"}, RunUsb},
    {{"serial", "--link"}, RunSerial},
    {{"live", "--socket"}, RunLive},
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::vector<PenMode> modes;
  for (const Mode& m : kModes) modes.push_back(m.mode);

  PenOptions options;
  std::string error;
  if (!ParseOptions(args, modes, options, error)) {
    std::fprintf(stderr, "penemu: %s\n%s", error.c_str(), UsageText().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  StopSignal::Instance();

  NoteMemory memory;
  if (!MemoryBuilder(options.memory, options.faults.seed).build(memory, error)) {
    std::fprintf(stderr, "penemu: %s\n", error.c_str());
    return 2;
  }
  Faults faults(options.faults);
  for (const Mode& m : kModes)
    if (options.mode == m.mode.name) return m.run(options, memory, faults);
  return 2;
}
