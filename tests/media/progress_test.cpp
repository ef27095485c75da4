// The stages called in process, as the note window's worker thread will call
// them: results, progress reports and the entry markers of the trace.

#include <gtest/gtest.h>

#include <thread>

#include "media/audioencode.h"
#include "media/avitomp4.h"
#include "media/yuvtoh264.h"
#include "tests/media/mediafixture.h"

namespace scrivel::test {
namespace {

// Progress only grows, stays within 0..1 and ends at 1.
void ExpectProgress(const std::vector<double>& fractions) {
  ASSERT_GE(fractions.size(), 2u);
  for (size_t i = 0; i < fractions.size(); ++i) {
    EXPECT_GT(fractions[i], 0.0);
    EXPECT_LE(fractions[i], 1.0);
    if (i > 0) {
      EXPECT_GE(fractions[i], fractions[i - 1]);
    }
  }
  EXPECT_DOUBLE_EQ(fractions.back(), 1.0);
}

using InProcessTest = MediaTest;

TEST_F(InProcessTest, StagesReportProgressAndResults) {
  WriteFile(file("Note.yuv"), LumaPictures(20));
  WriteFile(file("Note.pcm"), Tone(80 * kSoundUnitBytes));
  std::vector<int> seconds(10, 0);
  seconds.insert(seconds.end(), 10, 1);

  // The two encoders side by side on two threads, as a caller may run them.
  std::vector<double> video, sound, mux;
  MediaResult videoResult = MediaResult::Failed;
  std::thread worker([&] {
    videoResult = YUVTOH264(folder(), seconds, [&](double f) { video.push_back(f); });
  });
  const MediaResult soundResult = audio_encode_example(folder(), [&](double f) { sound.push_back(f); });
  worker.join();
  EXPECT_EQ(videoResult, MediaResult::Ok);
  EXPECT_EQ(soundResult, MediaResult::Ok);
  ExpectProgress(video);
  ExpectProgress(sound);

  EXPECT_EQ(AVITOMP4(folder(), file("Note.mp4"), [&](double f) { mux.push_back(f); }), MediaResult::Ok);
  ExpectProgress(mux);
  EXPECT_EQ(AVITOMP4(folder(), ""), MediaResult::EmptyOutputPath);
}

TEST_F(InProcessTest, EntryMarkersAreTracedOnlyWhenAsked) {
  WriteFile(file("Note.yuv"), LumaPictures(2));
  WriteFile(file("seconds.txt"), "0 0");
  const StageOutput quiet = RunStage({"yuvtoh264", folder(), file("seconds.txt")}, {"SCRIVEL_TRACE="});
  EXPECT_EQ(quiet.err.find("进入"), std::string::npos) << quiet.err;
  const StageOutput traced = RunStage({"yuvtoh264", folder(), file("seconds.txt")}, {"SCRIVEL_TRACE=1"});
  EXPECT_NE(traced.err.find("进入YUVTOH264函数\n"), std::string::npos) << traced.err;
  EXPECT_NE(traced.err.find("进入flush_encoder函数\n"), std::string::npos) << traced.err;
  EXPECT_EQ(traced.out.find("进入"), std::string::npos);  // never on stdout
}

}  // namespace
}  // namespace scrivel::test
