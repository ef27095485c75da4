#pragma once
// The sound capture's side on the audio thread: a QAudioSource in pull mode
// on the chosen input, three one-second buffers filled in turn (each printed
// when complete), and the sound sink that receives the sound as it arrives. Every call runs on the audio thread, as a
// command through Queue, in the order CWaveIn queued it.

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "media/recordingformat.h"

class QAudioSource;
class QIODevice;

namespace scrivel {

class CWaveInWorker : public QObject {
  Q_OBJECT

 public:
  static constexpr int kBufferBytes = kSoundBytesPerSecond;  // one second of sound
  static constexpr int kBufferCount = 3;
  // How long the drain at a pause or stop waits for the sound that was
  // captured before it to arrive.
  static constexpr int kDrainTimeoutMs = 1000;

  // `writeFlag` is set by the UI thread once the recording's clock starts;
  // sound that arrives while it is clear is dropped.
  explicit CWaveInWorker(std::atomic<bool>& writeFlag);
  ~CWaveInWorker() override;

  // Runs `command` on the audio thread once every command queued before it
  // has finished; callable from any thread. The command is handed over under
  // a lock, so what it captured belongs to the audio thread from then on. Qt
  // may deliver queued events inside QAudioSource's calls; a command arriving
  // that way waits for the one running instead of cutting in.
  void Queue(std::function<void()> command);
  // Queues `command` and blocks until it has run (this thread's events do
  // not run meanwhile); everything the audio thread did before is then
  // visible here. Never from the audio thread.
  void QueueAndWait(std::function<void()> command);

  using SoundSink = std::function<void(const char* data, size_t bytes)>;
  // Sound taken from now on goes to `sink` (replacing one still held).
  void AdoptSink(SoundSink sink);
  // Opens and starts `device`; emits running(segment) once the sound arrives
  // at the pace it is captured, or failed(segment). `deviceIndex` is printed.
  void Open(const QAudioDevice& device, int deviceIndex, int segment);
  // Ends the capture: reads on until `targetBytes` have been taken since the
  // write flag was set (no drain when negative), writes the partly filled
  // buffer, stops and closes the device and clears the write flag. With
  // `stopLines` it prints the stop's "Start Stop/Reset/Close" lines.
  void Finish(int64_t targetBytes, bool stopLines);
  void ReleaseSink();
  // Emits synced(id) once every call queued before it has run.
  void Sync(int id) { emit synced(id); }

  int sinkReleases() const { return m_sinkReleases.load(); }
  int64_t bytesWritten() const { return m_bytesWritten.load(); }

 signals:
  // Wakes the audio thread for the commands Queue added.
  void queued();
  void running(int segment);
  void failed(int segment);
  void synced(int id);

 private:
  void RunQueued();
  void OnReadyRead();
  void Take(const char* data, int64_t size);
  void CompleteBuffer();
  void StopDevice();
  void CloseDevice();

  std::atomic<bool>& m_writeFlag;
  std::mutex m_commandsMutex;
  std::deque<std::function<void()>> m_commands;  // guarded by m_commandsMutex
  bool m_executing = false;
  std::unique_ptr<QAudioSource> m_source;
  QIODevice* m_io = nullptr;
  SoundSink m_sink;
  int m_segment = 0;
  bool m_running = false;       // sound arrives live (the backlog of the start is behind)
  QElapsedTimer m_sinceOpen;
  int64_t m_lastReadNs = 0;
  int64_t m_firstDataNs = -1;
  int64_t m_taken = 0;          // bytes taken since the write flag was set
  std::vector<char> m_buffer;   // the buffer being filled
  int m_fill = 0;
  int m_bufferId = 0;
  std::atomic<int> m_sinkReleases{0};
  std::atomic<int64_t> m_bytesWritten{0};
};

}  // namespace scrivel
