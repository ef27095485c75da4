#pragma once
// Capture of the note window for the recording: on every tick a picture of
// the window's client area is rendered from the window on the UI thread;
// turning it into BGR24, scaling it into a 352 x 288 YUV 4:2:0 picture
// (CFitScaler) and handing it with its recording second to the recording's
// encoder (CRecordingWriter) run on a thread of their own, in tick order.
// Close() waits until every picture is handed over.

#include <QImage>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recording/fitscaler.h"

namespace scrivel {
class CRecordingWriter;
}

namespace scrivel {

class CScreenCapture {
 public:
  using GrabFunction = std::function<QImage()>;
  // Pictures waiting for the writer at most; a tick beyond it waits for the
  // writer, so memory stays bounded and no picture is dropped.
  static constexpr size_t kMaxPending = 4;

  explicit CScreenCapture(GrabFunction grab);
  ~CScreenCapture();
  CScreenCapture(const CScreenCapture&) = delete;
  CScreenCapture& operator=(const CScreenCapture&) = delete;

  // Starts handing pictures to `writer` (which must outlive Close()).
  void Open(CRecordingWriter* writer);
  bool IsOpen() const { return m_open; }
  // One tick: grabs the window now; the picture goes to the writer in tick
  // order, as a picture of recording second `second`. False when no picture
  // will be handed over (not open, or the scaler could not be set up, which
  // ends the capture for the recording).
  bool ScreenToYUV(int second);
  // Waits for the pictures still queued, then stops handing over.
  void Close();

  // One picture from the grab to its YUV bytes: turns `picture` into BGR24
  // and scales it into `yuv`. False when the scaler cannot be set up. Used
  // by the capture thread (and by the benchmark).
  static bool ConvertPicture(const QImage& picture, CFitScaler& scaler, std::vector<uint8_t>& bgr,
                             std::vector<uint8_t>& yuv);

 private:
  void Run();

  GrabFunction m_grab;
  bool m_open = false;  // UI thread's view: ticks may queue pictures
  CRecordingWriter* m_target = nullptr;
  std::thread m_writer;
  std::mutex m_mutex;
  std::condition_variable m_wake;  // a picture was queued, or the writer should end
  std::condition_variable m_room;  // a picture was written
  struct Tick {
    QImage picture;
    int second = 0;
  };
  std::deque<Tick> m_queue;
  bool m_closing = false;
  bool m_failed = false;
};

}  // namespace scrivel
