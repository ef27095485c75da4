#pragma once
// The fixture of the recording widget tests: a private temporary folder
// (TMPDIR), the language texts, a stand-in note window with its recorder,
// and a DialogAnswerer for the message boxes.

#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/recording/notestandin.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

// What the stop left in the temporary folder when it asked for the path.
struct StopSnapshot {
  bool asked = false;
  int64_t yuvBytes = -1;
  int64_t pcmBytes = -1;
  std::string yuv;  // the raw pictures
  std::string pcm;  // the raw sound
};

class RecorderTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  std::string temp(const std::string& name) const { return m_temp.file(name); }
  NoteStandIn& window() { return *m_window; }
  CNoteRecorder& recorder() { return m_window->recorder(); }

  // The stop's save dialog: records the raw files and answers `path`
  // (empty: cancel).
  void AnswerSaveWith(const QString& path);
  const StopSnapshot& snapshot() const { return m_snapshot; }

  // Pictures captured so far in recording second `second`.
  static int PicturesIn(int second);
  // Waits (real time) until the recording has `count` pictures in `second`.
  static bool WaitForPictures(int second, int count);

  TempDir m_temp;
  DialogAnswerer m_answerer;
  std::unique_ptr<NoteStandIn> m_window;
  StopSnapshot m_snapshot;
};

// True when `values` never decreases.
bool NeverDecreases(const std::vector<int>& values);
bool Exists(const std::string& path);

}  // namespace scrivel::test
