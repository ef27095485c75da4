#pragma once
// Turns a BGR24 picture of any size into one planar YUV 4:2:0 picture of the
// target size, 352 x 288 unless chosen otherwise (152064 bytes: Y 352 x 288,
// then U and V 176 x 144 each). The picture keeps its aspect ratio: it is
// scaled with the sinc filter to fit inside the target, centred, and the
// rest is the canvas's white.

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/recordingformat.h"

struct SwsContext;

namespace scrivel {

class CFitScaler {
 public:
  static constexpr int kWidth = kPictureWidth;
  static constexpr int kHeight = kPictureHeight;
  static constexpr size_t kPictureBytes = scrivel::kPictureBytes;
  // White as the scaler turns BGR 255, 255, 255 into limited-range YUV.
  static constexpr uint8_t kWhiteY = 235;
  static constexpr uint8_t kWhiteUV = 128;

  // `width` and `height` (even) are the target's.
  explicit CFitScaler(int width = kWidth, int height = kHeight) : m_width(width), m_height(height) {}
  ~CFitScaler();
  CFitScaler(const CFitScaler&) = delete;
  CFitScaler& operator=(const CFitScaler&) = delete;

  // The part of the 352 x 288 picture that a width x height picture fills:
  // the largest rectangle of its aspect ratio inside, centred, with even
  // position and size (the chroma planes have half the resolution).
  static QRect FitRect(int width, int height, int targetWidth = kWidth, int targetHeight = kHeight);
  size_t pictureBytes() const { return PictureBytes(m_width, m_height); }

  // Scales `bgr` (width x height x 3 bytes, rows packed) into `yuv`
  // (pictureBytes()). False when the scaler cannot be set up; `yuv` is then
  // left untouched.
  bool Scale(const uint8_t* bgr, int width, int height, uint8_t* yuv);

 private:
  int m_width, m_height;  // the target
  SwsContext* m_context = nullptr;
  int m_sourceWidth = 0;
  int m_sourceHeight = 0;
  QRect m_fit;
  struct AvFree {
    void operator()(uint8_t* data) const;
  };
  // The fitted part, as a YUV 4:2:0 picture of its own.
  std::unique_ptr<uint8_t, AvFree> m_scaled;
  uint8_t* m_planes[3] = {};
  int m_strides[3] = {};
};

}  // namespace scrivel
