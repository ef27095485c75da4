// The recording written while it runs: the grid and the streams of the MP4,
// the sound segments brought to the clock, silence for a microphone that
// stops, a file cut short still saved, and a full disk reported.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "media/liveframegrid.h"
#include "media/recordingwriter.h"
#include "media/remuxrecording.h"
#include "tests/recording/pulsemic.h"
#include "tests/recording/soundanalysis.h"
#include "tests/support/tempdir.h"
#include "tests/support/videoprobe.h"

namespace scrivel {
namespace {

const test::ToneSpec kTone{997.0, 8000, 4000};
constexpr int64_t kChunkBytes = kSoundBytesPerSecond / 100;  // 10 ms, as a microphone delivers

// Feeds the writer like a recording: per second 10 pictures of one grey,
// and the tone in 10 ms pieces, continuing its phase across calls.
class Feeder {
 public:
  explicit Feeder(CRecordingWriter& writer) : m_writer(writer) {}
  void Pictures(int second, int count) {
    for (int i = 0; i < count; ++i) {
      std::vector<uint8_t> yuv(kPictureBytes, 128);
      std::memset(yuv.data(), 40 + 20 * (second % 10), size_t{kPictureWidth} * kPictureHeight);
      m_writer.AddPicture(std::move(yuv), second);
    }
  }
  void Silence(int64_t bytes) {
    const std::vector<char> zeros(static_cast<size_t>(bytes));
    m_writer.AddSound(zeros.data(), zeros.size());
  }
  void Sound(int64_t bytes) {
    std::vector<int16_t> chunk(static_cast<size_t>(kChunkBytes / 2));
    for (int64_t done = 0; done < bytes; done += kChunkBytes) {
      const size_t frames = static_cast<size_t>(std::min(kChunkBytes, bytes - done) / 4);
      for (size_t i = 0; i < frames; ++i, ++m_sample) {
        const double s = std::sin(2 * M_PI * kTone.frequency * double(m_sample) / kSampleRate);
        chunk[2 * i] = static_cast<int16_t>(std::lround(kTone.leftAmplitude * s));
        chunk[2 * i + 1] = static_cast<int16_t>(std::lround(kTone.rightAmplitude * s));
      }
      m_writer.AddSound(reinterpret_cast<const char*>(chunk.data()), frames * 4);
    }
  }

 private:
  CRecordingWriter& m_writer;
  int64_t m_sample = 0;
};

int64_t Bytes(double seconds) { return static_cast<int64_t>(seconds * kSampleRate) * kSoundBlockAlign; }

// A writer open on Note.mp4 in a folder of its own, and its feeder.
class RecordingWriterTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(writer.Open({path}), MediaResult::Ok); }
  test::TempDir dir;
  const std::string path = dir.file("Note.mp4");
  CRecordingWriter writer;
  Feeder feed{writer};
};

TEST(LiveFrameGrid, PlacesPicturesAsTheFileGridDoes) {
  struct Case {
    const char* name;
    std::vector<int> seconds;
    int64_t endMs;
    int64_t slotsBeforeFinish;
    int64_t slotsAfterFinish;
  };
  const Case cases[] = {
      // 9 pictures in second 0, 10 in 1, 6 in 2: the ninth repeats once.
      {"short first second", [] {
         std::vector<int> v(9, 0);
         v.insert(v.end(), 10, 1);
         v.insert(v.end(), 6, 2);
         return v;
       }(), 2600, 26, 26},
      {"a second without pictures", {3, 3, 5}, 5500, 51, 55},
      {"pictures past the tenth are dropped", std::vector<int>(14, 0), 1000, 10, 10},
      {"a late picture of a passed second is dropped", {0, 2, 1}, 3000, 21, 30},
      {"no picture: no slots", {}, 5000, 0, 0},
  };
  for (const Case& c : cases) {
    LiveFrameGrid grid;
    for (int second : c.seconds) grid.Add(second);
    EXPECT_EQ(grid.slotCount(), c.slotsBeforeFinish) << c.name;
    grid.Finish(c.endMs);
    EXPECT_EQ(grid.slotCount(), c.slotsAfterFinish) << c.name;
  }
}

TEST_F(RecordingWriterTest, SegmentsOfSoundFollowTheClockAndPicturesTheGrid) {
  // Segment 1 lasts 2.0 s; the microphone delivered 1.95 s of it.
  feed.Pictures(0, 10);
  feed.Pictures(1, 10);
  feed.Sound(Bytes(1.95));
  writer.EndSoundSegment(Bytes(2.0));
  // Segment 2 lasts 1.5 s; 1.55 s arrived.
  feed.Pictures(2, 10);
  feed.Pictures(3, 5);
  feed.Sound(Bytes(1.55));
  writer.EndSoundSegment(Bytes(1.5));
  ASSERT_EQ(writer.Finish(3500), MediaResult::Ok);
  EXPECT_EQ(writer.paddedBytes(), 0) << "a delivery's delay at a segment's end is not a stall";

  const test::VideoProbe probe = test::ProbeVideo(path);
  ASSERT_TRUE(probe.ok) << probe.error;
  EXPECT_EQ(probe.streams, "h264,video,352,288;aac,audio,44100,2;");
  EXPECT_EQ(probe.frames, 35);
  // The sound's length is whole AAC frames of 23 ms and the encoder's start-up.
  EXPECT_NEAR(probe.videoSeconds, 3.5, 0.03);
  EXPECT_NEAR(probe.audioSeconds, probe.videoSeconds, 0.08) << "one clock for both";
  EXPECT_NEAR(test::SeekLandsAt(path, 2.0), 2.0, 0.11);
  const std::string seen = test::DecodePictureAt(path, 3.2);
  ASSERT_EQ(seen.size(), kPictureBytes);
  EXPECT_NEAR(uint8_t(seen[1000]), 40 + 20 * 3, 3) << "the seek shows second 3";
  // Second 3's pictures are darker than second 2's: the grid kept the order.
  const std::string pictures = test::DecodePictures(path);
  ASSERT_EQ(pictures.size(), 35 * kPictureBytes);
  EXPECT_NEAR(uint8_t(pictures[25 * kPictureBytes + 1000]), 40 + 20 * 2, 3);
  EXPECT_NEAR(uint8_t(pictures[34 * kPictureBytes + 1000]), 40 + 20 * 3, 3);
  const test::ToneReport tone = test::AnalyseTone(test::DecodeSound(path), kTone);
  EXPECT_NEAR(tone.seconds, 3.5, 0.08);
  EXPECT_GE(tone.toneWindows, tone.windows - 4) << "the tone, but for the padded 50 ms and the joins";
}

