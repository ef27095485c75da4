#pragma once
// What the live pen writes: pen events (down, moves, up per stroke) as the
// route library reads them, from handwritten text or from a stroke file.
//
// A stroke file is text: one point per line, "x y" in pen units (x -5750..5750,
// y 0..16000); an empty line ends a stroke; lines starting with '#' are comments.

#include <cstdint>
#include <string>
#include <vector>

#include "penemu/notememory.h"

namespace scrivel::penemu {

// One live pen event, sent as 6 bytes: u16 type, s16 x, s16 y, little-endian.
struct LiveEvent {
  static constexpr uint16_t kDown = 1, kMove = 2, kUp = 3;
  uint16_t type = 0;
  int16_t x = 0;
  int16_t y = 0;
  bool operator==(const LiveEvent&) const = default;
};

// The events of samples cut into strokes by pen-up marks: a down at each
// stroke's first point, a move for every further point, an up at its last.
std::vector<LiveEvent> LiveEventsFromSamples(const std::vector<Sample>& samples);
// The events of `text` written in the Hershey font, page after page.
std::vector<LiveEvent> LiveEventsFromText(const std::string& text);
// Reads a stroke file into samples (pen-up marks between strokes); false with
// `error` set when it cannot be read or a line is not a point in range.
bool ReadStrokeFile(const std::string& path, std::vector<Sample>& samples, std::string& error);

// How many strokes (downs) the events hold.
size_t StrokeCount(const std::vector<LiveEvent>& events);
// The 6-byte records of `events`.
void EncodeLiveEvents(const LiveEvent* events, size_t count, std::vector<uint8_t>& out);

}  // namespace scrivel::penemu
