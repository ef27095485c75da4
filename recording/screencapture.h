#pragma once
// Capture of the note window into the raw picture file: on every tick a
// picture of the window's client area is rendered from the window on the UI
// thread; turning it into BGR24, scaling it into a 352 x 288 YUV 4:2:0
// picture (CFitScaler) and appending its 152064 bytes run on a thread of
// their own, in tick order. Close() waits until every picture is in the file.

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

  // Creates (truncates) the raw picture file. False when it cannot be created.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_open; }
  // One tick: grabs the window now; the picture is appended to the file in
  // tick order. False when no picture will be written (no open file, or the
  // scaler could not be set up, which closes the file for the recording).
  bool ScreenToYUV();
  // Waits for the pictures still queued, then closes the file.
  void Close();

  // One picture from the grab to its bytes in the file: turns `picture`
  // into BGR24, scales it and writes it to `file`. False when the scaler
  // cannot be set up. Used by the writer thread (and by the benchmark).
  static bool WritePicture(const QImage& picture, CFitScaler& scaler, std::vector<uint8_t>& bgr,
                           std::vector<uint8_t>& yuv, std::FILE* file);

 private:
  void Run();

  GrabFunction m_grab;
  bool m_open = false;  // UI thread's view: ticks may queue pictures
  std::FILE* m_file = nullptr;
  std::thread m_writer;
  std::mutex m_mutex;
  std::condition_variable m_wake;  // a picture was queued, or the writer should end
  std::condition_variable m_room;  // a picture was written
  std::deque<QImage> m_queue;
  bool m_closing = false;
  bool m_failed = false;
};

}  // namespace scrivel
