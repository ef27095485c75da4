// Sound for real: a private PulseAudio server with a pipe-source microphone
// fed a known tone. The recording's sound, decoded from its MP4, must hold
// that tone for the recorded length; the saved MP4 must hold it as AAC.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTest>

#include <dirent.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "lang/languagestrings.h"
#include "recording/recordingstate.h"
#include "tests/recording/pulsemic.h"
#include "tests/recording/recordertest.h"
#include "tests/recording/soundanalysis.h"
#include "tests/recording/stdoutcapture.h"
#include "tests/support/process.h"

namespace scrivel::test {
namespace {

// The recorder keeps exactly the sound from the start's write flag to the
// stop's press: more than the time from the start's return to the stop's
// press, less than the time from the start's press to the stop's dialog.
// Whole samples and timer reads leave a few milliseconds either way, and the
// sound ends on a whole AAC frame (1024 samples, 23 ms); a capture that drops
// its tail at the stop falls short by far more.
constexpr double kSlackSeconds = 0.005 + 1024.0 / 44100;

const ToneSpec kTone{997.0, 8000, 4000};  // 997 Hz: no whole number of periods in a buffer

class SoundTest : public RecorderTest {
 protected:
  static void SetUpTestSuite() {
    s_mic = std::make_unique<PulseMic>(kTone);
    if (s_mic->error().empty()) s_mic->UseInThisProcess();
    RecorderTest::SetUpTestSuite();
  }
  static void TearDownTestSuite() { s_mic.reset(); }

  void SetUp() override {
    if (!s_mic->error().empty()) GTEST_SKIP() << "no test microphone: " << s_mic->error();
    RecorderTest::SetUp();
  }

  // Presses record and measures: `started` runs from the press's return.
  void StartWithSound() {
    QElapsedTimer press;
    press.start();
    Click(window().recordButton());
    m_startPress = press;
    m_started.start();
    ASSERT_EQ(g_recording.nSoundResult, 0) << s_mic->log();
    ASSERT_EQ(g_recording.nState, 1);
  }

  // The length of sound the segment since the last start must hold lies
  // between the time from the start's return to the stop's press, and the
  // time from the start's press to the stop's save dialog.
  struct Bounds {
    double low = 0, high = 0;
  };

  // Stops the recording; its save question takes the decoded sound into
  // m_snapshot and is cancelled. Returns the seconds `since` showed then.
  double StopAndTakeSound(const QElapsedTimer& since) {
    double asked = 0;
    recorder().SetSaveDialog([&](QWidget*) {
      asked = since.nsecsElapsed() / 1e9;
      m_snapshot.decode = true;
      TakeSnapshot(m_snapshot);
      return Cancel();
    });
    Click(window().recordButton());
    return asked;
  }

  static std::unique_ptr<PulseMic> s_mic;
  QElapsedTimer m_startPress, m_started;
};

std::unique_ptr<PulseMic> SoundTest::s_mic;

TEST_F(SoundTest, TheRecordedSoundHoldsTheToneForTheRecordedLength) {
  StdoutCapture out;
  StartWithSound();
  // Qt 6.4 takes the first listed input as default; ours is the server's.
  qInfo("Qt's default input: %s", QMediaDevices::defaultAudioInput().id().constData());
  ASSERT_TRUE(WaitForPictures(1, 5));
  double low = m_started.nsecsElapsed() / 1e9;
  const double high = StopAndTakeSound(m_startPress);
  ASSERT_TRUE(m_snapshot.asked);

  const ToneReport report = AnalyseTone(m_snapshot.pcm, kTone);
  qInfo("sound %.3f s for a recording of %.3f to %.3f s; %d of %d windows hold the tone; %d jumps",
        report.seconds, low, high, report.toneWindows, report.windows, report.jumps);
  EXPECT_EQ(m_snapshot.pcm.size() % 4, 0u);
  EXPECT_GE(report.seconds, low - kSlackSeconds) << "recorded between " << low << " and " << high << " s";
  EXPECT_LE(report.seconds, high + kSlackSeconds);
  EXPECT_NEAR(report.leftFrequency, kTone.frequency, 0.01 * kTone.frequency);
  EXPECT_NEAR(report.leftRms, kTone.leftAmplitude / std::sqrt(2.0), 0.05 * kTone.leftAmplitude);
  EXPECT_NEAR(report.rightRms, kTone.rightAmplitude / std::sqrt(2.0), 0.05 * kTone.rightAmplitude);
  EXPECT_GE(report.windows, 20);
  // Decoded AAC: the first three windows hold the encoder's priming frame
  // (23 ms, presented before the first picture) and its ramp, the last one
  // its last frame's silence; the tone's exact phase does not survive the coding.
  EXPECT_GE(report.toneWindows, report.windows - 4) << "every 50 ms inside the recording holds the tone";

  const std::string lines = out.text();
  EXPECT_NE(lines.find("Has Wave Num:2\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("you use waveid:"), std::string::npos);
  EXPECT_NE(lines.find("getdate id:0 size:176400 timestemp:"), std::string::npos);
  EXPECT_NE(lines.find("Start Stop\nStart Reset\nStart Close\n"), std::string::npos);
  EXPECT_EQ(recorder().waveIn().sinkReleases(), 1);
}

TEST_F(SoundTest, PauseAndResumeAppendTheSegmentsWithoutLosingSound) {
  StartWithSound();
  ASSERT_TRUE(WaitForPictures(0, 8));
  double low = m_started.nsecsElapsed() / 1e9;
  QElapsedTimer pausePress;
  pausePress.start();
  Click(window().pauseButton());
  double high = m_startPress.nsecsElapsed() / 1e9;
  ASSERT_EQ(g_recording.bPaused, 1);
  QTest::qWait(400);  // not recorded

  QElapsedTimer resumePress;
  resumePress.start();
  Click(window().pauseButton());
  ASSERT_EQ(g_recording.nSoundResult, 0);
  QElapsedTimer resumed;
  resumed.start();
  const size_t before = g_recording.vecFrameSeconds.size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return g_recording.vecFrameSeconds.size() >= before + 8; }, 30000));
  low += resumed.nsecsElapsed() / 1e9;
  high += StopAndTakeSound(resumePress);
  ASSERT_TRUE(m_snapshot.asked);

