#pragma once
// The recording controls of the live note window: the record button, the
// pause button, the recording clock, the 100 ms capture tick, the recording's
// private folder and, at the stop, the save dialog and the clean-up.
// The window owns one CNoteRecorder, forwards its record and pause buttons to
// OnRecordButton and OnPauseButton, shows what the signals ask for, and calls
// OnNoteClosing before it closes. The recording's state is process-wide
// (g_recording); the share dialog reads g_recording.bVideoReady.
//
// The capture tick comes from the recorder's own 100 ms timer. Sound capture
// runs on an audio thread, picture conversion on a capture thread, and the
// encoders and the multiplexer on the recording writer's thread while the
// recording runs (CRecordingWriter), so the window stays responsive and the
// MP4 is ready when the user has chosen its path. Sound and pictures follow
// one clock: the recorded time, pauses excluded.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "media/recordingformat.h"
#include "media/recordingwriter.h"
#include "recording/recordingfolder.h"
#include "recording/recordingsave.h"
#include "recording/screencapture.h"
#include "recording/wavein.h"

namespace scrivel {

class CNoteRecorder : public QObject {
  Q_OBJECT

 public:
  using GrabFunction = std::function<QImage()>;
  using SaveDialog = scrivel::SaveDialog;
  // A tick count in milliseconds.
  using TickCount = std::function<int64_t()>;

  static constexpr int kTickMs = scrivel::kTickMs;
  // Images ("PNG" resources) of the record and the pause button.
  static constexpr unsigned kRecordIdleImage = 184;
  static constexpr unsigned kRecordRunningImage = 190;
  static constexpr unsigned kPauseRunningImage = 192;
  static constexpr unsigned kPausePausedImage = 194;

  // `window` is the note window: it owns the dialogs and takes the focus;
  // `grab` renders a picture of its client area.
  CNoteRecorder(QWidget* window, GrabFunction grab, QObject* parent = nullptr);
  // A recording still running is ended without a question; its folder stays
  // for the next start to offer.
  ~CNoteRecorder() override;

  // Button 1015: starts a recording when none runs, otherwise stops it.
  void OnRecordButton();
  // Button 1018: pauses or resumes a running recording.
  void OnPauseButton();
  // One capture tick (the recorder's timer calls it every 100 ms).
  void OnTimer();
  // To be called before the note window closes (close event, done()): a
  // running recording is stopped and the user is offered to save it. False
  // while the recorder is in the middle of a start or stop: the window
  // should stay open then.
  bool OnNoteClosing();

  // The save dialog (default: a file dialog for "*.mp4", default extension
  // "mp4", initial name "Note.mp4", asking before overwriting).
  void SetSaveDialog(SaveDialog dialog) { m_saveDialog = std::move(dialog); }
  void SetTickCount(TickCount tickCount) { m_tickCount = std::move(tickCount); }
  static QString AskSavePath(QWidget* owner) { return scrivel::AskSavePath(owner); }

  // What the window shows now.
  unsigned recordImage() const { return m_recordImage; }
  unsigned pauseImage() const { return m_pauseImage; }
  bool pauseShown() const { return m_pauseShown; }
  bool clockShown() const { return m_clockShown; }
  const QString& clockText() const { return m_clockText; }
  bool busy() const { return m_busy; }
  const CWaveIn& waveIn() const { return *m_waveIn; }
  // The writer of the running recording (null when none).
  const CRecordingWriter* writer() const { return m_writer.get(); }

 signals:
  void recordImageChanged(unsigned id);
  void pauseImageChanged(unsigned id);
  void pauseShownChanged(bool shown);
  void clockShownChanged(bool shown);
  void clockTextChanged(const QString& text);

 private:
  void Start();
  void Pause();
  void Resume();
  // Starts the sound capture into the recording. False when the user
  // declined to record without sound: the controls then show no recording.
  bool StartSound();
  // Sound from now on is the recording's; the clock's segment starts.
  void StartSegment();
  // Ends the clock's segment of `segmentMs`: its sound is brought to that length.
  void EndSegment(int64_t segmentMs);
  void Stop(bool offerSave);
  // Opens the writer of a recording in the private folder; false (after the
  // message) when it cannot be started.
  bool OpenWriter();
  void CannotStart(const QString& why);
  // The recording stopped by itself (the temp folder cannot be written).
  void StopAfterFailure();
  void SaveOrDiscard(bool finished);
  int64_t Now() const;
  int CurrentElapsed() const;
  int64_t SegmentMs() const;
  void StartTimer();
  void StopTimer();
  void FocusWindow();

  void SetRecordImage(unsigned id);
  void SetPauseImage(unsigned id);
  void ShowControls(bool shown);
  void SetClockText(const QString& text);

  QPointer<QWidget> m_window;
  std::unique_ptr<CWaveIn> m_waveIn;
  std::unique_ptr<CRecordingWriter> m_writer;
  CRecordingFolder m_folder;
  CScreenCapture m_capture;
  std::atomic<CRecordingWriter*> m_soundTarget{nullptr};  // read on the audio thread
  QTimer m_timer;
  SaveDialog m_saveDialog;
  TickCount m_tickCount;
  bool m_busy = false;

  unsigned m_recordImage = kRecordIdleImage;
  unsigned m_pauseImage = kPauseRunningImage;
  bool m_pauseShown = false;
  bool m_clockShown = false;
  QString m_clockText;
};

}  // namespace scrivel
