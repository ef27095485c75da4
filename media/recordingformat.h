#pragma once
// The facts of a recording that the capture, the encoders and the multiplexer
// share: the picture grid and size, the sound format and the streams' rates.

#include <cstddef>
#include <cstdint>

namespace scrivel {

// Pictures: 10 a recorded second, captured on a tick of 100 ms.
inline constexpr int kFramesPerSecond = 10;
inline constexpr int kTickMs = 1000 / kFramesPerSecond;
// The picture of the video (planar YUV 4:2:0).
inline constexpr int kPictureWidth = 352;
inline constexpr int kPictureHeight = 288;
inline constexpr size_t PictureBytes(int width, int height) {
  return static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 2;
}
inline constexpr size_t kPictureBytes = PictureBytes(kPictureWidth, kPictureHeight);  // 152064

// H.264 stream.
inline constexpr int64_t kVideoBitRate = 400000;
inline constexpr int kVideoGopSize = 250;

// Sound: signed 16-bit little-endian, 2 channels interleaved, 44100 Hz.
inline constexpr int kSampleRate = 44100;
inline constexpr int kSoundChannels = 2;
inline constexpr int kSoundBlockAlign = kSoundChannels * 2;                  // bytes of one sample frame
inline constexpr int kSoundBytesPerSecond = kSampleRate * kSoundBlockAlign;  // 176400
// AAC stream.
inline constexpr int64_t kAudioBitRate = 64000;
inline constexpr int kAacFrameSamples = 1024;

}  // namespace scrivel
