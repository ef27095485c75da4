#pragma once
// Sound capture of a recording: the default sound input, captured as raw PCM
// (signed 16-bit little-endian, 2 channels, 44100 Hz) and handed, as it
// arrives, to the recording's sound sink (its encoder). The capture runs on
// an audio thread of its own; this object is its UI-thread side. Prints "Has Wave Num:%d\n", "you use waveid:%d\n",
// "getdate id:%d size:%d timestemp:%d\n" per one-second buffer and the stop's
// "Start Stop\n", "Start Reset\n", "Start Close\n" on stdout.
//
// Sound and pictures start together: StartWaveIn returns once the input
// delivers sound live, and only sound that arrives after SetWriteFlag is
// kept. A pause or stop keeps every sample up to that moment: the capture
// reads on until the segment's length of sound (the recording clock's time
// since SetWriteFlag) is in, then closes the device.

#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "media/recordingformat.h"

namespace scrivel {

class CWaveInWorker;

class CWaveIn : public QObject {
  Q_OBJECT

 public:
  static constexpr int kBytesPerSecond = kSoundBytesPerSecond;
  static constexpr int kBlockAlign = kSoundBlockAlign;
  // How long StartWaveIn waits for the input to deliver sound.
  static constexpr int kStartTimeoutMs = 3000;
  // Receives captured sound on the audio thread.
  using SoundSink = std::function<void(const char* data, size_t bytes)>;
  // The recording clock's time since the segment began (ns).
  using SegmentClock = std::function<int64_t()>;

  explicit CWaveIn(QObject* parent = nullptr);
  // Ends a capture still running (keeping what arrived) and lets the sink go.
  ~CWaveIn() override;

  // Where captured sound goes from now on (at a start and at a resume); an
  // empty sink means there is nowhere to put it.
  void SetSoundSink(SoundSink sink);
  bool HasSoundSink() const { return m_hasSink; }
  // The segment's time comes from the recording's clock; without one, from
  // a timer started by SetWriteFlag.
  void SetSegmentClock(SegmentClock clock) { m_segmentClock = std::move(clock); }

  // 0: sound is being captured (not yet written: see SetWriteFlag); -1: no
  // sound for this recording (no sound sink, or no usable input and the
  // user chose to record without sound); -2: no usable input and the user
  // declined. An input is unusable when none is listed, or when it cannot be
  // opened or delivers nothing within kStartTimeoutMs; then the Yes/No
  // question of strings 10006 (text) and 10004 (caption) is asked, without
  // owner window. Waits for the input without blocking the UI thread's
  // events. Unless it returns 0, the sink is let go again.
  int StartWaveIn();
  // From now on the captured sound is written; the segment's length counts
  // from here.
  void SetWriteFlag();
  bool writeFlag() const { return m_writeFlag.load(); }
  // Ends the capture and lets the sink go; returns once both are done and
  // every sound is in the sink (the UI thread's events run meanwhile).
  // Prints the stop's lines.
  void StopWaveIn();
  // The pause: ends the capture of this segment (keeping its sound up to
  // now) and closes the device; returns once the segment's sound is in the
  // sink (the UI thread's events run meanwhile).
  void ResetWaveIn();
  // Lets the sink go after everything queued before; returns at once.
  void ReleaseSoundSink();

  // How often a sink was let go, and the bytes handed to sinks in all.
  int sinkReleases() const;
  int64_t bytesWritten() const;

  // The bytes of whole samples in `nanoseconds` of sound.
  static int64_t BytesFor(int64_t nanoseconds);

 private:
  // Queues `command` for the audio thread.
  void Post(std::function<void()> command);
  int64_t SegmentTarget() const;
  static int AskRecordWithoutSound();
  bool WaitForSync();

  QThread m_thread;
  CWaveInWorker* m_worker = nullptr;
  std::atomic<bool> m_writeFlag{false};
  QElapsedTimer m_segment;
  SegmentClock m_segmentClock;
  bool m_hasSink = false;
  bool m_deviceOpen = false;
  int m_segmentId = 0;
  int m_syncId = 0;
};

}  // namespace scrivel
