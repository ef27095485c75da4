// The multiplexer end to end: the two elementary streams that the encoders
// wrote become one MP4, judged by ffprobe and by decoding it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "media/framegrid.h"
#include "media/mediaresult.h"
#include "tests/media/mediafixture.h"
#include "tests/support/process.h"

namespace scrivel::test {
namespace {

// 25 pictures over three seconds: 26 frames, 2.6 s of video.
const std::vector<int> kSeconds = [] {
  std::vector<int> s(9, 0);
  s.insert(s.end(), 10, 1);
  s.insert(s.end(), 6, 2);
  return s;
}();
constexpr int kPictures = 25;
constexpr double kVideoSeconds = 2.6;
constexpr double kFrameSeconds = 0.1;
// 2.6 s of sound, cut to whole encoder units as the encoder does.
constexpr size_t kSoundBytes = 458640;
constexpr double kSoundSeconds = (kSoundBytes / kSoundUnitBytes) * 1024 / 44100.0;

double Seconds(const ProbedStream& stream) { return std::atof(stream.at("duration").c_str()); }

class Mp4Test : public MediaTest {
 protected:
  void Record(size_t soundBytes = kSoundBytes) {
    ASSERT_EQ(EncodeVideo(kPictures, kSeconds).exitCode, 0);
    ASSERT_EQ(EncodeSound(soundBytes).exitCode, 0);
  }
};

TEST_F(Mp4Test, JoinsVideoAndSoundWithTheRecordingsDurations) {
  Record();
  const StageOutput run = Mux(file("Chosen.mp4"));
  ASSERT_EQ(run.exitCode, static_cast<int>(MediaResult::Ok)) << run.out;
  EXPECT_EQ(run.out.rfind("===========Input Information==========\n"
                          "======================================\n"
                          "==========Output Information==========\n"
                          "======================================\n",
                          0),
            0u)
      << run.out;
  EXPECT_EQ(Count(run.out, "Error"), 0u) << run.out;

  const auto streams = ProbeStreams(file("Chosen.mp4"));
  ASSERT_EQ(streams.size(), 2u);
  const ProbedStream* video = FindStream(streams, "video");
  const ProbedStream* audio = FindStream(streams, "audio");
  ASSERT_NE(video, nullptr);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(video->at("codec_name"), "h264");
  EXPECT_EQ(video->at("width"), "352");
  EXPECT_EQ(video->at("height"), "288");
  EXPECT_EQ(video->at("nb_read_frames"), "26");
  EXPECT_EQ(video->at("r_frame_rate"), "10/1");
  EXPECT_NEAR(Seconds(*video), kVideoSeconds, kFrameSeconds);
  EXPECT_EQ(audio->at("codec_name"), "aac");
  EXPECT_EQ(audio->at("sample_rate"), "44100");
  EXPECT_EQ(audio->at("channels"), "2");
  EXPECT_NEAR(Seconds(*audio), kSoundSeconds, kFrameSeconds);

  // One line per packet written: all video frames and all sound frames.
  const size_t soundFrames = std::stoul(audio->at("nb_read_frames"));
  EXPECT_EQ(Count(run.out, "Write 1 Packet. size:"), 26 + soundFrames) << run.out;
  // The pictures come out in the grid's order, each at its slot's time.
  EXPECT_EQ(DecodedPictures(file("Chosen.mp4")), PlanFrameGrid(kSeconds, kPictures));
  const std::vector<double> times = FrameTimes(file("Chosen.mp4"));
  ASSERT_EQ(times.size(), 26u);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], times[0] + 0.1 * i, 0.001) << "frame " << i;
}

TEST_F(Mp4Test, TwoRunsGiveIdenticalFiles) {
  Record();
  std::filesystem::create_directory(file("FMMAPI"));
  ASSERT_EQ(Mux(file("Chosen.mp4")).exitCode, 0);
  ASSERT_EQ(Mux(folder() + "FMMAPI/Note.mp4").exitCode, 0);
  const std::string first = ReadFile(file("Chosen.mp4"));
  ASSERT_GT(first.size(), 1000u);
  EXPECT_TRUE(first == ReadFile(folder() + "FMMAPI/Note.mp4"));
}