TEST_F(RecordingWriterTest, SoundAndPicturesStartTogether) {
  // Silence for the first second, the tone from the second's first picture on.
  feed.Pictures(0, 10);
  feed.Silence(Bytes(1.0));
  feed.Pictures(1, 10);
  feed.Sound(Bytes(1.0));
  writer.EndSoundSegment(Bytes(2.0));
  ASSERT_EQ(writer.Finish(2000), MediaResult::Ok);
  // The tone is heard one second after the first picture is shown: the
  // encoder's priming samples (23 ms) do not push the sound late.
  const std::string pcm = test::DecodeSound(path);
  size_t onset = 0;
  while (onset + 4 <= pcm.size()) {
    int16_t left = 0;
    std::memcpy(&left, pcm.data() + onset, 2);
    if (std::abs(left) > kTone.leftAmplitude / 2) break;
    onset += 4;
  }
  const double heard = test::FirstFrameTime(path, "a:0") + double(onset / 4) / kSampleRate;
  EXPECT_NEAR(heard - test::FirstFrameTime(path, "v:0"), 1.0, 0.005);
}

TEST_F(RecordingWriterTest, AMicrophoneThatStopsIsPaddedWithSilenceAndCounted) {
  feed.Sound(Bytes(1.0));
  writer.KeepSoundUp(Bytes(1.3));  // within a delivery's delay: nothing
  for (int second = 0; second < 4; ++second) feed.Pictures(second, 10);
  writer.KeepSoundUp(Bytes(3.0));  // two seconds without sound
  writer.EndSoundSegment(Bytes(4.0));
  ASSERT_EQ(writer.Finish(4000), MediaResult::Ok);
  // 1.9 s when the sound fell behind, 1.1 s more at the segment's end.
  EXPECT_NEAR(double(writer.paddedBytes()) / kSoundBytesPerSecond, 3.0, 0.01);
  const test::VideoProbe probe = test::ProbeVideo(path);
  EXPECT_NEAR(probe.audioSeconds, 4.0, 0.08);
  EXPECT_EQ(probe.frames, 40);
}

TEST_F(RecordingWriterTest, AFileCutShortIsSavedUpToWhereItWasCut) {
  for (int second = 0; second < 10; ++second) {
    feed.Pictures(second, 10);
    feed.Sound(Bytes(1.0));
  }
  writer.EndSoundSegment(Bytes(10.0));
  ASSERT_EQ(writer.Finish(10000), MediaResult::Ok);
  // A crash leaves the file wherever the last write ended.
  const auto size = std::filesystem::file_size(path);
  std::filesystem::resize_file(path, size * 6 / 10);
  const std::string saved = dir.file("saved.mp4");
  const RemuxReport report = RemuxRecording(path, saved);
  ASSERT_EQ(report.result, MediaResult::Ok);
  const test::VideoProbe probe = test::ProbeVideo(saved);
  ASSERT_TRUE(probe.ok) << probe.error;
  EXPECT_EQ(probe.streams, "h264,video,352,288;aac,audio,44100,2;");
  EXPECT_GE(probe.videoSeconds, 6.0 - 2.0) << "at most 2 s before the cut are lost";
  EXPECT_LE(probe.videoSeconds, 6.5);
  EXPECT_NEAR(report.seconds, probe.videoSeconds, 0.11);
  EXPECT_NEAR(test::SeekLandsAt(saved, 3.0), 3.0, 0.11);
}

TEST_F(RecordingWriterTest, AFullDiskEndsTheRecordingWithTheReason) {
  // Files of this process may not grow past 300 KB for a moment: writes fail
  // as on a full disk.
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 300000;
  setrlimit(RLIMIT_FSIZE, &small);
  for (int second = 0; second < 30 && !writer.failed(); ++second) {
    // Noise pictures do not compress: the file grows quickly.
    std::vector<uint8_t> yuv(kPictureBytes);
    for (size_t i = 0; i < yuv.size(); ++i) yuv[i] = uint8_t((i * 2654435761u + second * 97u) >> 13);
    for (int i = 0; i < 10; ++i) writer.AddPicture(yuv, second);
    feed.Sound(Bytes(1.0));
  }
  const MediaResult result = writer.Finish(30000);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(result, MediaResult::WriteFailed);
  EXPECT_TRUE(writer.failed());
  EXPECT_NE(writer.failure().find("too large"), std::string::npos) << writer.failure();
  // What reached the file is saved all the same.
  const RemuxReport report = RemuxRecording(path, dir.file("saved.mp4"));
  EXPECT_TRUE(Succeeded(report.result));
}

}  // namespace
}  // namespace scrivel
