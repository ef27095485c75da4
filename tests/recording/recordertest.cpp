#include "tests/recording/recordertest.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "lang/languagestrings.h"
#include "recording/recordingstate.h"
#include "tests/support/videoprobe.h"

namespace scrivel::test {

void RecorderTest::SetUpTestSuite() { g_strings.Load(QStringLiteral(SCRIVEL_APP_DIR), 10001, 10008); }

void RecorderTest::SetUp() {
  setenv("TMPDIR", m_temp.path().c_str(), 1);
  m_window = std::make_unique<NoteStandIn>();
  m_window->show();
  AnswerSaveWith(QString());
}

void RecorderTest::TearDown() {
  // A recording a failed test left running ends here, without a dialog.
  m_window.reset();
  unsetenv("TMPDIR");
}

void RecorderTest::AnswerSaveWith(const QString& path) {
  recorder().SetSaveDialog([this, path](QWidget*) {
    TakeSnapshot(m_snapshot);
    return path.isEmpty() ? Cancel() : path;
  });
}

QString RecorderTest::Cancel() {
  m_answerer.Plan(QMessageBox::Yes);
  return {};
}

void RecorderTest::TakeSnapshot(StopSnapshot& snapshot) {
  snapshot.asked = true;
  const std::string video = g_recording.strVideoPath.toStdString();
  if (video.empty() || !Exists(video)) return;
  const VideoProbe probe = ProbeVideo(video);
  snapshot.frames = probe.frames;
  snapshot.streams = probe.streams;
  if (!snapshot.decode) return;
  snapshot.yuv = DecodePictures(video);
  snapshot.pcm = DecodeSound(video);
  snapshot.yuvBytes = int64_t(snapshot.yuv.size());
  snapshot.pcmBytes = int64_t(snapshot.pcm.size());
}

int RecorderTest::RecordingFolders() const {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(m_temp.path()))
    if (entry.is_directory() && entry.path().filename().string().rfind("scrivel-recording-", 0) == 0) ++count;
  return count;
}

int RecorderTest::PicturesIn(int second) {
  const auto& list = g_recording.vecFrameSeconds;
  return static_cast<int>(std::count(list.begin(), list.end(), second));
}

bool RecorderTest::WaitForPictures(int second, int count) {
  return QTest::qWaitFor([&] { return PicturesIn(second) >= count; }, 30000);
}

testing::AssertionResult OnTheGrid(int64_t frames, int ms) {
  const int64_t grid = (int64_t{ms} + 50) / 100;
  if (frames == grid || frames == grid + 1) return testing::AssertionSuccess();
  return testing::AssertionFailure() << frames << " pictures for " << ms << " ms";
}

bool NeverDecreases(const std::vector<int>& values) { return std::is_sorted(values.begin(), values.end()); }

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace scrivel::test
