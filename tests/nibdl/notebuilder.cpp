#include "tests/nibdl/notebuilder.h"

namespace nibdl::test {

Bytes MakeNote(const std::vector<Sample>& samples, uint8_t flags, uint32_t timeStamp,
               uint32_t link) {
  Bytes note(14, 0);
  note[0] = link & 0xFF;
  note[1] = (link >> 8) & 0xFF;
  note[2] = (link >> 16) & 0xFF;
  note[3] = flags;
  for (int i = 0; i < 4; ++i) note[6 + i] = (timeStamp >> (8 * i)) & 0xFF;
  for (const Sample& s : samples) {
    const auto x = static_cast<uint16_t>(s.x), y = static_cast<uint16_t>(s.y);
    note.insert(note.end(), {uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)});
  }
  return note;
}

std::vector<Sample> Stroke(int points, int16_t x0, int16_t y0) {
  std::vector<Sample> samples;
  for (int i = 0; i < points; ++i)
    samples.push_back({static_cast<int16_t>(x0 + i), static_cast<int16_t>(y0 + 2 * i)});
  samples.push_back({0, -1});
  return samples;
}

Bytes MakeImage(const std::vector<std::vector<Sample>>& notes, uint8_t flags,
                uint32_t timeStamp) {
  Bytes image;
  for (const auto& samples : notes) {
    const auto link = static_cast<uint32_t>(image.size() + 14 + samples.size() * 4);
    const Bytes note = MakeNote(samples, flags, timeStamp, link);
    image.insert(image.end(), note.begin(), note.end());
  }
  return image;
}

}  // namespace nibdl::test
