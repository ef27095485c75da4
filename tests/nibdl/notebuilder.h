#pragma once
// Notes and memory images as the pen stores them, for tests.

#include <cstdint>
#include <vector>

namespace nibdl::test {

using Bytes = std::vector<uint8_t>;

// A note: the 14-byte header (link, flags, time stamp) and 4-byte samples.
struct Sample {
  int16_t x, y;
};
Bytes MakeNote(const std::vector<Sample>& samples, uint8_t flags = 0, uint32_t timeStamp = 0,
               uint32_t link = 0);
// A stroke of `points` samples followed by a pen-up sample.
std::vector<Sample> Stroke(int points, int16_t x0 = 100, int16_t y0 = 200);
// Notes chained into a memory image: each link points past its note.
Bytes MakeImage(const std::vector<std::vector<Sample>>& notes, uint8_t flags = 0,
                uint32_t timeStamp = 0);

}  // namespace nibdl::test
