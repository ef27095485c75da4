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

// The recording as the stop had finished it when it asked for the path:
// its MP4 decoded.
struct StopSnapshot {
  bool asked = false;
  bool decode = false;    // set by the test: decode pictures and sound
  long frames = -1;       // pictures in the video (-1: no video file)
  std::string streams;    // as VideoProbe lists them
  int64_t yuvBytes = -1;  // -1: not decoded
  int64_t pcmBytes = -1;
  std::string yuv;  // the pictures, decoded
  std::string pcm;  // the sound, decoded
};

class RecorderTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  std::string temp(const std::string& name) const { return m_temp.file(name); }
  NoteStandIn& window() { return *m_window; }
  CNoteRecorder& recorder() { return m_window->recorder(); }

  // The stop's save dialog: takes the snapshot and answers `path` (empty:
  // cancel, and Yes to the discard question that follows).
  void AnswerSaveWith(const QString& path);
  // Cancels a save dialog: plans Yes for the discard question, returns "".
  QString Cancel();
  const StopSnapshot& snapshot() const { return m_snapshot; }

  // Decodes the running recording's MP4 into `snapshot`.
  static void TakeSnapshot(StopSnapshot& snapshot);

  // Private recording folders in the temporary folder.
  int RecordingFolders() const;

  // Pictures captured so far in recording second `second`.
  static int PicturesIn(int second);
  // Waits (real time) until the recording has `count` pictures in `second`.
  static bool WaitForPictures(int second, int count);

  TempDir m_temp;
  DialogAnswerer m_answerer;
  std::unique_ptr<NoteStandIn> m_window;
  StopSnapshot m_snapshot;
};

// True when a video of `frames` pictures lasts a recording of `ms` on the
// grid of 10 pictures a second: a second's pictures take its first slots,
// so the last second may reach one slot past the recorded time.
testing::AssertionResult OnTheGrid(int64_t frames, int ms);

// True when `values` never decreases.
bool NeverDecreases(const std::vector<int>& values);
bool Exists(const std::string& path);

}  // namespace scrivel::test
