#include "tests/recording/soundanalysis.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/recording/pulsemic.h"

namespace scrivel::test {
namespace {

constexpr int kRate = 44100;
constexpr int kWindow = kRate / 20;  // 50 ms

double Rms(const std::vector<int16_t>& s, size_t begin, size_t end) {
  double sum = 0;
  for (size_t i = begin; i < end; ++i) sum += double(s[i]) * s[i];
  return end > begin ? std::sqrt(sum / double(end - begin)) : 0;
}

int Crossings(const std::vector<int16_t>& s, size_t begin, size_t end) {
  int n = 0;
  for (size_t i = begin + 1; i < end; ++i)
    if ((s[i - 1] < 0) != (s[i] < 0)) ++n;
  return n;
}

}  // namespace

ToneReport AnalyseTone(const std::string& pcm, const ToneSpec& tone) {
  const size_t frames = pcm.size() / 4;
  std::vector<int16_t> left(frames), right(frames);
  for (size_t i = 0; i < frames; ++i) {
    std::memcpy(&left[i], pcm.data() + 4 * i, 2);
    std::memcpy(&right[i], pcm.data() + 4 * i + 2, 2);
  }
  ToneReport report;
  report.seconds = double(frames) / kRate;
  report.leftRms = Rms(left, 0, frames);
  report.rightRms = Rms(right, 0, frames);
  // The frequency away from the coded edges: the encoder's priming frame and
  // ramp at the start and its last frame's silence add crossings of their own.
  const size_t edge = 3 * kWindow;
  const size_t from = frames > 3 * edge ? edge : 0;
  const size_t to = frames > 3 * edge ? frames - kWindow : frames;
  if (to > from + 1) report.leftFrequency = Crossings(left, from, to) / 2.0 / (double(to - from) / kRate);

  const double leftLevel = tone.leftAmplitude / std::sqrt(2.0);
  const double rightLevel = tone.rightAmplitude / std::sqrt(2.0);
  for (size_t begin = 0; begin + kWindow <= frames; begin += kWindow) {
    ++report.windows;
    const double l = Rms(left, begin, begin + kWindow);
    const double r = Rms(right, begin, begin + kWindow);
    const double f = Crossings(left, begin, begin + kWindow) / 2.0 / (double(kWindow) / kRate);
    if (std::fabs(l - leftLevel) <= 0.1 * leftLevel && std::fabs(r - rightLevel) <= 0.1 * rightLevel &&
        std::fabs(f - tone.frequency) <= 0.03 * tone.frequency)
      ++report.toneWindows;
  }

  // On a sine, s[n+1] + s[n-1] = 2 cos(w) s[n]; rounding leaves a residue of
  // a few units, a jump of phase one of a sizeable part of the amplitude.
  const double twoCos = 2 * std::cos(2 * M_PI * tone.frequency / kRate);
  const double limit = 0.05 * tone.leftAmplitude;
  bool inJump = false;
  for (size_t i = 1; i + 1 < frames; ++i) {
    const double residue = std::fabs(double(left[i + 1]) + left[i - 1] - twoCos * left[i]);
    const bool jump = residue > limit;
    if (jump && !inJump) ++report.jumps;
    inJump = jump;
  }
  return report;
}

}  // namespace scrivel::test
