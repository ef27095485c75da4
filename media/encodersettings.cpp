#include "media/encodersettings.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "media/recordingformat.h"

namespace scrivel {
namespace {

constexpr AVSampleFormat kSoundFormat = AV_SAMPLE_FMT_S16;

// FFmpeg's own AAC encoder only takes planar float; others may take 16-bit.
AVSampleFormat ChooseSampleFormat(const AVCodec* encoder) {
  if (encoder->sample_fmts == nullptr) return kSoundFormat;
  for (const AVSampleFormat* f = encoder->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
    if (*f == kSoundFormat) return kSoundFormat;
  return encoder->sample_fmts[0];
}

}  // namespace

void ConfigureVideoEncoder(AVCodecContext* codec, int width, int height, int formatFlags) {
  codec->codec_type = AVMEDIA_TYPE_VIDEO;
  codec->pix_fmt = AV_PIX_FMT_YUV420P;
  codec->width = width;
  codec->height = height;
  codec->time_base = AVRational{1, kFramesPerSecond};
  codec->framerate = AVRational{kFramesPerSecond, 1};
  codec->bit_rate = kVideoBitRate;
  codec->gop_size = kVideoGopSize;
  codec->qmin = 10;
  codec->qmax = 51;
  // No B-frames: a raw H.264 stream carries no presentation times, so the
  // multiplexer can only give each frame its decoding time. With reordered
  // frames the MP4 would then present them out of order.
  codec->max_b_frames = 0;
  codec->thread_count = 0;  // as many threads as the encoder finds useful
  if (formatFlags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
}

int VideoEncoderOptions(AVCodecID codecId, AVDictionary** options) {
  int ret = 0;
  if (codecId == AV_CODEC_ID_H264) {
    ret = av_dict_set(options, "preset", "slow", 0);
    if (ret >= 0) ret = av_dict_set(options, "tune", "zerolatency", 0);
  } else if (codecId == AV_CODEC_ID_HEVC) {
    ret = av_dict_set(options, "preset", "ultrafast", 0);
    if (ret >= 0) ret = av_dict_set(options, "tune", "zero-latency", 0);
  }
  return ret;
}

int ConfigureAudioEncoder(AVCodecContext* codec, const AVCodec* encoder, AVRational timeBase, int formatFlags) {
  const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  codec->codec_type = AVMEDIA_TYPE_AUDIO;
  codec->sample_fmt = ChooseSampleFormat(encoder);
  codec->sample_rate = kSampleRate;
  const int ret = av_channel_layout_copy(&codec->ch_layout, &stereo);
  if (ret < 0) return ret;
  codec->bit_rate = kAudioBitRate;
  codec->time_base = timeBase;
  if (formatFlags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  return 0;
}

int CreateSoundConverter(const AVCodecContext* codec, ResamplerPtr& converter) {
  converter.reset();
  if (codec->sample_fmt == kSoundFormat) return 0;
  // swr_alloc_set_opts2 takes the layouts non-const.
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  AVChannelLayout output = codec->ch_layout;
  SwrContext* swr = nullptr;
  int ret = swr_alloc_set_opts2(&swr, &output, codec->sample_fmt, kSampleRate, &stereo, kSoundFormat,
                                kSampleRate, 0, nullptr);
  converter.reset(swr);
  if (ret >= 0) ret = swr_init(swr);
  return ret;
}

}  // namespace scrivel
