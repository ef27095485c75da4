#include "tests/recording/recordertest.h"

#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "lang/languagestrings.h"
#include "recording/recordingstate.h"

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
    m_snapshot.asked = true;
    m_snapshot.yuv = ReadFile(g_recording.strYuvPath);
    m_snapshot.pcm = ReadFile(g_recording.strPcmPath);
    m_snapshot.yuvBytes = Exists(g_recording.strYuvPath) ? int64_t(m_snapshot.yuv.size()) : -1;
    m_snapshot.pcmBytes = Exists(g_recording.strPcmPath) ? int64_t(m_snapshot.pcm.size()) : -1;
    return path;
  });
}

int RecorderTest::PicturesIn(int second) {
  const auto& list = g_recording.vecFrameSeconds;
  return static_cast<int>(std::count(list.begin(), list.end(), second));
}

bool RecorderTest::WaitForPictures(int second, int count) {
  return QTest::qWaitFor([&] { return PicturesIn(second) >= count; }, 30000);
}

bool NeverDecreases(const std::vector<int>& values) { return std::is_sorted(values.begin(), values.end()); }

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace scrivel::test
