#pragma once
// The recording controls of the live note window: the record button, the
// pause button, the recording clock, the 100 ms capture tick, the temporary
// files and, at the stop, the save dialog, the media stages and the clean-up.
// The window owns one CNoteRecorder, forwards its record and pause buttons to
// OnRecordButton and OnPauseButton, shows what the signals ask for, and calls
// OnNoteClosing before it closes. The recording's state is process-wide
// (g_recording); the share dialog reads g_recording.bVideoReady.
//
// The capture tick comes from the recorder's own 100 ms timer. Sound capture
// runs on an audio thread, picture conversion on a writer thread, and the
// encoders and the multiplexer on a worker thread behind a progress dialog,
// so the window stays responsive throughout.

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

#include "recording/screencapture.h"
#include "recording/wavein.h"

namespace scrivel {

class CNoteRecorder : public QObject {
  Q_OBJECT

 public:
  using GrabFunction = std::function<QImage()>;
  // Asks where the MP4 goes; an empty path means the user cancelled.
  using SaveDialog = std::function<QString(QWidget* owner)>;
  // A tick count in milliseconds.
  using TickCount = std::function<int64_t()>;

  static constexpr int kTickMs = 100;
  // Images ("PNG" resources) of the record and the pause button.
  static constexpr unsigned kRecordIdleImage = 184;
  static constexpr unsigned kRecordRunningImage = 190;
  static constexpr unsigned kPauseRunningImage = 192;
  static constexpr unsigned kPausePausedImage = 194;

  // `window` is the note window: it owns the dialogs and takes the focus;
  // `grab` renders a picture of its client area.
  CNoteRecorder(QWidget* window, GrabFunction grab, QObject* parent = nullptr);
  // A recording still running is ended without saving and its files removed.
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
  static QString AskSavePath(QWidget* owner);

  // What the window shows now.
  unsigned recordImage() const { return m_recordImage; }
  unsigned pauseImage() const { return m_pauseImage; }
  bool pauseShown() const { return m_pauseShown; }
  bool clockShown() const { return m_clockShown; }
  const QString& clockText() const { return m_clockText; }
  bool busy() const { return m_busy; }
  const CWaveIn& waveIn() const { return *m_waveIn; }

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
  // Opens the raw sound file ("wb" at a start, "ab" at a resume) and starts
  // the capture. False when the user declined to record without sound: the
  // controls then show no recording.
  bool StartSound(const char* mode);
  void Stop(bool offerSave);
  void ScreenToYUV();
  void EncodeAndSave(const QString& path);
  void DeleteIntermediateFiles();
  int64_t Now() const;
  int CurrentElapsed() const;
  void StartTimer();
  void StopTimer();
  void FocusWindow();

  void SetRecordImage(unsigned id);
  void SetPauseImage(unsigned id);
  void ShowControls(bool shown);
  void SetClockText(const QString& text);

  QPointer<QWidget> m_window;
  std::unique_ptr<CWaveIn> m_waveIn;
  CScreenCapture m_capture;
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
