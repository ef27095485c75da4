#pragma once
// Owners for FFmpeg objects and C files: every early return of a media stage
// frees what the stage allocated so far.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <cstdio>
#include <memory>

namespace scrivel {

struct CodecContextDeleter {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
// A demuxer opened with avformat_open_input.
struct InputFormatDeleter {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
// A muxer from avformat_alloc_output_context2; closes its file when one was opened.
struct OutputFormatDeleter {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr && !(context->oformat->flags & AVFMT_NOFILE)) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct ResamplerDeleter {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
struct BitstreamFilterDeleter {
  void operator()(AVBSFContext* filter) const { av_bsf_free(&filter); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatDeleter>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerDeleter>;
using BitstreamFilterPtr = std::unique_ptr<AVBSFContext, BitstreamFilterDeleter>;
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// An options dictionary; FFmpeg's calls take the address of the pointer.
struct ScopedDictionary {
  AVDictionary* value = nullptr;
  ScopedDictionary() = default;
  ScopedDictionary(const ScopedDictionary&) = delete;
  ScopedDictionary& operator=(const ScopedDictionary&) = delete;
  ~ScopedDictionary() { av_dict_free(&value); }
};

}  // namespace scrivel
