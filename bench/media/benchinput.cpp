#include "bench/media/benchinput.h"

#include <cmath>
#include <cstdint>

namespace scrivel::bench {
namespace {

constexpr int kWidth = 352;
constexpr int kHeight = 288;
constexpr int kPointsPerPicture = 24;

// A point of the pen path: writing left to right along lines, with loops like
// cursive letters, starting a new line at the right margin.
void PenAt(int step, double& x, double& y) {
  constexpr int kStepsPerLine = 1600;
  const int line = (step / kStepsPerLine) % 8;
  const double t = (step % kStepsPerLine) / static_cast<double>(kStepsPerLine);
  const double phase = step * 0.09;
  x = 16 + t * (kWidth - 32) + 5 * std::cos(phase * 1.7);
  y = 28 + line * 32 + 9 * std::sin(phase) + 3 * std::sin(phase * 0.37);
}

void Ink(std::string& luma, double cx, double cy) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int x = static_cast<int>(cx) + dx;
      const int y = static_cast<int>(cy) + dy;
      if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) luma[static_cast<size_t>(y) * kWidth + x] = 40;
    }
}

}  // namespace

std::string HandwritingPictures(int pictures) {
  std::string luma(size_t{kWidth} * kHeight, static_cast<char>(230));
  const std::string chroma(size_t{kWidth} * kHeight / 2, static_cast<char>(128));
  std::string data;
  data.reserve(static_cast<size_t>(pictures) * (luma.size() + chroma.size()));
  int step = 0;
  for (int p = 0; p < pictures; ++p) {
    // The pen writes for 4 seconds, then rests for 1, as a hand does.
    if (p % 50 < 40) {
      for (int i = 0; i < kPointsPerPicture; ++i, ++step) {
        double x, y;
        PenAt(step, x, y);
        Ink(luma, x, y);
      }
      // A new page after eight full lines.
      if (step % (1600 * 8) < kPointsPerPicture) luma.assign(luma.size(), static_cast<char>(230));
    }
    data += luma;
    data += chroma;
  }
  return data;
}

std::string TonePcm(int seconds) {
  const size_t samples = static_cast<size_t>(seconds) * 44100;
  std::string data(samples * 4, '\0');
  double phase = 0;
  for (size_t i = 0; i < samples; ++i) {
    const double t = static_cast<double>(i) / 44100;
    phase += 2 * M_PI * (440 + 20 * std::sin(2 * M_PI * 0.5 * t)) / 44100;
    const auto s = static_cast<int16_t>(9000 * std::sin(phase));
    for (int ch = 0; ch < 2; ++ch) {
      data[i * 4 + ch * 2] = static_cast<char>(s & 0xff);
      data[i * 4 + ch * 2 + 1] = static_cast<char>((s >> 8) & 0xff);
    }
  }
  return data;
}

std::vector<int> FrameSeconds(int pictures) {
  std::vector<int> seconds;
  for (int p = 0; p < pictures; ++p) seconds.push_back(p / 10);
  return seconds;
}

}  // namespace scrivel::bench