TEST_F(Mp4Test, WithoutUsableSoundWritesVideoOnly) {
  Record();
  std::string garbage(30000, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919 + i / 13) & 0xff);
  for (const char* sound : {"missing", "empty", "garbage"}) {
    SCOPED_TRACE(sound);
    std::filesystem::remove(file("Note.aac"));
    if (std::string(sound) == "empty") WriteFile(file("Note.aac"), "");
    if (std::string(sound) == "garbage") WriteFile(file("Note.aac"), garbage);
    const StageOutput run = Mux(file("Video.mp4"));
    ASSERT_EQ(run.exitCode, static_cast<int>(MediaResult::VideoOnly)) << run.out;
    EXPECT_EQ(run.out.rfind("Could not open input file.===========Input Information==========\n", 0), 0u)
        << run.out;
    EXPECT_EQ(Count(run.out, "Write 1 Packet. size:"), 26u) << run.out;
    EXPECT_EQ(Count(run.out, "Error"), 0u) << run.out;
    const auto streams = ProbeStreams(file("Video.mp4"));
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("codec_name"), "h264");
    EXPECT_EQ(streams[0].at("nb_read_frames"), "26");
  }
}

TEST_F(Mp4Test, SoundShorterThanVideoKeepsEveryFrame) {
  Record(40 * kSoundUnitBytes);  // under a second of sound
  const StageOutput run = Mux(file("Short.mp4"));
  ASSERT_EQ(run.exitCode, static_cast<int>(MediaResult::Ok)) << run.out;
  const auto streams = ProbeStreams(file("Short.mp4"));
  const ProbedStream* video = FindStream(streams, "video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->at("nb_read_frames"), "26");
  EXPECT_NEAR(Seconds(*video), kVideoSeconds, kFrameSeconds);
}

TEST_F(Mp4Test, EmptyOutputPathIsLeftToTheCaller) {
  Record();
  const StageOutput run = Mux("");
  EXPECT_EQ(run.exitCode, static_cast<int>(MediaResult::EmptyOutputPath));
  EXPECT_EQ(run.out, "");
}

TEST_F(Mp4Test, OutputInAMissingFolderIsReported) {
  Record();
  const std::string path = folder() + "FMMAPI/Note.mp4";  // FMMAPI not created
  const StageOutput run = Mux(path);
  EXPECT_EQ(run.exitCode, static_cast<int>(MediaResult::OutputFailed));
  EXPECT_NE(run.out.find("Could not open output file '" + path + "'Error occurred.\n"), std::string::npos)
      << run.out;
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Mp4Test, OutputNameWithoutAContainerIsReported) {
  Record();
  const StageOutput run = Mux(file("Note"));
  EXPECT_EQ(run.exitCode, static_cast<int>(MediaResult::OutputFailed));
  EXPECT_NE(run.out.find("======================================\nCould not create output context\nError occurred.\n"),
            std::string::npos)
      << run.out;
  EXPECT_FALSE(std::filesystem::exists(file("Note")));
}

struct BadVideo {
  std::string name;
  bool present;
  std::string content;
};
void PrintTo(const BadVideo& c, std::ostream* os) { *os << c.name; }

class Mp4BadVideoTest : public MediaTest, public testing::WithParamInterface<BadVideo> {};

TEST_P(Mp4BadVideoTest, EndsWithItsMessageAndWritesNoVideo) {
  const BadVideo& c = GetParam();
  WriteFile(file("Note.pcm"), Tone(10 * kSoundUnitBytes));
  ASSERT_EQ(RunStage({"audio", folder()}).exitCode, 0);
  if (c.present) WriteFile(file("Note.h264"), c.content);
  const StageOutput run = Mux(file("Bad.mp4"));
  // A clean exit with the input failure, never a crash.
  EXPECT_EQ(run.exitCode, static_cast<int>(MediaResult::InputFailed));
  EXPECT_GE(run.out.size(), 16u);
  EXPECT_EQ(run.out.substr(run.out.size() - 16), "Error occurred.\n") << run.out;
  EXPECT_EQ(Count(run.out, "Write 1 Packet."), 0u) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Mp4BadVideoTest,
    testing::Values(BadVideo{"Missing", false, ""}, BadVideo{"Empty", true, ""},
                    BadVideo{"Garbage", true, std::string(20000, '\x5a')},
                    // An H.264 stream cut before its first picture.
                    BadVideo{"HeaderOnly", true, std::string("\x00\x00\x00\x01\x67\x64\x00\x0d", 8)}),
    [](const testing::TestParamInfo<BadVideo>& info) { return info.param.name; });

TEST_F(Mp4Test, MissingVideoPrintsExactlyItsLines) {
  WriteFile(file("Note.pcm"), Tone(10 * kSoundUnitBytes));
  ASSERT_EQ(RunStage({"audio", folder()}).exitCode, 0);
  const StageOutput run = Mux(file("Bad.mp4"));
  EXPECT_EQ(run.exitCode, static_cast<int>(MediaResult::InputFailed));
  EXPECT_EQ(run.out, "Could not open input file.Error occurred.\n");
  EXPECT_FALSE(std::filesystem::exists(file("Bad.mp4")));
}

}  // namespace
}  // namespace scrivel::test
