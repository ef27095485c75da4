#pragma once
// Judges a raw sound file (44100 Hz, stereo, signed 16-bit little-endian)
// that should hold a continuous sine tone.

#include <string>

namespace scrivel::test {

struct ToneSpec;

struct ToneReport {
  double seconds = 0;          // length of the sound
  double leftRms = 0, rightRms = 0;
  double leftFrequency = 0;    // from the zero crossings of the whole file
  // 50 ms windows in all, and those whose level (both channels, within 10%)
  // and frequency (within 3%) are the tone's.
  int windows = 0;
  int toneWindows = 0;
  // Places where the left channel leaves the sine it was on: a lost or
  // inserted piece of sound (or the join of a pause).
  int jumps = 0;
};

ToneReport AnalyseTone(const std::string& pcm, const ToneSpec& tone);

}  // namespace scrivel::test
