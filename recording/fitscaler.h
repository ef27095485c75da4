#pragma once
// Turns a BGR24 picture of any size into one 352 x 288 planar YUV 4:2:0
// picture (152064 bytes: Y 352 x 288, then U and V 176 x 144 each). The
// picture keeps its aspect ratio: it is scaled with the sinc filter to fit
// inside 352 x 288, centred, and the rest is the canvas's white.

#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>

struct SwsContext;

namespace scrivel {

class CFitScaler {
 public:
  static constexpr int kWidth = 352;
  static constexpr int kHeight = 288;
  static constexpr size_t kPictureBytes = size_t{kWidth} * kHeight * 3 / 2;  // 152064
  // White as the scaler turns BGR 255, 255, 255 into limited-range YUV.
  static constexpr uint8_t kWhiteY = 235;
  static constexpr uint8_t kWhiteUV = 128;

  CFitScaler() = default;
  ~CFitScaler();
  CFitScaler(const CFitScaler&) = delete;
  CFitScaler& operator=(const CFitScaler&) = delete;

  // The part of the 352 x 288 picture that a width x height picture fills:
  // the largest rectangle of its aspect ratio inside, centred, with even
  // position and size (the chroma planes have half the resolution).
  static QRect FitRect(int width, int height);

  // Scales `bgr` (width x height x 3 bytes, rows packed) into `yuv`
  // (kPictureBytes). False when the scaler cannot be set up; `yuv` is then
  // left untouched.
  bool Scale(const uint8_t* bgr, int width, int height, uint8_t* yuv);

 private:
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
