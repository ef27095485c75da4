// Recording through the real note window: about 20 s with a PulseAudio pipe
// microphone while the pen writes, the temp space watched while it runs, the
// saved MP4 judged with ffprobe and seeked into; and the window-sized
// picture chosen in Scrivel.conf.
#include <gtest/gtest.h>

#include <QFile>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "lang/languagestrings.h"
#include "nibroute/nibroute.h"
#include "recording/recordingstate.h"
#include "recording/noterecorder.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "tests/recording/pulsemic.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/tempdir.h"
#include "tests/support/videoprobe.h"

namespace scrivel::test {
namespace {

int64_t FolderBytes(const QString& folder) {
  int64_t bytes = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder.toStdString(), error))
    if (entry.is_regular_file()) bytes += static_cast<int64_t>(entry.file_size());
  return bytes;
}

class NoteRecordingTest : public testing::Test {
 protected:
  // Qt reads the configuration's folder once per process.
  static void SetUpTestSuite() {
    s_config = new TempDir;
    setenv("XDG_CONFIG_HOME", s_config->path().c_str(), 1);
  }
  static void TearDownTestSuite() { delete s_config; }

  void SetUp() override {
    std::filesystem::remove_all(s_config->file("Scrivel"));
    setenv("TMPDIR", m_temp.path().c_str(), 1);
    g_strings.Load(SCRIVEL_APP_DIR, 10001, 10008);
  }
  void TearDown() override {
    m_dlg.reset();
    ZMTUninit();
    unsetenv("TMPDIR");
  }
  void Open() {
    m_dlg = std::make_unique<CNewNoteDlg>();
    m_dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
  }
  void Click(int id) {
    QTest::mouseClick(m_dlg->findChild<CGdipButton*>(QString::number(id)), Qt::LeftButton, {}, QPoint(10, 10));
  }
  void Stroke(int i) {
    const int y = 1000 + (i * 700) % 13000;
    m_dlg->HandleRouteEvent(ZMTEvent{1, int16_t(-4000), int16_t(y)});
    m_dlg->HandleRouteEvent(ZMTEvent{2, int16_t(0), int16_t(y + 300)});
    m_dlg->HandleRouteEvent(ZMTEvent{3, int16_t(4000), int16_t(y)});
  }
  // Records until the clock shows `seconds`, a stroke every half second;
  // returns the most temp space per recorded second seen on the way.
  double RecordFor(int seconds) {
    double mostPerSecond = 0;
    for (int i = 0; g_recording.nElapsed < seconds * 1000 && i < seconds * 40; ++i) {
      Stroke(i);
      QTest::qWait(500);
      const int64_t bytes = FolderBytes(g_recording.strRecordingFolder);
      // From the second second on: the header and the first key frame come first.
      if (g_recording.nElapsed >= 2000)
        mostPerSecond = std::max(mostPerSecond, double(bytes) * 1000 / g_recording.nElapsed);
    }
    return mostPerSecond;
  }

  static TempDir* s_config;
  TempDir m_temp;
  DialogAnswerer m_answerer;
  std::unique_ptr<CNewNoteDlg> m_dlg;
};

TempDir* NoteRecordingTest::s_config = nullptr;

TEST_F(NoteRecordingTest, TwentySecondsWithTheMicrophoneAreReadyAtTheStop) {
  PulseMic mic;
  if (!mic.error().empty()) GTEST_SKIP() << "no test microphone: " << mic.error();
  mic.UseInThisProcess();
  Open();
  const std::string output = m_temp.file("Lesson.mp4");
  m_dlg->Recorder()->SetSaveDialog([&](QWidget*) { return QString::fromStdString(output); });

  Click(1015);
  ASSERT_EQ(g_recording.nState, 1);
  ASSERT_EQ(g_recording.nSoundResult, 0) << mic.log();
  const double perSecond = RecordFor(20);
  qInfo("temp space: at most %.0f bytes per recorded second", perSecond);
  EXPECT_GT(perSecond, 0);
  EXPECT_LE(perSecond, 100'000);

  m_answerer.Plan(QMessageBox::Ok);  // saved
  Click(1015);
  ASSERT_EQ(g_recording.nState, 0);
  ASSERT_EQ(m_answerer.texts().size(), 1) << "no notice about the microphone";
  EXPECT_EQ(m_answerer.texts()[0], g_strings.Get(10005));
  const double recorded = g_recording.nRecordedMs / 1000.0;
  const VideoProbe probe = ProbeVideo(output);
  ASSERT_TRUE(probe.ok) << probe.error;
  EXPECT_EQ(probe.streams, "h264,video,352,288;aac,audio,44100,2;");
  EXPECT_NEAR(probe.videoSeconds, recorded, 0.2);
  EXPECT_NEAR(probe.audioSeconds, recorded, 0.2);
  EXPECT_NEAR(double(probe.frames), recorded * 10, 2) << "10 pictures per recorded second";
  EXPECT_NEAR(SeekLandsAt(output, 12.0), 12.0, 0.11);
  EXPECT_NEAR(SeekLandsAt(output, recorded - 1.0), recorded - 1.0, 0.11);
  const std::string mailCopy = m_temp.file("FMMAPI/Note.mp4");
  ASSERT_TRUE(std::filesystem::exists(mailCopy));
  EXPECT_EQ(std::filesystem::file_size(mailCopy), std::filesystem::file_size(output));
  EXPECT_TRUE(g_recording.strRecordingFolder.isEmpty());
}

TEST_F(NoteRecordingTest, TheWindowSizeChosenInTheSettingsIsTheVideosSize) {
  setenv("PULSE_SERVER", "unix:/nonexistent/scrivel-no-sound-server", 1);
  std::filesystem::create_directories(s_config->file("Scrivel"));
  WriteFile(s_config->file("Scrivel/Scrivel.conf"), "[Recording]\nPictureSize=window\n");
  Open();
  const std::string output = m_temp.file("Portrait.mp4");
  m_dlg->Recorder()->SetSaveDialog([&](QWidget*) { return QString::fromStdString(output); });
  m_answerer.Plan(QMessageBox::Yes);  // record without sound
  Click(1015);
  ASSERT_EQ(g_recording.nState, 1);
  RecordFor(2);
  m_answerer.Plan(QMessageBox::Ok);
  Click(1015);
  const VideoProbe probe = ProbeVideo(output);
  ASSERT_TRUE(probe.ok) << probe.error;
  const QSize window = m_dlg->size();
  EXPECT_EQ(probe.streams, "h264,video," + std::to_string(window.width() & ~1) + "," +
                               std::to_string(window.height() & ~1) + ";");
  EXPECT_NEAR(double(probe.frames), g_recording.nRecordedMs / 100.0, 2);
  unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace scrivel::test
