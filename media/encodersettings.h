#pragma once
// The settings of the recording's two encoders, in one place for the live
// recording and the file stages: H.264 at 10 pictures a second, 400 kbit/s,
// GOP 250, quantizer 10 to 51, no B-frames, preset "slow" with tune
// "zerolatency"; AAC 44100 Hz stereo at 64 kbit/s.

#include "media/avdeleters.h"

namespace scrivel {

// Fills a video encoder's context for a `width` x `height` picture; global
// headers when the container (`formatFlags`) asks for them.
void ConfigureVideoEncoder(AVCodecContext* codec, int width, int height, int formatFlags);
// The options "preset" and "tune" for `codecId`. The library's result.
int VideoEncoderOptions(AVCodecID codecId, AVDictionary** options);

// Fills an audio encoder's context: the sample format it takes (signed
// 16-bit when it can, otherwise its own first one), 44100 Hz stereo, the
// bit rate and `timeBase`. The library's result.
int ConfigureAudioEncoder(AVCodecContext* codec, const AVCodec* encoder, AVRational timeBase, int formatFlags);
// A converter from the recording's interleaved 16-bit sound to what the
// opened encoder `codec` takes; none (and 0) when it takes that directly.
int CreateSoundConverter(const AVCodecContext* codec, ResamplerPtr& converter);

}  // namespace scrivel
