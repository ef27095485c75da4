#include "media/audioencode.h"

#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include "common/trace.h"
#include "media/encodedstream.h"
#include "media/encodersettings.h"
#include "media/flushencoder.h"
#include "media/mediaprint.h"
#include "media/rawinput.h"
#include "media/recordingformat.h"

namespace scrivel {
namespace {

constexpr const char* kStage = "audio_encode_example";
constexpr AVSampleFormat kInputFormat = AV_SAMPLE_FMT_S16;
// Unit k is stamped k x 100. The encoder's time base makes those 100 ticks
// exactly one frame of 1024 samples, so the timestamps tell the true time.
constexpr int kFrameSamples = kAacFrameSamples;
constexpr AVRational kUnitTimeBase{kFrameSamples, kSampleRate * 100};

bool EncodeUnit(EncodedStream& out, AVFrame* frame, AVPacket* packet, MediaResult& result) {
  int ret = avcodec_send_frame(out.codec.get(), frame);
  if (ret < 0) {
    MediaPrint("Failed to encode!\n");
    result = MediaResult::EncodeFailed;
    return false;
  }
  for (;;) {
    ret = avcodec_receive_packet(out.codec.get(), packet);
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) {
      MediaPrint("Failed to encode!\n");
      result = MediaResult::EncodeFailed;
      return false;
    }
    MediaPrint("Succeed to encode 1 frame! \tsize:%5d\n", packet->size);
    ret = WriteEncodedPacket(out.format.get(), out.codec.get(), 0, packet);
    if (ret < 0) {
      ReportAvError(kStage, "av_write_frame", ret);
      result = MediaResult::WriteFailed;
      return false;
    }
  }
}

}  // namespace

MediaResult audio_encode_example(const std::string& tempFolder, const MediaProgress& progress) {
  Trace("进入audio_encode_example函数");
  const std::string inPath = tempFolder + "Note.pcm";
  const std::string outPath = tempFolder + "Note.aac";

  RawInput raw = OpenRawInput(inPath);
  if (!raw.file) return MediaResult::NoInput;
  std::FILE* in = raw.file.get();
  const int64_t inputSize = raw.size;

  EncodedStream out;
  if (!out.Create(kStage, outPath)) return MediaResult::Failed;
  if (out.OpenFile(outPath) < 0) {
    MediaPrint("Failed to open output file!\n");
    return MediaResult::OutputFailed;
  }

  const AVCodec* encoder = avcodec_find_encoder(out.format->oformat->audio_codec);
  if (encoder == nullptr) {
    MediaPrint("Can not find encoder!\n");
    return MediaResult::NoEncoder;
  }
  out.codec.reset(avcodec_alloc_context3(encoder));
  if (!out.codec) {
    ReportAvError(kStage, "avcodec_alloc_context3", AVERROR(ENOMEM));
    return MediaResult::Failed;
  }
  AVCodecContext* codec = out.codec.get();
  int ret = ConfigureAudioEncoder(codec, encoder, kUnitTimeBase, out.format->oformat->flags);
  if (ret < 0) {
    ReportAvError(kStage, "av_channel_layout_copy", ret);
    return MediaResult::Failed;
  }

  if (avcodec_open2(codec, encoder, nullptr) < 0) {
    MediaPrint("Failed to open encoder!\n");
    return MediaResult::EncoderFailed;
  }
  if (codec->frame_size != kFrameSamples) {
    ReportAvError(kStage, "encoder frame size", AVERROR(EINVAL));
    return MediaResult::EncoderFailed;
  }
  ret = avcodec_parameters_from_context(out.stream->codecpar, codec);
  if (ret < 0) {
    ReportAvError(kStage, "avcodec_parameters_from_context", ret);
    return MediaResult::Failed;
  }
  av_dump_format(out.format.get(), 0, outPath.c_str(), 1);

  // One unit of input: the encoder's frame of 16-bit samples, alignment 1.
  const int unitBytes = av_samples_get_buffer_size(nullptr, codec->ch_layout.nb_channels,
                                                   codec->frame_size, kInputFormat, 1);
  if (unitBytes <= 0) {
    ReportAvError(kStage, "av_samples_get_buffer_size", unitBytes);
    return MediaResult::Failed;
  }
  std::vector<uint8_t> unit(static_cast<size_t>(unitBytes));

  FramePtr frame(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!frame || !packet) {
    ReportAvError(kStage, "av_frame_alloc", AVERROR(ENOMEM));
    return MediaResult::Failed;
  }
  frame->nb_samples = codec->frame_size;
  frame->format = codec->sample_fmt;
  frame->sample_rate = codec->sample_rate;
  ret = av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout);
  if (ret >= 0) ret = av_frame_get_buffer(frame.get(), 0);
  if (ret < 0) {
    ReportAvError(kStage, "av_frame_get_buffer", ret);
    return MediaResult::Failed;
  }

  ResamplerPtr resampler;
  ret = CreateSoundConverter(codec, resampler);
  if (ret < 0) {
    ReportAvError(kStage, "swr_init", ret);
    return MediaResult::Failed;
  }

  ret = avformat_write_header(out.format.get(), nullptr);
  if (ret < 0) {
    ReportAvError(kStage, "avformat_write_header", ret);
    return MediaResult::WriteFailed;
  }

  MediaResult result = MediaResult::Ok;
  const int64_t units = inputSize / unitBytes;
  double reported = 0;
  for (int64_t i = 0; i < units; ++i) {
    const size_t got = std::fread(unit.data(), 1, unit.size(), in);
    if (got == 0) {
      MediaPrint("Failed to read raw data! \n");
      result = MediaResult::ReadFailed;
      break;
    }
    if (got < unit.size() || std::feof(in)) {
      result = MediaResult::ReadFailed;  // the file shrank under us
      break;
    }
    // The encoder may still hold the previous frame's buffer.
    ret = av_frame_make_writable(frame.get());
    if (ret < 0) {
      ReportAvError(kStage, "av_frame_make_writable", ret);
      return MediaResult::Failed;
    }
    if (resampler) {
      const uint8_t* source = unit.data();
      ret = swr_convert(resampler.get(), frame->data, frame->nb_samples, &source, frame->nb_samples);
      if (ret != frame->nb_samples) {
        ReportAvError(kStage, "swr_convert", ret < 0 ? ret : AVERROR_BUG);
        return MediaResult::Failed;
      }
    } else {
      std::memcpy(frame->data[0], unit.data(), unit.size());
    }
    frame->pts = i * 100;
    if (!EncodeUnit(out, frame.get(), packet.get(), result)) return result;
    if (progress) {
      const double done = static_cast<double>(i + 1) / static_cast<double>(units);
      if (done - reported >= 0.01) progress(reported = done);
    }
  }

  if (flush_encoder(out.format.get(), codec, 0) < 0) {
    MediaPrint("Flushing encoder failed\n");
    return MediaResult::FlushFailed;
  }
  ret = av_write_trailer(out.format.get());
  if (ret < 0) {
    ReportAvError(kStage, "av_write_trailer", ret);
    return MediaResult::WriteFailed;
  }
  if (progress) progress(1.0);
  return result;
}

}  // namespace scrivel
