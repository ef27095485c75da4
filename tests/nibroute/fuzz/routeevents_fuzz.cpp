// Fuzz target: the bytes a live source reads.
// - As a unix: socket stream, cut into reads of lengths taken from the bytes
//   themselves: the records joined must be those of the whole stream read at once.
// - As input events of a pen tablet (8 bytes each: type, code, value; the first
//   25 bytes give the axis ranges and the device's state at opening): the pen
//   events must alternate down, moves, up, and lie inside the pen's range.

#include <linux/input.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "nibroute/evdevpentracker.h"
#include "nibroute/recordjoiner.h"

using namespace nibroute;

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void JoinRecords(const uint8_t* data, size_t size) {
  std::vector<ZMTEvent> whole, pieces;
  RecordJoiner once;
  once.Feed(data, size, whole);
  RecordJoiner split;
  split.Feed(data, 0, pieces);  // an empty read changes nothing
  for (size_t at = 0; at < size;) {
    const size_t n = std::min<size_t>(size - at, 1 + data[at] % 16);
    split.Feed(data + at, n, pieces);
    at += n;
  }
  Require(whole.size() == pieces.size() && once.Pending() == split.Pending());
  Require(std::equal(whole.begin(), whole.end(), pieces.begin(), [](const ZMTEvent& a, const ZMTEvent& b) {
    return a.type == b.type && a.x == b.x && a.y == b.y;
  }));
  Require(whole.size() == size / sizeof(ZMTEvent) && once.Pending() == size % sizeof(ZMTEvent));
}

template <typename T>
T Read(const uint8_t* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// Checks the events one call produced against the pen state before it.
void CheckPenEvents(const std::vector<ZMTEvent>& out, bool& down) {
  for (const ZMTEvent& event : out) {
    Require(event.x >= ZMT_PEN_X_MIN && event.x <= ZMT_PEN_X_MAX);
    Require(event.y >= ZMT_PEN_Y_MIN && event.y <= ZMT_PEN_Y_MAX);
    if (event.type == ZMT_EVT_PENDOWN) Require(!down);
    else Require(down && (event.type == ZMT_EVT_PENMOVE || event.type == ZMT_EVT_PENUP));
    down = event.type != ZMT_EVT_PENUP;
  }
}

void TranslateInput(const uint8_t* data, size_t size) {
  constexpr size_t kHeader = 25;
  if (size < kHeader) return;
  const EvdevPenTracker::Range x{Read<int32_t>(data), Read<int32_t>(data + 4)};
  const EvdevPenTracker::Range y{Read<int32_t>(data + 8), Read<int32_t>(data + 12)};
  const EvdevPenTracker::State opening{Read<int32_t>(data + 16), Read<int32_t>(data + 20),
                                       (data[24] & 1) != 0, (data[24] & 2) != 0};
  EvdevPenTracker tracker(x, y, opening);
  static const uint16_t kTypes[] = {EV_SYN, EV_KEY, EV_ABS, EV_REL};
  std::vector<ZMTEvent> out;
  bool down = false;
  tracker.Begin(out);
  CheckPenEvents(out, down);
  for (size_t at = kHeader; at + 8 <= size; at += 8) {
    const uint16_t type = kTypes[data[at] % 4];
    const uint16_t codes[] = {SYN_REPORT, BTN_TOUCH, BTN_STYLUS, ABS_X, ABS_Y, Read<uint16_t>(data + at + 2)};
    const uint16_t code = codes[data[at + 1] % 6];
    out.clear();
    tracker.Feed(type, code, Read<int32_t>(data + at + 4), out);
    CheckPenEvents(out, down);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  JoinRecords(data, size);
  TranslateInput(data, size);
  return 0;
}
