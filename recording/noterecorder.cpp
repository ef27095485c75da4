#include "noterecorder.h"

#include <QMessageBox>

#include <chrono>

#include "common/trace.h"
#include "recording/recordingsettings.h"
#include "recording/recordingstate.h"

namespace scrivel {
namespace {

const QString kCaption = QStringLiteral("Scrivel");

int64_t SoundBytesFor(int64_t ms) { return CWaveIn::BytesFor(ms * 1'000'000); }

}  // namespace

CNoteRecorder::CNoteRecorder(QWidget* window, GrabFunction grab, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_waveIn(std::make_unique<CWaveIn>()),
      m_capture(std::move(grab)),
      m_saveDialog(&scrivel::AskSavePath) {
  g_recording.nState = 0;
  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &CNoteRecorder::OnTimer);
  // The sound's segments follow the recording's clock.
  m_waveIn->SetSegmentClock([this] { return SegmentMs() * 1'000'000; });
}

CNoteRecorder::~CNoteRecorder() {
  StopTimer();
  g_recording.bCapture = 0;
  m_capture.Close();
  m_waveIn.reset();  // ends the sound capture
  m_soundTarget = nullptr;
  if (g_recording.nState != 1) return;
  // Without a window to ask from, the recording is finished where it is and
  // left for the next start, which offers to save it.
  if (m_writer) m_writer->Finish(g_recording.bPaused ? g_recording.nOffset : CurrentElapsed());
  m_writer.reset();
  m_folder.Release();
  g_recording.nState = 0;
  g_recording.bPaused = 0;
  g_recording.nOffset = 0;
}

void CNoteRecorder::OnRecordButton() {
  Trace("进入OnRecordButton函数");
  if (m_busy) return;
  if (g_recording.nState == 0) Start();
  else Stop(true);
}

void CNoteRecorder::OnPauseButton() {
  Trace("进入OnPauseButton函数");
  if (m_busy || g_recording.nState != 1) return;
  if (g_recording.bPaused == 0) Pause();
  else Resume();
}

void CNoteRecorder::OnTimer() {
  if (g_recording.bCapture != 1) return;
  if (m_writer && m_writer->failed()) {
    StopAfterFailure();
    return;
  }
  g_recording.bCapture = 0;
  const int elapsed = CurrentElapsed();
  const bool captured = m_capture.ScreenToYUV(elapsed / 1000);
  g_recording.bCapture = 1;
  g_recording.nElapsed = elapsed;
  // The list holds one entry per picture handed to the encoder, and only those.
  if (captured) g_recording.vecFrameSeconds.push_back(g_recording.nElapsed / 1000);
  SetClockText(ClockText(g_recording.nElapsed));
  if (m_writer) m_writer->KeepSoundUp(SoundBytesFor(SegmentMs()));
}

bool CNoteRecorder::OnNoteClosing() {
  if (m_busy) return false;
  if (g_recording.nState == 1) Stop(true);
  return true;
}

void CNoteRecorder::Start() {
  g_recording.vecFrameSeconds.clear();
  g_recording.bPaused = 0;
  g_recording.nOffset = 0;
  ShowControls(true);
  SetPauseImage(kPauseRunningImage);
  SetClockText(QStringLiteral("00:00:00"));
  SetRecordImage(kRecordRunningImage);
  FocusWindow();

  TakeRecordingPaths();
  if (!m_folder.Create(g_recording.strTempFolder)) {
    CannotStart(QStringLiteral("the temporary folder %1 cannot be written (%2).")
                    .arg(g_recording.strTempFolder, m_folder.errorText()));
    return;
  }
  g_recording.strRecordingFolder = m_folder.path();
  g_recording.strVideoPath = m_folder.videoPath();
  if (!StartSound()) {
    m_folder.Remove();
    return;
  }
  if (!OpenWriter()) return;
  g_recording.nState = 1;
  g_recording.bCapture = 1;
  m_capture.Open(m_writer.get());
  StartTimer();
  // Sound is written from here on, and the clock starts with it.
  StartSegment();
  g_recording.nElapsed = 0;
  SetClockText(QStringLiteral("00:00:00"));
}

bool CNoteRecorder::OpenWriter() {
  CRecordingWriter::Options options;
  options.path = g_recording.strVideoPath.toStdString();
  // The user's choice of picture, read at every start.
  const QSize size = RecordingPictureSize(m_window ? m_window->size() : QSize());
  options.width = size.width();
  options.height = size.height();
  options.withSound = g_recording.nSoundResult == 0;
  m_writer = std::make_unique<CRecordingWriter>();
  const MediaResult opened = m_writer->Open(options);
  if (opened == MediaResult::Ok) return true;
  if (g_recording.nSoundResult == 0) m_waveIn->StopWaveIn();
  m_writer.reset();
  CannotStart(QStringLiteral("%1 cannot be created (%2).").arg(g_recording.strVideoPath, MediaResultName(opened)));
  return false;
}

void CNoteRecorder::CannotStart(const QString& why) {
  // Nothing to record into: end at once and say why, rather than run a
  // clock over a recording that cannot be saved.
  m_folder.Remove();
  g_recording.strRecordingFolder.clear();
  g_recording.strVideoPath.clear();
  ShowControls(false);
  SetRecordImage(kRecordIdleImage);
  FocusWindow();
  QMessageBox::warning(m_window, kCaption, QStringLiteral("The recording cannot start: %1").arg(why));
}

bool CNoteRecorder::StartSound() {
  m_waveIn->SetSoundSink([this](const char* data, size_t bytes) {
    if (CRecordingWriter* writer = m_soundTarget.load()) writer->AddSound(data, bytes);
  });
  m_busy = true;
  g_recording.nSoundResult = m_waveIn->StartWaveIn();
  m_busy = false;
  if (g_recording.nSoundResult == -2) {
    ShowControls(false);
    SetRecordImage(kRecordIdleImage);
    FocusWindow();
    return false;
  }
  return true;
}

void CNoteRecorder::StartSegment() {
  m_soundTarget = m_writer.get();
  g_recording.dwStartTick = Now();
  if (g_recording.nSoundResult == 0) m_waveIn->SetWriteFlag();
}

void CNoteRecorder::EndSegment(int64_t segmentMs) {
  if (m_writer) m_writer->EndSoundSegment(SoundBytesFor(segmentMs));
}

void CNoteRecorder::Pause() {
  m_busy = true;
  // The recording time up to this moment: the sound of the segment reaches
  // up to here as well, so sound and pictures stay in step after the resume.
  const int64_t segmentMs = SegmentMs();
  g_recording.nElapsed = static_cast<int>(segmentMs) + g_recording.nOffset;
  if (g_recording.nSoundResult == 0) m_waveIn->ResetWaveIn();
  EndSegment(segmentMs);
  g_recording.nOffset = g_recording.nElapsed;
  SetPauseImage(kPausePausedImage);
  FocusWindow();
  g_recording.bPaused = 1;
  StopTimer();
  m_busy = false;
}

void CNoteRecorder::Resume() {
  // Declined: stays paused; the next press of the record button ends the recording.
  if (!StartSound()) return;
  SetPauseImage(kPauseRunningImage);
  FocusWindow();
  g_recording.bPaused = 0;
  StartTimer();
  StartSegment();
}

void CNoteRecorder::Stop(bool offerSave) {
  m_busy = true;
  // No tick captures from here on, also while the sound's tail is read.
  g_recording.bCapture = 0;
  const bool paused = g_recording.bPaused == 1;
  const int64_t segmentMs = paused ? 0 : SegmentMs();
  const int recordedMs = static_cast<int>(segmentMs) + g_recording.nOffset;
  if (g_recording.nSoundResult == 0) m_waveIn->StopWaveIn();
  if (!paused) EndSegment(segmentMs);
  m_soundTarget = nullptr;
  g_recording.nOffset = 0;
  g_recording.bPaused = 0;
  ShowControls(false);
  SetRecordImage(kRecordIdleImage);
  FocusWindow();
  g_recording.nState = 0;
  StopTimer();
  m_capture.Close();
  g_recording.bCapture = 0;
  g_recording.nRecordedMs = recordedMs;

  const bool finished = m_writer && m_writer->Finish(recordedMs) == MediaResult::Ok;
  const int64_t padded = m_writer ? m_writer->paddedBytes() : 0;
  if (padded > 0)
    QMessageBox::information(m_window, kCaption,
                             QStringLiteral("The microphone stopped delivering sound during the recording; "
                                            "%1 s of it are silent.")
                                 .arg(double(padded) / kSoundBytesPerSecond, 0, 'f', 1));
  if (offerSave) SaveOrDiscard(finished);
  m_writer.reset();
  m_folder.Remove();
  g_recording.strRecordingFolder.clear();
  g_recording.strVideoPath.clear();
  m_busy = false;
}

void CNoteRecorder::StopAfterFailure() {
  const QString why = QString::fromStdString(m_writer->failure());
  QMessageBox::warning(m_window, kCaption,
                       QStringLiteral("The recording stopped: the temporary folder %1 cannot be written (%2). "
                                      "What was recorded can be saved now.")
                           .arg(g_recording.strTempFolder, why));
  Stop(true);
}

void CNoteRecorder::SaveOrDiscard(bool finished) {
  // A save that fails asks again: the recording is only dropped on the
  // user's word.
  for (;;) {
    const QString path = AskSavePathOrDiscard(m_window, m_saveDialog);
    if (path.isEmpty()) return;
    const SaveOutcome outcome = SaveRecording(g_recording.strVideoPath, finished, path, g_recording.strTempFolder);
    ShowSaveOutcome(m_window, outcome, path);
    if (outcome.saved) return;
  }
}

int64_t CNoteRecorder::Now() const {
  if (m_tickCount) return m_tickCount();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t CNoteRecorder::SegmentMs() const { return Now() - g_recording.dwStartTick; }

int CNoteRecorder::CurrentElapsed() const { return static_cast<int>(SegmentMs()) + g_recording.nOffset; }

void CNoteRecorder::StartTimer() {
  m_timer.start();
  g_recording.nTimerId = m_timer.timerId();
}

void CNoteRecorder::StopTimer() {
  if (g_recording.nTimerId != 0) m_timer.stop();
  g_recording.nTimerId = 0;
}

void CNoteRecorder::FocusWindow() {
  if (m_window) m_window->setFocus(Qt::OtherFocusReason);
}

void CNoteRecorder::SetRecordImage(unsigned id) {
  m_recordImage = id;
  emit recordImageChanged(id);
}

void CNoteRecorder::SetPauseImage(unsigned id) {
  m_pauseImage = id;
  emit pauseImageChanged(id);
}

void CNoteRecorder::ShowControls(bool shown) {
  m_pauseShown = shown;
  m_clockShown = shown;
  emit pauseShownChanged(shown);
  emit clockShownChanged(shown);
}

void CNoteRecorder::SetClockText(const QString& text) {
  m_clockText = text;
  emit clockTextChanged(text);
}

}  // namespace scrivel
