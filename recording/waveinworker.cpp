#include "waveinworker.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>

#include "common/trace.h"
#include "media/mediaprint.h"

namespace scrivel {
namespace {

constexpr int64_t kBytesPerSecond = CWaveInWorker::kBufferBytes;
// A read counts as live when it holds no more sound than the time since the
// previous read (plus this slack); the backlog a source hands over when it
// starts arrives faster than that.
constexpr int64_t kLiveSlackNs = 10'000'000;
// Past this time after the first sound the capture counts as live whatever
// the reads look like.
constexpr int64_t kMaxPrimingNs = 500'000'000;

// Milliseconds since the capture was first used: the "timestemp" of the lines.
int ProcessClock() {
  static const auto start = std::chrono::steady_clock::now();
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

QAudioFormat SoundFormat() {
  QAudioFormat format;
  format.setSampleRate(kSampleRate);
  format.setChannelCount(kSoundChannels);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

}  // namespace

CWaveInWorker::CWaveInWorker(std::atomic<bool>& writeFlag)
    : m_writeFlag(writeFlag), m_buffer(kBufferBytes) {
  ProcessClock();
  connect(this, &CWaveInWorker::queued, this, &CWaveInWorker::RunQueued, Qt::QueuedConnection);
}

CWaveInWorker::~CWaveInWorker() {
  CloseDevice();
  ReleaseSink();
}

void CWaveInWorker::Queue(std::function<void()> command) {
  // The wake-up goes out under the lock as well: the audio thread cannot run
  // the command, and so cannot end and delete this object, while the signal
  // still reads it.
  const std::lock_guard lock(m_commandsMutex);
  m_commands.push_back(std::move(command));
  emit queued();
}

void CWaveInWorker::QueueAndWait(std::function<void()> command) {
  std::mutex doneMutex;
  std::condition_variable doneChanged;
  bool done = false;
  Queue([&] {
    command();
    const std::lock_guard lock(doneMutex);
    done = true;
    doneChanged.notify_one();
  });
  std::unique_lock lock(doneMutex);
  doneChanged.wait(lock, [&] { return done; });
}

void CWaveInWorker::RunQueued() {
  if (m_executing) return;  // delivered inside a command: the running loop takes it
  m_executing = true;
  for (;;) {
    std::function<void()> next;
    {
      const std::lock_guard lock(m_commandsMutex);
      if (m_commands.empty()) break;
      next = std::move(m_commands.front());
      m_commands.pop_front();
    }
    next();
  }
  m_executing = false;
}

void CWaveInWorker::AdoptSink(SoundSink sink) {
  ReleaseSink();
  m_sink = std::move(sink);
}

void CWaveInWorker::Open(const QAudioDevice& device, int deviceIndex, int segment) {
  CloseDevice();
  m_segment = segment;
  m_running = false;
  m_firstDataNs = -1;
  m_taken = 0;
  m_fill = 0;
  m_source = std::make_unique<QAudioSource>(device, SoundFormat());
  m_sinceOpen.start();
  m_lastReadNs = 0;
  m_io = m_source->start();
  if (m_io == nullptr || m_source->error() != QAudio::NoError) {
    Trace("sound input %s cannot be opened (error %d)", device.id().constData(), int(m_source->error()));
    CloseDevice();
    emit failed(segment);
    return;
  }
  MediaPrint("you use waveid:%d\n", deviceIndex);
  connect(m_io, &QIODevice::readyRead, this, &CWaveInWorker::OnReadyRead);
}

void CWaveInWorker::OnReadyRead() {
  if (m_io == nullptr) return;
  const QByteArray data = m_io->readAll();
  if (data.isEmpty()) return;
  const int64_t now = m_sinceOpen.nsecsElapsed();
  if (!m_running) {
    // The start's backlog is dropped: the recording's sound begins with the
    // first read that arrives at the pace of capture.
    if (m_firstDataNs < 0) m_firstDataNs = now;
    const int64_t soundNs = data.size() * 1'000'000'000LL / kBytesPerSecond;
    const bool live = soundNs <= now - m_lastReadNs + kLiveSlackNs || now - m_firstDataNs > kMaxPrimingNs;
    m_lastReadNs = now;
    if (live) {
      m_running = true;
      emit running(m_segment);
    }
    return;
  }
  m_lastReadNs = now;
  if (!m_writeFlag.load()) return;  // not recording yet: dropped
  Take(data.constData(), data.size());
}

void CWaveInWorker::Take(const char* data, int64_t size) {
  while (size > 0) {
    const int n = static_cast<int>(std::min<int64_t>(size, kBufferBytes - m_fill));
    std::memcpy(m_buffer.data() + m_fill, data, static_cast<size_t>(n));
    // The sound goes on at once, so the recording's file is never more
    // than a read behind the microphone.
    if (m_sink) {
      m_sink(data, static_cast<size_t>(n));
      m_bytesWritten += n;
    }
    m_fill += n;
    m_taken += n;
    data += n;
    size -= n;
    if (m_fill == kBufferBytes) CompleteBuffer();
  }
}

// A buffer is done: full, or cut short by a pause or the stop.
void CWaveInWorker::CompleteBuffer() {
  MediaPrint("getdate id:%d size:%d timestemp:%d\n", m_bufferId, m_fill, ProcessClock());
  m_fill = 0;
  m_bufferId = (m_bufferId + 1) % kBufferCount;
}

void CWaveInWorker::Finish(int64_t targetBytes, bool stopLines) {
  if (m_io != nullptr && m_running && m_writeFlag.load() && targetBytes >= 0) {
    // Sound reaches us a little after it was captured: read on until the
    // recording's length of sound is in, so nothing before the stop is lost.
    QElapsedTimer waited;
    waited.start();
    while (m_taken < targetBytes && waited.elapsed() < kDrainTimeoutMs) {
      const QByteArray data = m_io->read(targetBytes - m_taken);
      if (data.isEmpty()) {
        QThread::msleep(5);
        continue;
      }
      Take(data.constData(), data.size());
    }
    if (m_taken < targetBytes)
      Trace("sound capture: %lld of %lld bytes arrived before the drain ended",
            static_cast<long long>(m_taken), static_cast<long long>(targetBytes));
  }
  if (m_fill > 0) CompleteBuffer();
  m_writeFlag = false;
  if (stopLines) MediaPrint("Start Stop\n");
  StopDevice();
  if (stopLines) MediaPrint("Start Reset\n");
  if (stopLines) MediaPrint("Start Close\n");
  CloseDevice();
}

void CWaveInWorker::ReleaseSink() {
  if (!m_sink) return;
  m_sink = nullptr;
  ++m_sinkReleases;
}

// Stopping the source deletes the device it reads from.
void CWaveInWorker::StopDevice() {
  if (m_io != nullptr) disconnect(m_io, nullptr, this, nullptr);
  m_io = nullptr;
  if (m_source) m_source->stop();
}

void CWaveInWorker::CloseDevice() {
  StopDevice();
  m_source.reset();
  m_running = false;
}

}  // namespace scrivel
