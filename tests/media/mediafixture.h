#pragma once
// Raw recording files made for the media tests, the stage runner, and the
// judges: ffprobe's view of a file and the pictures a decoder sees in it.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace scrivel::test {

constexpr int kWidth = 352;
constexpr int kHeight = 288;
constexpr size_t kPictureBytes = size_t{kWidth} * kHeight * 3 / 2;
constexpr size_t kSoundUnitBytes = 4096;  // 1024 stereo 16-bit samples

// Picture i is a flat grey of luma PictureLevel(i): decoded frames tell which
// picture they show. Up to 28 distinct pictures.
int PictureLevel(int64_t picture);
std::string LumaPictures(int count);
// A 440 Hz tone, 44100 Hz stereo s16le, `bytes` long (a whole number of samples).
std::string Tone(size_t bytes);
std::string SecondsText(const std::vector<int>& seconds);

struct StageOutput {
  int exitCode = -1;
  std::string out;
  std::string err;
};
// Runs "media_stage_runner ARGS..." and returns its exit code and output.
StageOutput RunStage(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// ffprobe -show_streams -count_frames -of json, one key/value map per stream.
using ProbedStream = std::map<std::string, std::string>;
std::vector<ProbedStream> ProbeStreams(const std::string& path);
const ProbedStream* FindStream(const std::vector<ProbedStream>& streams, const std::string& type);

// Decodes the video of `path` and returns, per frame in display order, the
// picture index that its mean luma matches (-1 when it matches none).
std::vector<int64_t> DecodedPictures(const std::string& path);

// The presentation times (seconds) of the video frames of `path`, in the
// order the decoder returns them.
std::vector<double> FrameTimes(const std::string& path);

// Occurrences of `needle` in `text`.
size_t Count(const std::string& text, const std::string& needle);

class MediaTest : public testing::Test {
 protected:
  // The temp folder as the stages take it, with a trailing "/".
  std::string folder() const { return m_dir.path() + "/"; }
  std::string file(const std::string& name) const { return m_dir.file(name); }
  // Writes Note.yuv with `pictures` pictures and the seconds list, and encodes.
  StageOutput EncodeVideo(int pictures, const std::vector<int>& seconds);
  StageOutput EncodeSound(size_t bytes);
  StageOutput Mux(const std::string& output) { return RunStage({"mux", folder(), output}); }

 private:
  TempDir m_dir;
};

}  // namespace scrivel::test
