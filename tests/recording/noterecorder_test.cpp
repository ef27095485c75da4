// The recording controls without a sound server: the no-device question, the
// clock, the frame-second list and the raw picture file, pause and resume,
// the stop's save, clean-up and the mail copy, and closing the window.
#include <gtest/gtest.h>

#include <QTest>

#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>

#include "lang/languagestrings.h"
#include "recording/fitscaler.h"
#include "recording/recordingstate.h"
#include "tests/recording/recordertest.h"
#include "tests/recording/stdoutcapture.h"
#include "tests/support/process.h"
#include "tests/support/videoprobe.h"

namespace scrivel::test {
namespace {

constexpr int64_t kPicture = static_cast<int64_t>(CFitScaler::kPictureBytes);

// No sound server answers in this process: Qt lists no sound input.
class NoSoundServerTest : public RecorderTest {
 protected:
  static void SetUpTestSuite() {
    setenv("PULSE_SERVER", "unix:/nonexistent/scrivel-no-sound-server", 1);
    RecorderTest::SetUpTestSuite();
  }

  // Starts a recording, answering Yes to recording without sound.
  void StartWithoutSound() {
    m_answerer.Plan(QMessageBox::Yes);
    Click(window().recordButton());
    ASSERT_EQ(g_recording.nState, 1);
    ASSERT_EQ(g_recording.nSoundResult, -1);
  }
};

struct Yuv {
  int y, u, v;
};

Yuv PixelAt(const std::string& pictures, int x, int y) {
  constexpr int kW = CFitScaler::kWidth;
  const size_t luma = size_t{kW} * CFitScaler::kHeight;
  const size_t chroma = static_cast<size_t>(y / 2) * (kW / 2) + static_cast<size_t>(x / 2);
  auto at = [&](size_t i) { return static_cast<int>(static_cast<unsigned char>(pictures[i])); };
  return {at(static_cast<size_t>(y) * kW + x), at(luma + chroma), at(luma + luma / 4 + chroma)};
}

testing::AssertionResult Near(const Yuv& got, const Yuv& want) {
  if (std::abs(got.y - want.y) <= 4 && std::abs(got.u - want.u) <= 6 && std::abs(got.v - want.v) <= 6)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got " << got.y << "/" << got.u << "/" << got.v;
}

TEST_F(NoSoundServerTest, WithoutInputTheUserIsAskedAndNoCancelsTheStart) {
  StdoutCapture out;
  m_answerer.Plan(QMessageBox::No);
  Click(window().recordButton());

  ASSERT_EQ(m_answerer.texts().size(), 1);
  EXPECT_FALSE(g_strings.Get(10006).isEmpty());
  EXPECT_EQ(m_answerer.texts().front(), g_strings.Get(10006));
  EXPECT_EQ(m_answerer.titles().front(), g_strings.Get(10004));
  EXPECT_NE(out.text().find("Has Wave Num:0\n"), std::string::npos) << out.text();

  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(g_recording.nSoundResult, -2);
  EXPECT_EQ(g_recording.nTimerId, 0);
  EXPECT_EQ(window().recordImage(), 184u);
  EXPECT_FALSE(window().pauseButton()->isVisible());
  EXPECT_FALSE(window().clock()->isVisible());
  QTest::qWait(300);
  EXPECT_TRUE(g_recording.vecFrameSeconds.empty());
  EXPECT_EQ(RecordingFolders(), 0);
  EXPECT_FALSE(snapshot().asked);
}

TEST_F(NoSoundServerTest, AnUnwritableTempFolderEndsTheStartWithAMessage) {
  WriteFile(temp("a-file"), "not a folder");
  setenv("TMPDIR", temp("a-file").c_str(), 1);  // mkdtemp fails inside a file
  m_answerer.Plan(QMessageBox::Ok);
  Click(window().recordButton());
  setenv("TMPDIR", m_temp.path().c_str(), 1);

  ASSERT_EQ(m_answerer.texts().size(), 1);
  EXPECT_TRUE(m_answerer.texts()[0].contains(QStringLiteral("cannot start"))) << m_answerer.texts()[0].toStdString();
  EXPECT_EQ(m_answerer.titles()[0], QStringLiteral("Scrivel"));
  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(g_recording.nTimerId, 0);
  EXPECT_EQ(window().recordImage(), 184u);
  EXPECT_FALSE(window().pauseButton()->isVisible());
  EXPECT_FALSE(snapshot().asked);
  // The record button works again: a second press asks about the sound anew.
  m_answerer.Plan(QMessageBox::No);
  Click(window().recordButton());
  EXPECT_EQ(m_answerer.texts().size(), 2);
}

TEST_F(NoSoundServerTest, WithoutInputYesRecordsPicturesWithoutSound) {
  StartWithoutSound();
  ASSERT_EQ(m_answerer.texts().size(), 1);
  EXPECT_EQ(window().recordImage(), 190u);
  EXPECT_TRUE(window().pauseButton()->isVisible());
  EXPECT_EQ(window().pauseImage(), 192u);
  EXPECT_TRUE(window().clock()->isVisible());
  EXPECT_NE(g_recording.nTimerId, 0);
  ASSERT_TRUE(WaitForPictures(0, 3));
  ASSERT_NE(recorder().writer(), nullptr);
  EXPECT_FALSE(recorder().writer()->options().withSound);

  Click(window().recordButton());
  EXPECT_EQ(g_recording.nState, 0);
  ASSERT_TRUE(snapshot().asked);
  EXPECT_EQ(snapshot().streams, "h264,video,352,288;");
  EXPECT_TRUE(OnTheGrid(snapshot().frames, g_recording.nRecordedMs));
}

TEST_F(NoSoundServerTest, ARecordingOfAboutTwoAndAHalfSecondsListsItsPicturesBySecond) {
  m_snapshot.decode = true;
  StartWithoutSound();
  ASSERT_TRUE(WaitForPictures(2, 5));
  Click(window().recordButton());

  const std::vector<int>& list = g_recording.vecFrameSeconds;
  ASSERT_TRUE(snapshot().asked);
  EXPECT_EQ(snapshot().yuvBytes % kPicture, 0);
  EXPECT_TRUE(OnTheGrid(snapshot().yuvBytes / kPicture, g_recording.nRecordedMs));
  ASSERT_GE(list.size(), 10u);
  EXPECT_TRUE(NeverDecreases(list));
  EXPECT_EQ(list.front(), 0);
  EXPECT_GE(PicturesIn(0), 1);
  EXPECT_GE(PicturesIn(1), 1);
  EXPECT_GE(PicturesIn(2), 5);
  EXPECT_LE(list.back(), 3);
  EXPECT_EQ(window().recordImage(), 184u);
  EXPECT_FALSE(window().pauseButton()->isVisible());
  EXPECT_FALSE(window().clock()->isVisible());
  EXPECT_EQ(g_recording.nTimerId, 0);

  // The first picture is the window: red band on top, blue band at the
  // bottom, its aspect kept with white to the left and right.
  const std::string& pictures = snapshot().yuv;
  ASSERT_GE(pictures.size(), size_t(kPicture));
  const Yuv white{235, 128, 128}, red{81, 90, 240}, blue{41, 240, 110};
  EXPECT_TRUE(Near(PixelAt(pictures, 200, 8), red));
  EXPECT_TRUE(Near(PixelAt(pictures, 200, 144), white));
  EXPECT_TRUE(Near(PixelAt(pictures, 200, 282), blue));
  for (int y : {8, 144, 282}) {
    EXPECT_TRUE(Near(PixelAt(pictures, 20, y), white)) << "left of the window, row " << y;
    EXPECT_TRUE(Near(PixelAt(pictures, 335, y), white)) << "right of the window, row " << y;
  }
}

TEST_F(NoSoundServerTest, PauseAndResumeContinueTheClockWithoutGoingBack) {
  int64_t now = 1'000'000;
  recorder().SetTickCount([&now] { return now; });
  StartWithoutSound();
  EXPECT_EQ(window().clock()->text(), "00:00:00");

  now += 90'000;  // 1 min 30 s into the recording
  ASSERT_TRUE(QTest::qWaitFor([&] { return window().clock()->text() == "00:01:30"; }, 10000));
  ASSERT_EQ(g_recording.vecFrameSeconds.back(), 90);

  Click(window().pauseButton());
  EXPECT_EQ(g_recording.bPaused, 1);
  EXPECT_EQ(g_recording.nOffset, 90'000);
  EXPECT_EQ(window().pauseImage(), 194u);
  EXPECT_EQ(g_recording.nTimerId, 0);
  const size_t pausedAt = g_recording.vecFrameSeconds.size();
  now += 600'000;  // ten minutes pass while paused
  QTest::qWait(350);
  EXPECT_EQ(g_recording.vecFrameSeconds.size(), pausedAt) << "no pictures while paused";
  EXPECT_EQ(window().clock()->text(), "00:01:30");

  Click(window().pauseButton());
  EXPECT_EQ(g_recording.bPaused, 0);
  EXPECT_EQ(window().pauseImage(), 192u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return g_recording.vecFrameSeconds.size() > pausedAt; }, 10000));
  EXPECT_EQ(window().clock()->text(), "00:01:30");  // continues from the pause
  now += 1'000;
  ASSERT_TRUE(QTest::qWaitFor([&] { return window().clock()->text() == "00:01:31"; }, 10000));
  EXPECT_TRUE(NeverDecreases(g_recording.vecFrameSeconds));
  EXPECT_EQ(g_recording.vecFrameSeconds.back(), 91);

