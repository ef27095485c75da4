#pragma once
// The raw files of a recording made up for the benchmark: pictures of
// handwriting that grows stroke by stroke, and a tone.

#include <string>
#include <vector>

namespace scrivel::bench {

// `pictures` pictures of 352 x 288 planar YUV 4:2:0 at 10 per second: ink
// lines of a cursive-like pen path appear over time on a light page.
std::string HandwritingPictures(int pictures);
// `seconds` of a 440 Hz tone with a slow vibrato, 44100 Hz stereo s16le.
std::string TonePcm(int seconds);
// The recording second of each picture at 10 pictures per second.
std::vector<int> FrameSeconds(int pictures);

}  // namespace scrivel::bench
