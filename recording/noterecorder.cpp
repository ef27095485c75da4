#include "noterecorder.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "common/trace.h"
#include "lang/languagestrings.h"
#include "media/audioencode.h"
#include "media/avitomp4.h"
#include "media/yuvtoh264.h"
#include "recording/progressrun.h"
#include "recording/recordingstate.h"

namespace scrivel {

CNoteRecorder::CNoteRecorder(QWidget* window, GrabFunction grab, QObject* parent)
    : QObject(parent),
      m_window(window),
      m_waveIn(std::make_unique<CWaveIn>()),
      m_capture(std::move(grab)),
      m_saveDialog(&CNoteRecorder::AskSavePath) {
  g_recording.nState = 0;
  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kTickMs);
  connect(&m_timer, &QTimer::timeout, this, &CNoteRecorder::OnTimer);
}

CNoteRecorder::~CNoteRecorder() {
  if (g_recording.nState != 1) return;
  // Without a window to ask from, the recording is ended and dropped.
  StopTimer();
  g_recording.bCapture = 0;
  m_capture.Close();
  m_waveIn.reset();  // ends the sound capture and closes the raw sound file
  g_recording.nState = 0;
  g_recording.bPaused = 0;
  g_recording.nOffset = 0;
  DeleteIntermediateFiles();
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
  g_recording.bCapture = 0;
  const bool captured = m_capture.ScreenToYUV();
  g_recording.bCapture = 1;
  g_recording.nElapsed = CurrentElapsed();
  // The list holds one entry per picture in the file, and only those.
  if (captured) g_recording.vecFrameSeconds.push_back(g_recording.nElapsed / 1000);
  SetClockText(ClockText(g_recording.nElapsed));
}

bool CNoteRecorder::OnNoteClosing() {
  if (m_busy) return false;
  if (g_recording.nState == 1) Stop(true);
  return true;
}