  // Stop while paused ends the recording normally.
  Click(window().pauseButton());
  Click(window().recordButton());
  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(g_recording.bPaused, 0);
  EXPECT_EQ(g_recording.nOffset, 0);
  ASSERT_TRUE(snapshot().asked);
  EXPECT_EQ(g_recording.nRecordedMs, 91'000);
  EXPECT_TRUE(OnTheGrid(snapshot().frames, g_recording.nRecordedMs)) << "paused time is not in the video";
  EXPECT_FALSE(window().pauseButton()->isVisible());

  // The next recording starts with the pause button in its running look.
  StartWithoutSound();
  EXPECT_EQ(window().pauseImage(), 192u);
  EXPECT_EQ(window().clock()->text(), "00:00:00");
  Click(window().recordButton());
}

TEST_F(NoSoundServerTest, ASecondRecordingStartsWithAnEmptyListInAFolderOfItsOwn) {
  StartWithoutSound();
  // Two seconds and more: more pictures than the second recording's few,
  // however late a loaded machine's ticks come.
  ASSERT_TRUE(WaitForPictures(2, 1));
  const QString firstFolder = g_recording.strRecordingFolder;
  Click(window().recordButton());
  const size_t firstCount = g_recording.vecFrameSeconds.size();
  ASSERT_GT(firstCount, 3u);
  EXPECT_EQ(RecordingFolders(), 0);

  m_snapshot = {};
  StartWithoutSound();
  EXPECT_TRUE(g_recording.vecFrameSeconds.empty());
  EXPECT_NE(g_recording.strRecordingFolder, firstFolder);
  EXPECT_EQ(RecordingFolders(), 1);
  ASSERT_TRUE(WaitForPictures(0, 3));
  Click(window().recordButton());
  ASSERT_TRUE(snapshot().asked);
  EXPECT_EQ(g_recording.vecFrameSeconds.front(), 0);
  EXPECT_LT(g_recording.vecFrameSeconds.size(), firstCount);
  EXPECT_TRUE(OnTheGrid(snapshot().frames, g_recording.nRecordedMs));
}

struct SaveCase {
  const char* name;
  bool confirm;
};

void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.name; }

class StopSaveTest : public NoSoundServerTest, public testing::WithParamInterface<SaveCase> {};

TEST_P(StopSaveTest, IntermediateFilesAreGoneAfterTheStop) {
  const bool confirm = GetParam().confirm;
  g_recording.bVideoReady = 0;
  const std::string output = temp("videos/Note.mp4");
  std::filesystem::create_directories(temp("videos"));
  AnswerSaveWith(confirm ? QString::fromStdString(output) : QString());
  StartWithoutSound();
  ASSERT_TRUE(WaitForPictures(1, 3));
  Click(window().recordButton());
  ASSERT_TRUE(snapshot().asked);

  EXPECT_EQ(RecordingFolders(), 0);
  const std::string mailCopy = temp("FMMAPI/Note.mp4");
  if (!confirm) {
    EXPECT_FALSE(Exists(output));
    EXPECT_FALSE(Exists(mailCopy));
    EXPECT_EQ(g_recording.bVideoReady, 0);
    ASSERT_EQ(m_answerer.texts().size(), 2);  // the no-device question, then the discard question
    EXPECT_TRUE(m_answerer.texts()[1].contains(QStringLiteral("Discard"))) << m_answerer.texts()[1].toStdString();
    return;
  }
  // Saved without sound: a video of the window at the chosen path and in the mail folder.
  EXPECT_EQ(g_recording.bVideoReady, 1);
  ASSERT_EQ(m_answerer.texts().size(), 2);
  EXPECT_EQ(m_answerer.texts()[1], g_strings.Get(10005));
  for (const std::string& path : {output, mailCopy}) {
    ASSERT_TRUE(Exists(path)) << path;
    const RunResult probe = test::Run("/usr/bin/ffprobe", {"-v", "error", "-show_entries",
                                                     "stream=codec_type,codec_name,width,height", "-of",
                                                     "csv=p=0", path});
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.out, "h264,video,352,288\n") << path;
  }
}

