#include "screencapture.h"

#include "common/trace.h"
#include "media/recordingwriter.h"
#include "recording/screentobgr.h"

namespace scrivel {

CScreenCapture::CScreenCapture(GrabFunction grab) : m_grab(std::move(grab)) {}

CScreenCapture::~CScreenCapture() { Close(); }

void CScreenCapture::Open(CRecordingWriter* writer) {
  Close();
  m_target = writer;
  m_closing = false;
  m_failed = false;
  m_open = true;
  m_writer = std::thread(&CScreenCapture::Run, this);
}

bool CScreenCapture::ScreenToYUV(int second) {
  Trace("进入ScreenToYUV函数");
  if (!m_open) return false;
  QImage picture = m_grab ? m_grab() : QImage();
  std::unique_lock lock(m_mutex);
  m_room.wait(lock, [this] { return m_queue.size() < kMaxPending || m_failed; });
  if (m_failed) {
    m_open = false;
    return false;
  }
  m_queue.push_back(Tick{std::move(picture), second});
  m_wake.notify_one();
  return true;
}

void CScreenCapture::Close() {
  if (!m_writer.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_closing = true;
  }
  m_wake.notify_one();
  m_writer.join();
  m_target = nullptr;
  m_open = false;
}

bool CScreenCapture::ConvertPicture(const QImage& picture, CFitScaler& scaler, std::vector<uint8_t>& bgr,
                                    std::vector<uint8_t>& yuv) {
  // A picture the window could not render becomes a white one of the canvas's size.
  const int width = picture.isNull() ? CFitScaler::kWidth : picture.width();
  const int height = picture.isNull() ? CFitScaler::kHeight : picture.height();
  bgr.resize(static_cast<size_t>(width) * height * 3);
  screen_to_bgr(picture, 0, 0, width, height, bgr.data());
  yuv.resize(scaler.pictureBytes());
  return scaler.Scale(bgr.data(), width, height, yuv.data());
}

void CScreenCapture::Run() {
  CFitScaler scaler(m_target->options().width, m_target->options().height);
  std::vector<uint8_t> bgr, yuv;
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return !m_queue.empty() || m_closing; });
    if (m_queue.empty()) return;  // closing, and everything is written
    Tick tick = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    const bool written = !m_failed && ConvertPicture(tick.picture, scaler, bgr, yuv);
    if (written) m_target->AddPicture(yuv, tick.second);
    lock.lock();
    if (!written) {
      // No scaler: no more pictures for this recording.
      m_failed = true;
      m_queue.clear();
    }
    m_room.notify_all();
  }
}

}  // namespace scrivel
