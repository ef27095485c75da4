#pragma once
// The state of the recording: one recording at a time in the process. The
// recording controller writes it; the share dialog reads bVideoReady.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace scrivel {

struct RecordingState {
  int nState = 0;           // 1 from a successful start until the stop
  int bPaused = 0;          // 1 while the recording is paused
  int bCapture = 0;         // 1 while ticks may capture pictures; guards the tick
  int nSoundResult = -1;    // StartWaveIn's result: 0 sound, -1 none, -2 declined
  int nTimerId = 0;         // the capture timer's id, 0 when none runs
  int64_t dwStartTick = 0;  // tick count (ms) when the clock was (re)started
  int nElapsed = 0;         // recording time shown by the clock (ms)
  int nOffset = 0;          // recording time before the last pause (ms)
  // One entry per captured picture, in file order: the recording second in
  // which it was taken. Emptied when a recording starts.
  std::vector<int> vecFrameSeconds;
  int bVideoReady = 0;  // 1 once an MP4 is in the mail folder; never cleared
  int nRecordedMs = 0;  // the length of the last recording, pauses excluded (ms)
  QString strTempFolder;  // ends with "/"
  // The recording's private folder (ends with "/") and the MP4 written in it
  // while it runs; empty when none.
  QString strRecordingFolder, strVideoPath;
};

extern RecordingState g_recording;

// The user's temporary folder with a trailing "/".
QString RecordingTempFolder();
// The mail folder inside the temporary folder: "<temp>FMMAPI/".
QString MailFolder(const QString& tempFolder);
// Takes the temp folder into g_recording.
void TakeRecordingPaths();

// "HH:MM:SS" of a recording time in ms (hours not limited to 24).
QString ClockText(int elapsedMs);

}  // namespace scrivel