INSTANTIATE_TEST_SUITE_P(ConfirmedOrCancelled, StopSaveTest,
                         testing::Values(SaveCase{"confirmed", true}, SaveCase{"cancelled", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NoSoundServerTest, ClosingTheWindowWhileRecordingStopsAndOffersToSave) {
  // Idle: the window closes without a question.
  window().close();
  EXPECT_FALSE(window().isVisible());
  EXPECT_FALSE(snapshot().asked);
  window().show();

  const std::string output = temp("closed.mp4");
  AnswerSaveWith(QString::fromStdString(output));
  StartWithoutSound();
  ASSERT_TRUE(WaitForPictures(0, 5));
  window().close();
  EXPECT_FALSE(window().isVisible());
  EXPECT_TRUE(snapshot().asked);
  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(g_recording.nTimerId, 0);
  EXPECT_TRUE(Exists(output));
  EXPECT_EQ(RecordingFolders(), 0);
}

// Cancelling the Save As question asks whether to discard the recording; No
// brings the question back, and the recording is saved after all.
TEST_F(NoSoundServerTest, NoToTheDiscardQuestionBringsSaveAsBack) {
  const std::string output = temp("second-try.mp4");
  int asked = 0;
  recorder().SetSaveDialog([&](QWidget*) { return ++asked == 1 ? QString() : QString::fromStdString(output); });
  StartWithoutSound();
  ASSERT_TRUE(WaitForPictures(0, 5));
  m_answerer.Plan(QMessageBox::No);  // do not discard
  m_answerer.Plan(QMessageBox::Ok);  // saved
  Click(window().recordButton());
  EXPECT_EQ(asked, 2);
  ASSERT_EQ(m_answerer.texts().size(), 3);
  EXPECT_EQ(m_answerer.titles()[1], QStringLiteral("Scrivel"));
  EXPECT_EQ(m_answerer.texts()[2], g_strings.Get(10005));
  const VideoProbe probe = ProbeVideo(output);
  EXPECT_TRUE(OnTheGrid(probe.frames, g_recording.nRecordedMs)) << probe.error;
  EXPECT_EQ(RecordingFolders(), 0);
}

// The temp folder fills up while recording: the recording stops with a
// message and what was written is offered for saving.
TEST_F(NoSoundServerTest, AFullTempFolderStopsTheRecordingWithAMessageAndOffersToSave) {
  StartWithoutSound();
  ASSERT_TRUE(WaitForPictures(1, 5));
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit full = saved;
  // The file may grow by a few fragments more, then writes fail as on a full disk.
  full.rlim_cur = static_cast<rlim_t>(recorder().writer()->fileBytes() + 3000);
  setrlimit(RLIMIT_FSIZE, &full);
  const std::string output = temp("rescued.mp4");
  recorder().SetSaveDialog([&](QWidget*) {
    setrlimit(RLIMIT_FSIZE, &saved);  // the chosen folder has room
    return QString::fromStdString(output);
  });
  m_answerer.Plan(QMessageBox::Ok);  // the recording stopped
  m_answerer.Plan(QMessageBox::Ok);  // saved
  const bool stopped = QTest::qWaitFor([] { return g_recording.nState == 0; }, 60000);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  ASSERT_TRUE(stopped);
  ASSERT_EQ(m_answerer.texts().size(), 3);
  EXPECT_TRUE(m_answerer.texts()[1].contains(QStringLiteral("recording stopped"))) << m_answerer.texts()[1].toStdString();
  EXPECT_TRUE(m_answerer.texts()[1].contains(QStringLiteral("too large")));
  EXPECT_EQ(m_answerer.titles()[1], QStringLiteral("Scrivel"));
  EXPECT_EQ(m_answerer.texts()[2], g_strings.Get(10005));
  const VideoProbe probe = ProbeVideo(output);
  ASSERT_TRUE(probe.ok) << probe.error;
  EXPECT_GE(probe.videoSeconds, 1.0);
  EXPECT_EQ(RecordingFolders(), 0);
}

TEST_F(NoSoundServerTest, ClicksOnPauseDoNothingWhileIdle) {
  recorder().OnPauseButton();  // the button is hidden; a stray call is ignored
  EXPECT_EQ(g_recording.nState, 0);
  EXPECT_EQ(g_recording.bPaused, 0);
  EXPECT_TRUE(m_answerer.texts().isEmpty());
}

}  // namespace
}  // namespace scrivel::test
