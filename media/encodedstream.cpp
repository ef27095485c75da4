#include "media/encodedstream.h"

#include "media/mediaprint.h"

namespace scrivel {

bool EncodedStream::Create(const char* stage, const std::string& path) {
  AVFormatContext* context = nullptr;
  int ret = avformat_alloc_output_context2(&context, nullptr, nullptr, path.c_str());
  if (ret < 0 || context == nullptr) {
    ReportAvError(stage, "avformat_alloc_output_context2", ret < 0 ? ret : AVERROR_UNKNOWN);
    return false;
  }
  format.reset(context);
  stream = avformat_new_stream(context, nullptr);
  if (stream == nullptr) {
    ReportAvError(stage, "avformat_new_stream", AVERROR(ENOMEM));
    return false;
  }
  return true;
}

int EncodedStream::OpenFile(const std::string& path) {
  return avio_open(&format->pb, path.c_str(), AVIO_FLAG_READ_WRITE);
}

int WriteEncodedPacket(AVFormatContext* format, const AVCodecContext* codec, unsigned int streamIndex,
                       AVPacket* packet) {
  packet->stream_index = static_cast<int>(streamIndex);
  av_packet_rescale_ts(packet, codec->time_base, format->streams[streamIndex]->time_base);
  const int ret = av_write_frame(format, packet);
  av_packet_unref(packet);
  return ret;
}

}  // namespace scrivel
