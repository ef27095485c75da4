#include "fitscaler.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

#include "media/mediaprint.h"

namespace scrivel {
namespace {

// The sinc filter; with accurate rounding, so that the canvas's white stays
// one even white (235, 128, 128) instead of 234 to 237 with tinted chroma,
// and matches the white around the fitted part.
constexpr int kScaleFlags = SWS_SINC | SWS_ACCURATE_RND;

int EvenDown(int value) { return value & ~1; }
int AlignUp(int value) { return (value + 31) & ~31; }

}  // namespace

void CFitScaler::AvFree::operator()(uint8_t* data) const { av_free(data); }

CFitScaler::~CFitScaler() { sws_freeContext(m_context); }

QRect CFitScaler::FitRect(int width, int height, int targetWidth, int targetHeight) {
  if (width <= 0 || height <= 0) return {};
  int fitWidth = targetWidth;
  int fitHeight = targetHeight;
  // Compare width / height with the target's without rounding.
  if (int64_t{width} * targetHeight > int64_t{height} * targetWidth)
    fitHeight = static_cast<int>((int64_t{height} * targetWidth + width / 2) / width);
  else
    fitWidth = static_cast<int>((int64_t{width} * targetHeight + height / 2) / height);
  fitWidth = std::max(2, EvenDown(fitWidth));
  fitHeight = std::max(2, EvenDown(fitHeight));
  return QRect(EvenDown((targetWidth - fitWidth) / 2), EvenDown((targetHeight - fitHeight) / 2), fitWidth,
               fitHeight);
}

bool CFitScaler::Scale(const uint8_t* bgr, int width, int height, uint8_t* yuv) {
  if (width <= 0 || height <= 0) return false;
  // The scaler is set up again whenever the window's size changes.
  if (m_context == nullptr || width != m_sourceWidth || height != m_sourceHeight) {
    m_fit = FitRect(width, height, m_width, m_height);
    m_context = sws_getCachedContext(m_context, width, height, AV_PIX_FMT_BGR24, m_fit.width(),
                                      m_fit.height(), AV_PIX_FMT_YUV420P, kScaleFlags, nullptr,
                                      nullptr, nullptr);
    if (m_context == nullptr) {
      MediaPrint("ScreenToYUV: cannot scale %dx%d to %dx%d\n", width, height, m_fit.width(), m_fit.height());
      m_sourceWidth = m_sourceHeight = 0;
      return false;
    }
    m_sourceWidth = width;
    m_sourceHeight = height;
    // Rows of the scaled picture start on 32-byte boundaries, as the
    // scaler's vector code likes them.
    m_strides[0] = AlignUp(m_fit.width());
    m_strides[1] = m_strides[2] = AlignUp(m_fit.width() / 2);
    const size_t lumaBytes = static_cast<size_t>(m_strides[0]) * m_fit.height();
    const size_t chromaBytes = static_cast<size_t>(m_strides[1]) * (m_fit.height() / 2);
    m_scaled.reset(static_cast<uint8_t*>(av_malloc(lumaBytes + 2 * chromaBytes)));
    if (!m_scaled) {
      sws_freeContext(m_context);
      m_context = nullptr;
      m_sourceWidth = m_sourceHeight = 0;
      return false;
    }
    m_planes[0] = m_scaled.get();
    m_planes[1] = m_planes[0] + lumaBytes;
    m_planes[2] = m_planes[1] + chromaBytes;
  }

  const int fitWidth = m_fit.width();
  const int fitHeight = m_fit.height();
  uint8_t* scaledPlanes[4] = {m_planes[0], m_planes[1], m_planes[2], nullptr};
  const int scaledStrides[4] = {m_strides[0], m_strides[1], m_strides[2], 0};
  const uint8_t* sourcePlanes[4] = {bgr, nullptr, nullptr, nullptr};
  const int sourceStrides[4] = {width * 3, 0, 0, 0};
  sws_scale(m_context, sourcePlanes, sourceStrides, 0, height, scaledPlanes, scaledStrides);

  // The whole picture white, then the fitted part copied into its place.
  const size_t luma = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
  uint8_t* planes[3] = {yuv, yuv + luma, yuv + luma * 5 / 4};
  std::memset(planes[0], kWhiteY, luma);
  std::memset(planes[1], kWhiteUV, luma / 2);
  for (int plane = 0; plane < 3; ++plane) {
    const int shift = plane == 0 ? 0 : 1;
    const int stride = m_width >> shift;
    const int left = m_fit.x() >> shift;
    const int top = m_fit.y() >> shift;
    const int rowBytes = fitWidth >> shift;
    for (int row = 0; row < (fitHeight >> shift); ++row)
      std::memcpy(planes[plane] + (top + row) * stride + left,
                  scaledPlanes[plane] + row * scaledStrides[plane], static_cast<size_t>(rowBytes));
  }
  return true;
}

}  // namespace scrivel
