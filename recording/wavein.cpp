#include "wavein.h"

#include <QEventLoop>
#include <QMediaDevices>
#include <QMessageBox>
#include <QTimer>

#include "common/trace.h"
#include "lang/languagestrings.h"
#include "media/mediaprint.h"
#include "recording/sounddevice.h"
#include "recording/waveinworker.h"

namespace scrivel {

CWaveIn::CWaveIn(QObject* parent) : QObject(parent) {
  m_worker = new CWaveInWorker(m_writeFlag);
  m_worker->moveToThread(&m_thread);
  connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
  m_thread.setObjectName(QStringLiteral("sound capture"));
  m_thread.start();
}

void CWaveIn::Post(std::function<void()> command) { m_worker->Queue(std::move(command)); }

CWaveIn::~CWaveIn() {
  CWaveInWorker* worker = m_worker;
  const int64_t target = SegmentTarget();
  // Waits for the audio thread, so the capture's last sound is written
  // before the thread ends, and what the audio thread did is handed back
  // before this object's memory goes.
  worker->QueueAndWait([worker, target] {
    worker->Finish(target, false);
    worker->ReleaseSink();
  });
  m_thread.quit();
  m_thread.wait();
}

void CWaveIn::SetSoundSink(SoundSink sink) {
  m_hasSink = static_cast<bool>(sink);
  if (!sink) return;
  CWaveInWorker* worker = m_worker;
  Post([worker, sink = std::move(sink)] { worker->AdoptSink(sink); });
}

int CWaveIn::StartWaveIn() {
  Trace("进入StartWaveIn函数");
  if (!m_hasSink) return -1;
  const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
  MediaPrint("Has Wave Num:%d\n", static_cast<int>(inputs.size()));
  if (inputs.isEmpty()) {
    ReleaseSoundSink();
    return AskRecordWithoutSound();
  }
  const QAudioDevice device =
      ChooseSoundInput(inputs, ServerDefaultSource(), QMediaDevices::defaultAudioInput());
  const int index = static_cast<int>(inputs.indexOf(device));
  const int segment = ++m_segmentId;

  QEventLoop loop;
  bool running = false;
  connect(m_worker, &CWaveInWorker::running, &loop, [&](int id) {
    if (id != segment) return;
    running = true;
    loop.quit();
  });
  connect(m_worker, &CWaveInWorker::failed, &loop, [&](int id) {
    if (id == segment) loop.quit();
  });
  QTimer::singleShot(kStartTimeoutMs, &loop, &QEventLoop::quit);
  m_writeFlag = false;
  m_deviceOpen = true;
  CWaveInWorker* worker = m_worker;
  Post([worker, device, index, segment] { worker->Open(device, index, segment); });
  loop.exec();
  if (running) return 0;

  // An input that delivers nothing is as good as none: the user decides
  // whether to record without sound, as when no input is listed.
  Trace("sound input %s delivers no sound", device.id().constData());
  Post([worker] { worker->Finish(-1, false); });
  m_deviceOpen = false;
  ReleaseSoundSink();
  return AskRecordWithoutSound();
}

int CWaveIn::AskRecordWithoutSound() {
  const auto answer = QMessageBox::question(nullptr, g_strings.Get(10004), g_strings.Get(10006),
                                            QMessageBox::Yes | QMessageBox::No);
  return answer == QMessageBox::No ? -2 : -1;
}

void CWaveIn::SetWriteFlag() {
  m_segment.start();
  m_writeFlag = true;
}

int64_t CWaveIn::BytesFor(int64_t nanoseconds) {
  return nanoseconds * (kBytesPerSecond / kBlockAlign) / 1'000'000'000 * kBlockAlign;
}

int64_t CWaveIn::SegmentTarget() const {
  if (!m_deviceOpen || !m_writeFlag.load() || !m_segment.isValid()) return -1;
  return BytesFor(m_segmentClock ? m_segmentClock() : m_segment.nsecsElapsed());
}

void CWaveIn::StopWaveIn() {
  Trace("进入StopWaveIn函数");
  const int64_t target = SegmentTarget();
  m_deviceOpen = false;
  m_hasSink = false;
  CWaveInWorker* worker = m_worker;
  Post([worker, target] {
    worker->Finish(target, true);
    worker->ReleaseSink();
  });
  WaitForSync();
}

void CWaveIn::ResetWaveIn() {
  const int64_t target = SegmentTarget();
  m_deviceOpen = false;
  CWaveInWorker* worker = m_worker;
  Post([worker, target] { worker->Finish(target, false); });
  WaitForSync();
}

void CWaveIn::ReleaseSoundSink() {
  m_hasSink = false;
  CWaveInWorker* worker = m_worker;
  Post([worker] { worker->ReleaseSink(); });
}

// Waits until the audio thread has run everything queued so far.
bool CWaveIn::WaitForSync() {
  const int id = ++m_syncId;
  QEventLoop loop;
  bool synced = false;
  connect(m_worker, &CWaveInWorker::synced, &loop, [&](int which) {
    if (which != id) return;
    synced = true;
    loop.quit();
  });
  // The drain ends within its own time-out; this one only guards against a hang.
  QTimer::singleShot(CWaveInWorker::kDrainTimeoutMs + 4000, &loop, &QEventLoop::quit);
  CWaveInWorker* worker = m_worker;
  Post([worker, id] { worker->Sync(id); });
  loop.exec();
  if (!synced) Trace("sound capture did not finish in time");
  return synced;
}

int CWaveIn::sinkReleases() const { return m_worker->sinkReleases(); }
int64_t CWaveIn::bytesWritten() const { return m_worker->bytesWritten(); }

}  // namespace scrivel
