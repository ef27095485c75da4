#pragma once
// What ffprobe and ffmpeg say about a recorded MP4: its streams, lengths and
// picture count, its pictures and sound decoded to raw data, and whether a
// seek into it lands where asked.

#include <string>

namespace scrivel::test {

struct VideoProbe {
  bool ok = false;
  std::string error;
  std::string streams;  // "h264,video,352,288;aac,audio,44100,2;" in stream order
  int width = 0, height = 0;
  long frames = 0;              // decoded pictures
  double videoSeconds = 0;      // the video stream's length
  double audioSeconds = -1;     // the sound stream's length (-1: none)
};

VideoProbe ProbeVideo(const std::string& path);

// Every picture as planar YUV 4:2:0, one after the other ("" on failure).
std::string DecodePictures(const std::string& path);
// The sound as 44100 Hz stereo signed 16-bit little-endian ("" when none).
std::string DecodeSound(const std::string& path);
// The time (s) of the first picture shown after seeking to `seconds`;
// negative when the seek fails.
double SeekLandsAt(const std::string& path, double seconds);
// The picture shown after seeking to `seconds` ("" on failure).
std::string DecodePictureAt(const std::string& path, double seconds);
// When (s, the file's own timestamps) the first decoded frame of `stream`
// ("v:0", "a:0") is presented; NaN when there is none. DecodePictures and
// DecodeSound start with that frame.
double FirstFrameTime(const std::string& path, const std::string& stream);

}  // namespace scrivel::test
