#pragma once
// Sound capture of a recording: the default sound input, captured as raw PCM
// (signed 16-bit little-endian, 2 channels, 44100 Hz) and appended to the raw
// sound file. The capture runs on an audio thread of its own; this object is
// its UI-thread side. Prints "Has Wave Num:%d\n", "you use waveid:%d\n",
// "getdate id:%d size:%d timestemp:%d\n" per one-second buffer and the stop's
// "Start Stop\n", "Start Reset\n", "Start Close\n" on stdout.
//
// Sound and pictures start together: StartWaveIn returns once the input
// delivers sound live, and only sound that arrives after SetWriteFlag is
// kept. A pause or stop keeps every sample up to that moment: the capture
// reads on until the segment's length of sound (the time since SetWriteFlag)
// is in, then closes the device.

#include <QElapsedTimer>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace scrivel {

class CWaveInWorker;

class CWaveIn : public QObject {
  Q_OBJECT

 public:
  static constexpr int kBytesPerSecond = 176400;
  static constexpr int kBlockAlign = 4;
  // How long StartWaveIn waits for the input to deliver sound.
  static constexpr int kStartTimeoutMs = 3000;

  explicit CWaveIn(QObject* parent = nullptr);
  // Ends a capture still running (keeping what arrived) and closes the file.
  ~CWaveIn() override;

  // Takes over the raw sound file that the caller opened ("wb" at a start,
  // "ab" at a resume); nullptr when it could not be opened.
  void SetRawFile(std::FILE* file);
  bool HasRawFile() const { return m_hasFile; }

  // 0: sound is being captured (not yet written: see SetWriteFlag); -1: no
  // sound for this recording (no raw sound file, or no usable input and the
  // user chose to record without sound); -2: no usable input and the user
  // declined. An input is unusable when none is listed, or when it cannot be
  // opened or delivers nothing within kStartTimeoutMs; then the Yes/No
  // question of strings 10006 (text) and 10004 (caption) is asked, without
  // owner window. Waits for the input without blocking the UI thread's
  // events. Unless it returns 0, the raw sound file is closed again.
  int StartWaveIn();
  // From now on the captured sound is written; the segment's length counts
  // from here.
  void SetWriteFlag();
  bool writeFlag() const { return m_writeFlag.load(); }
  // Ends the capture and closes the raw sound file; returns once both are
  // done (the UI thread's events run meanwhile). Prints the stop's lines.
  void StopWaveIn();
  // The pause: ends the capture of this segment (keeping its sound up to
  // now) and closes the device; returns at once.
  void ResetWaveIn();
  // Closes the raw sound file after everything queued before; returns at once.
  void CloseRawFile();

  // How often a raw sound file was closed, and the bytes written in all.
  int rawFileCloses() const;
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
  bool m_hasFile = false;
  bool m_deviceOpen = false;
  int m_segmentId = 0;
  int m_syncId = 0;
};

}  // namespace scrivel
