#pragma once
// A recording written while it runs: pictures and sound go to the H.264 and
// the AAC encoder as they are captured, on a thread of the writer's own, and
// the packets are multiplexed into an MP4 written in fragments of half a
// second. Every fragment reaches the file as soon as it is complete, so a
// recording cut short by a crash still plays up to its last fragment; the
// file's data is flushed to the disk every 2 s against a power cut.
//
// Pictures are placed on the grid of 10 frames per recorded second
// (LiveFrameGrid); the sound's timestamps are its sample count. The sound of
// each segment (start or resume to pause or stop) is brought to the
// segment's recorded length, so pictures and sound keep one clock.
// Prints the stages' lines ("Succeed to encode frame: ...") on stdout.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "media/avdeleters.h"
#include "media/liveframegrid.h"
#include "media/mediaresult.h"
#include "media/recordingformat.h"

namespace scrivel {

class CRecordingWriter {
 public:
  struct Options {
    std::string path;  // the fragmented MP4 (created, truncated)
    int width = kPictureWidth;
    int height = kPictureHeight;
    bool withSound = true;  // false: a video without sound stream
  };
  // Raw data waiting for the encoders at most (bytes); AddPicture waits
  // beyond it, so memory stays bounded when the encoder falls behind.
  static constexpr size_t kMaxQueuedBytes = 20 * kPictureBytes;

  CRecordingWriter() = default;
  // A writer that was not finished stops and leaves its file as it is.
  ~CRecordingWriter();
  CRecordingWriter(const CRecordingWriter&) = delete;
  CRecordingWriter& operator=(const CRecordingWriter&) = delete;

  // Creates the file, opens both encoders, writes the header and starts the
  // writer's thread. Failures are printed; the result says which.
  MediaResult Open(const Options& options);
  bool isOpen() const { return m_thread.joinable(); }
  const Options& options() const { return m_options; }

  // One picture (width x height planar YUV 4:2:0) of recording `second`.
  // Any thread; waits while the queue is full.
  void AddPicture(std::vector<uint8_t> yuv, int second);
  // Captured sound (interleaved 16-bit stereo). Any thread, never waits.
  void AddSound(const char* data, size_t bytes);
  // The current segment's sound is complete; it should hold `segmentBytes`:
  // silence is added when it holds less, the excess is dropped when more.
  void EndSoundSegment(int64_t segmentBytes);
  // The segment's recorded length so far (bytes of sound): when the sound
  // has fallen behind it by more than half a second, silence fills the gap.
  void KeepSoundUp(int64_t segmentBytes);
  // Silence added so far because the sound came short (bytes).
  int64_t paddedBytes() const;

  // Ends the recording at `endMs` of recorded time: the grid is filled up to
  // there, the encoders are drained and the file is finished. Waits for the
  // writer's thread. Ok when everything reached the file.
  MediaResult Finish(int64_t endMs);
  // Stops without finishing the file (what was written stays).
  void Abort();

  // True once a write or an encode failed: no more data reaches the file.
  bool failed() const;
  // What failed, for the user ("No space left on device", ...).
  std::string failure() const;
  // Bytes in the file so far.
  int64_t fileBytes() const;
  // Raw data waiting for the encoders (bytes).
  size_t queuedBytes() const;

 private:
  struct Item {
    enum Kind { Picture, Sound, SegmentEnd, KeepUp, End } kind;
    std::vector<uint8_t> data;
    int64_t value = 0;  // second, segment bytes or end time
  };
  struct Output {
    AVStream* stream = nullptr;
    CodecContextPtr codec;
  };

  void Push(Item item, bool wait);
  void Run();
  bool Process(Item& item);
  bool EncodePictureSlots(int64_t firstSlot, int64_t count);
  // Adds `bytes` of silence; `segmentBytes` >= 0 when it completes a segment.
  bool PadSound(int64_t bytes, int64_t segmentBytes);
  bool TakeSound(const uint8_t* data, size_t bytes);
  bool EncodeSoundFrames(bool all);
  bool Send(Output& output, AVFrame* frame);
  bool Drain(Output& output);
  void Fail(const char* call, int error);
  // Flushes the file's data to the disk, at most every kSyncInterval unless `now`.
  void SyncToDisk(bool now);
  MediaResult OpenVideo();
  MediaResult OpenAudio();

  Options m_options;
  OutputFormatPtr m_format;
  Output m_video, m_audio;
  FramePtr m_picture, m_sound;
  PacketPtr m_packet;
  ResamplerPtr m_converter;
  LiveFrameGrid m_grid;
  std::vector<uint8_t> m_lastPicture;
  std::vector<uint8_t> m_pcm;       // sound not yet encoded
  int64_t m_samples = 0;            // sound samples encoded
  int64_t m_segmentBytes = 0;       // sound taken in this segment
  int64_t m_dropBytes = 0;          // excess of the last segment still to drop
  int m_packetsWritten = 0;
  static constexpr std::chrono::seconds kSyncInterval{2};
  int m_syncFd = -1;
  std::chrono::steady_clock::time_point m_lastSync;

  std::thread m_thread;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake, m_room;
  std::deque<Item> m_queue;
  size_t m_queuedBytes = 0;
  bool m_failed = false;
  std::string m_failure;
  int64_t m_padded = 0;
  MediaResult m_result = MediaResult::Ok;
};

}  // namespace scrivel
