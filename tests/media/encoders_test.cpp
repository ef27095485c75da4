// The two encoding stages end to end: raw files in, elementary streams out,
// judged by decoding and by ffprobe; their stdout lines checked as printed.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "media/framegrid.h"
#include "media/mediaresult.h"
#include "tests/media/mediafixture.h"
#include "tests/support/process.h"

namespace scrivel::test {
namespace {

std::vector<int> Times(int second, int n) { return std::vector<int>(static_cast<size_t>(n), second); }
std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct VideoCase {
  std::string name;
  int pictures;  // in Note.yuv
  std::vector<int> seconds;
  size_t frames;  // expected in Note.h264
};
void PrintTo(const VideoCase& c, std::ostream* os) { *os << c.name; }

class VideoGridTest : public MediaTest, public testing::WithParamInterface<VideoCase> {};

TEST_P(VideoGridTest, EncodesEveryGridSlotWithItsPicture) {
  const VideoCase& c = GetParam();
  const StageOutput run = EncodeVideo(c.pictures, c.seconds);
  ASSERT_EQ(run.exitCode, static_cast<int>(MediaResult::Ok)) << run.out;

  // One stdout line per packet, numbered from 0, then the drained ones.
  const size_t encoded = Count(run.out, "Succeed to encode frame: ");
  const size_t drained = Count(run.out, "Flush Encoder: Succeed to encode 1 frame!\tsize:");
  EXPECT_EQ(encoded + drained, c.frames) << run.out;
  EXPECT_TRUE(std::regex_search(run.out, std::regex("^Succeed to encode frame:     0\tsize:[ 0-9]{5}\n")))
      << run.out;
  EXPECT_EQ(Count(run.out, "Failed"), 0u) << run.out;

  const auto streams = ProbeStreams(file("Note.h264"));
  const ProbedStream* video = FindStream(streams, "video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->at("codec_name"), "h264");
  EXPECT_EQ(video->at("width"), "352");
  EXPECT_EQ(video->at("height"), "288");
  EXPECT_EQ(video->at("pix_fmt"), "yuv420p");
  EXPECT_EQ(video->at("nb_read_frames"), std::to_string(c.frames));

  // Every frame shows the picture the grid puts in its slot.
  const auto expected = PlanFrameGrid(c.seconds, c.pictures);
  ASSERT_EQ(expected.size(), c.frames);
  EXPECT_EQ(DecodedPictures(file("Note.h264")), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, VideoGridTest,
    testing::Values(
        // 9 + 10 + 6 pictures: the ninth is repeated once, nothing follows the last.
        VideoCase{"NineTenSix", 25, Join({Times(0, 9), Times(1, 10), Times(2, 6)}), 26},
        // No picture in second 2: the last picture of second 1 fills its ten slots.
        VideoCase{"MissingSecond", 25, Join({Times(0, 10), Times(1, 10), Times(3, 5)}), 35},
        // 13 pictures carry second 0: ten slots, the rest dropped, and the grid goes on.
        VideoCase{"MoreThanTenInASecond", 16, Join({Times(0, 13), Times(1, 3)}), 13},
        // Recording began in second 2: the first picture fills the slots before it.
        VideoCase{"FirstPictureInSecondTwo", 5, Times(2, 5), 25},
        // Fewer seconds listed than pictures in the file.
        VideoCase{"ListShorterThanFile", 10, Times(0, 6), 6}),
    [](const testing::TestParamInfo<VideoCase>& info) { return info.param.name; });

// ADTS frames in `data`: sync word 0xFFF, frame length in 13 bits.
size_t CountAdtsFrames(const std::string& data) {
  size_t frames = 0;
  size_t at = 0;
  while (at + 7 <= data.size()) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(data[at + i]); };
    if (b(0) != 0xFF || (b(1) & 0xF0) != 0xF0) return 0;  // not ADTS
    const size_t length = ((b(3) & 0x03u) << 11) | (b(4) << 3) | (b(5) >> 5);
    if (length < 7) return 0;
    at += length;
    ++frames;
  }
  return at == data.size() ? frames : 0;
}

struct SoundCase {
  std::string name;
  size_t bytes;  // of Note.pcm
  size_t units;  // expected encoded units of 4096 bytes
  size_t adts;   // expected ADTS frames
};
void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.name; }

class SoundUnitTest : public MediaTest, public testing::WithParamInterface<SoundCase> {};

TEST_P(SoundUnitTest, EncodesWholeUnitsOnly) {
  const SoundCase& c = GetParam();
  const StageOutput run = EncodeSound(c.bytes);
  ASSERT_EQ(run.exitCode, static_cast<int>(MediaResult::Ok)) << run.out;

  // The AAC encoder delays its output by one frame of priming samples, so the
  // stream holds one ADTS frame more than units went in; the drain hands it out.
  const size_t adts = CountAdtsFrames(ReadFile(file("Note.aac")));
  EXPECT_EQ(adts, c.adts);
  EXPECT_EQ(Count(run.out, "Succeed to encode 1 frame! \tsize:"), c.units - 1) << run.out;
  const size_t encoded = Count(run.out, "Succeed to encode 1 frame! \tsize:");
  const size_t drained = Count(run.out, "Flush Encoder: Succeed to encode 1 frame!\tsize:");
  EXPECT_EQ(encoded + drained, adts) << run.out;
  EXPECT_GE(drained, 1u) << run.out;

  const auto streams = ProbeStreams(file("Note.aac"));
  const ProbedStream* audio = FindStream(streams, "audio");
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(audio->at("codec_name"), "aac");
  EXPECT_EQ(audio->at("sample_rate"), "44100");
  EXPECT_EQ(audio->at("channels"), "2");
  EXPECT_EQ(audio->at("nb_read_frames"), std::to_string(adts));
}

INSTANTIATE_TEST_SUITE_P(
    Units, SoundUnitTest,
    testing::Values(SoundCase{"TenUnitsAndAHundredBytes", 10 * kSoundUnitBytes + 100, 10, 11},
                    SoundCase{"TenUnits", 10 * kSoundUnitBytes, 10, 11},
                    SoundCase{"ElevenUnits", 11 * kSoundUnitBytes, 11, 12},
                    SoundCase{"FiveUnitsAndAlmostOneMore", 6 * kSoundUnitBytes - 4, 5, 6}),
    [](const testing::TestParamInfo<SoundCase>& info) { return info.param.name; });

using EncoderFailureTest = MediaTest;

TEST_F(EncoderFailureTest, MissingRawFilesWriteNothing) {
  WriteFile(file("seconds.txt"), "0 0 0");
  const StageOutput video = RunStage({"yuvtoh264", folder(), file("seconds.txt")});
  EXPECT_EQ(video.exitCode, static_cast<int>(MediaResult::NoInput));
  EXPECT_EQ(video.out, "");
  EXPECT_FALSE(std::filesystem::exists(file("Note.h264")));

  const StageOutput sound = RunStage({"audio", folder()});
  EXPECT_EQ(sound.exitCode, static_cast<int>(MediaResult::NoInput));
  EXPECT_EQ(sound.out, "");
  EXPECT_FALSE(std::filesystem::exists(file("Note.aac")));
}

TEST_F(EncoderFailureTest, EmptyOrPartialRawFilesGiveStreamsWithoutFrames) {
  for (const std::string& content : {std::string(), std::string(100, '\x10')}) {
    WriteFile(file("Note.yuv"), content);
    WriteFile(file("seconds.txt"), "0 0 0");
    const StageOutput video = RunStage({"yuvtoh264", folder(), file("seconds.txt")});
    EXPECT_EQ(video.exitCode, static_cast<int>(MediaResult::Ok)) << video.out;
    EXPECT_EQ(Count(video.out, "Succeed"), 0u) << video.out;
    ASSERT_TRUE(std::filesystem::exists(file("Note.h264")));
    EXPECT_EQ(std::filesystem::file_size(file("Note.h264")), 0u);

    WriteFile(file("Note.pcm"), content);
    const StageOutput sound = RunStage({"audio", folder()});
    EXPECT_EQ(sound.exitCode, static_cast<int>(MediaResult::Ok)) << sound.out;
    EXPECT_EQ(Count(sound.out, "Succeed"), 0u) << sound.out;
    ASSERT_TRUE(std::filesystem::exists(file("Note.aac")));
    EXPECT_EQ(std::filesystem::file_size(file("Note.aac")), 0u);
  }
}

TEST_F(EncoderFailureTest, OutputThatCannotBeOpenedIsReported) {
  // A folder where each output file should go.
  std::filesystem::create_directory(file("Note.h264"));
  std::filesystem::create_directory(file("Note.aac"));
  const StageOutput video = EncodeVideo(3, Times(0, 3));
  EXPECT_EQ(video.exitCode, static_cast<int>(MediaResult::OutputFailed));
  EXPECT_EQ(video.out, "Failed to open output file! \n");
  const StageOutput sound = EncodeSound(2 * kSoundUnitBytes);
  EXPECT_EQ(sound.exitCode, static_cast<int>(MediaResult::OutputFailed));
  EXPECT_EQ(sound.out, "Failed to open output file!\n");
}

TEST_F(EncoderFailureTest, RepeatedRunsGiveIdenticalStreams) {
  ASSERT_EQ(EncodeVideo(12, Join({Times(0, 7), Times(1, 5)})).exitCode, 0);
  ASSERT_EQ(EncodeSound(5 * kSoundUnitBytes).exitCode, 0);
  const std::string video = ReadFile(file("Note.h264"));
  const std::string sound = ReadFile(file("Note.aac"));
  ASSERT_EQ(RunStage({"yuvtoh264", folder(), file("seconds.txt")}).exitCode, 0);
  ASSERT_EQ(RunStage({"audio", folder()}).exitCode, 0);
  EXPECT_TRUE(ReadFile(file("Note.h264")) == video);
  EXPECT_TRUE(ReadFile(file("Note.aac")) == sound);
}

}  // namespace
}  // namespace scrivel::test