QString CNoteRecorder::AskSavePath(QWidget* owner) {
  QFileDialog dialog(owner, QString(), QString(), QStringLiteral("*.mp4"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("mp4"));
  dialog.selectFile(QStringLiteral("Note.mp4"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void CNoteRecorder::Start() {
  g_recording.vecFrameSeconds.clear();
  g_recording.bPaused = 0;
  ShowControls(true);
  SetPauseImage(kPauseRunningImage);
  SetClockText(QStringLiteral("00:00:00"));
  SetRecordImage(kRecordRunningImage);
  FocusWindow();

  TakeRecordingPaths();
  // Sound is written from here on, and the clock starts with it.
  if (!StartSound("wb")) return;
  g_recording.nState = 1;
  g_recording.bCapture = 1;
  if (!m_capture.Open(g_recording.strYuvPath)) {
    // Without the picture file there is nothing to record: end at once and
    // say why, rather than run a clock over a recording that cannot be saved.
    Stop(false);
    QMessageBox::warning(m_window, QStringLiteral("Scrivel"),
                         QStringLiteral("The recording cannot start: %1 cannot be created.")
                             .arg(QString::fromStdString(g_recording.strYuvPath)));
    return;
  }
  StartTimer();
  g_recording.dwStartTick = Now();
  g_recording.nElapsed = 0;
  SetClockText(QStringLiteral("00:00:00"));
}

bool CNoteRecorder::StartSound(const char* mode) {
  m_waveIn->SetRawFile(std::fopen(g_recording.strPcmPath.c_str(), mode));
  m_busy = true;
  g_recording.nSoundResult = m_waveIn->StartWaveIn();
  m_busy = false;
  if (g_recording.nSoundResult == -2) {
    ShowControls(false);
    SetRecordImage(kRecordIdleImage);
    FocusWindow();
    return false;
  }
  if (g_recording.nSoundResult == 0) m_waveIn->SetWriteFlag();
  return true;
}

void CNoteRecorder::Pause() {
  if (g_recording.nSoundResult == 0) m_waveIn->ResetWaveIn();
  // The recording time up to this moment: the sound of the segment reaches
  // up to here as well, so sound and pictures stay in step after the resume.
  g_recording.nElapsed = CurrentElapsed();
  g_recording.nOffset = g_recording.nElapsed;
  SetPauseImage(kPausePausedImage);
  FocusWindow();
  g_recording.bPaused = 1;
  StopTimer();
  m_waveIn->CloseRawFile();
}

void CNoteRecorder::Resume() {
  // Declined: stays paused; the next press of the record button ends the recording.
  if (!StartSound("ab")) return;
  SetPauseImage(kPauseRunningImage);
  FocusWindow();
  g_recording.bPaused = 0;
  StartTimer();
  g_recording.dwStartTick = Now();
}

void CNoteRecorder::Stop(bool offerSave) {
  m_busy = true;
  // No tick captures from here on, also while the sound's tail is read.
  g_recording.bCapture = 0;
  if (g_recording.nSoundResult == 0) m_waveIn->StopWaveIn();
  g_recording.nOffset = 0;
  g_recording.bPaused = 0;
  ShowControls(false);
  SetRecordImage(kRecordIdleImage);
  FocusWindow();
  g_recording.nState = 0;
  StopTimer();
  m_capture.Close();
  g_recording.bCapture = 0;

  const QString path = offerSave && m_saveDialog ? m_saveDialog(m_window) : QString();
  if (!path.isEmpty()) EncodeAndSave(path);
  DeleteIntermediateFiles();
  m_busy = false;
}

void CNoteRecorder::EncodeAndSave(const QString& path) {
  const std::string temp = g_recording.strTempFolder.toStdString();
  const std::vector<int> seconds = g_recording.vecFrameSeconds;
  const std::string output = path.toStdString();
  MediaResult saved = MediaResult::Failed;
  RunWithProgress(m_window, [&](const ProgressReport& report) {
    // The two encoders read and write separate files: they run side by side,
    // and the progress shown is that of the slower one.
    std::atomic<double> soundDone{0}, picturesDone{0};
    auto reportEncoders = [&] { report(std::min(soundDone.load(), picturesDone.load()) * 2 / 3); };
    std::thread sound([&] {
      audio_encode_example(temp, [&](double fraction) {
        soundDone = fraction;
        reportEncoders();
      });
      soundDone = 1;
    });
    YUVTOH264(temp, seconds, [&](double fraction) {
      picturesDone = fraction;
      reportEncoders();
    });
    picturesDone = 1;
    sound.join();
    saved = AVITOMP4(temp, output, [&](double fraction) { report((2 + fraction) / 3); });
  });
  const QString caption = QStringLiteral("Scrivel");
  if (saved == MediaResult::EmptyOutputPath)
    QMessageBox::information(m_window, caption, g_strings.Get(10007));
  else if (Succeeded(saved))
    QMessageBox::information(m_window, caption, g_strings.Get(10005));
  else
    QMessageBox::warning(m_window, caption, QStringLiteral("The video could not be saved to %1.").arg(path));

  if (!Succeeded(saved)) return;
  // The mail folder gets a copy of the saved video; the share dialog offers
  // the video only once that copy is there.
  const QString mailFolder = MailFolder(g_recording.strTempFolder);
  QDir().mkpath(mailFolder);
  const QString mailCopy = mailFolder + QStringLiteral("Note.mp4");
  QFile::remove(mailCopy);
  if (QFile::copy(path, mailCopy)) g_recording.bVideoReady = 1;
}

void CNoteRecorder::DeleteIntermediateFiles() {
  for (const std::string* path : {&g_recording.strPcmPath, &g_recording.strAacPath, &g_recording.strYuvPath,
                                  &g_recording.strH264Path}) {
    if (!path->empty()) std::remove(path->c_str());
  }
}

int64_t CNoteRecorder::Now() const {
  if (m_tickCount) return m_tickCount();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int CNoteRecorder::CurrentElapsed() const {
  return static_cast<int>(Now() - g_recording.dwStartTick) + g_recording.nOffset;
}

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