  const ToneReport report = AnalyseTone(m_snapshot.pcm, kTone);
  qInfo("sound %.3f s for segments of %.3f to %.3f s; %d of %d windows hold the tone; %d jumps",
        report.seconds, low, high, report.toneWindows, report.windows, report.jumps);
  EXPECT_GE(report.seconds, low - 2 * kSlackSeconds) << "recorded between " << low << " and " << high << " s";
  EXPECT_LE(report.seconds, high + 2 * kSlackSeconds);
  // The ends take four windows as in the test above; the join at the pause
  // (the segment's last delivery, padded to its end) falls in up to two.
  EXPECT_GE(report.toneWindows, report.windows - 6) << "the windows at the ends and across the join may differ";
  EXPECT_EQ(recorder().waveIn().sinkReleases(), 2);
}

TEST_F(SoundTest, StopWhilePausedLetsTheSoundGoOnce) {
  StartWithSound();
  ASSERT_TRUE(WaitForPictures(0, 5));
  Click(window().pauseButton());
  ASSERT_EQ(g_recording.bPaused, 1);
  recorder().SetSaveDialog([&](QWidget*) {
    m_snapshot.decode = true;
    TakeSnapshot(m_snapshot);
    return Cancel();
  });
  StdoutCapture out;
  Click(window().recordButton());
  ASSERT_TRUE(m_snapshot.asked);
  EXPECT_GT(m_snapshot.pcmBytes, 0);
  EXPECT_EQ(m_snapshot.pcmBytes % 4, 0);
  EXPECT_EQ(recorder().waveIn().sinkReleases(), 1);
  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(g_recording.bPaused, 0);
  // The device was closed at the pause: the stop only reports.
  EXPECT_NE(out.text().find("Start Stop\nStart Reset\nStart Close\n"), std::string::npos);
}

// The server's default microphone is listed but never delivers a sample: the
// user is asked as when there is none, and No leaves nothing started.
TEST_F(SoundTest, AMicrophoneThatDeliversNothingAsksWhetherToRecordWithoutSound) {
  auto useSource = [&](const char* name) {
    return scrivel::test::Run("/usr/bin/pactl", {"set-default-source", name}, {"PULSE_SERVER=" + s_mic->server()},
               std::chrono::seconds(10))
        .exitCode;
  };
  ASSERT_EQ(useSource("othermic"), 0);
  m_answerer.Plan(QMessageBox::No);
  Click(window().recordButton());
  EXPECT_EQ(useSource("pipemic"), 0);

  ASSERT_EQ(m_answerer.texts().size(), 1);
  EXPECT_EQ(m_answerer.texts().front(), g_strings.Get(10006));
  EXPECT_EQ(g_recording.nSoundResult, -2);
  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(window().recordImage(), 184u);
  EXPECT_EQ(recorder().waveIn().sinkReleases(), 1);
}

TEST_F(SoundTest, AConfirmedSaveWritesVideoAndSoundToThePathAndTheMailFolder) {
  g_recording.bVideoReady = 0;
  const std::string output = temp("Note.mp4.saved/Note.mp4");
  std::filesystem::create_directories(temp("Note.mp4.saved"));
  AnswerSaveWith(QString::fromStdString(output));
  m_snapshot.decode = true;
  StartWithSound();
  ASSERT_TRUE(WaitForPictures(1, 5));
  Click(window().recordButton());
  ASSERT_TRUE(m_snapshot.asked);
  EXPECT_GT(m_snapshot.pcmBytes, 176400);

  EXPECT_EQ(g_recording.bVideoReady, 1);
  ASSERT_EQ(m_answerer.texts().size(), 1);
  EXPECT_EQ(m_answerer.texts().front(), g_strings.Get(10005));
  for (const std::string& path : {output, temp("FMMAPI/Note.mp4")}) {
    ASSERT_TRUE(Exists(path)) << path;
    const RunResult probe =
        test::Run("/usr/bin/ffprobe", {"-v", "error", "-show_entries",
                                 "stream=codec_type,codec_name,width,height,sample_rate,channels", "-of",
                                 "compact=p=0", path});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_NE(probe.out.find("codec_name=h264|codec_type=video|width=352|height=288"), std::string::npos)
        << probe.out;
    EXPECT_NE(probe.out.find("codec_name=aac|codec_type=audio|sample_rate=44100|channels=2"), std::string::npos)
        << probe.out;
  }
  EXPECT_EQ(RecordingFolders(), 0);
}

}  // namespace
}  // namespace scrivel::test
