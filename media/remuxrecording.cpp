#include "media/remuxrecording.h"

#include <algorithm>
#include <vector>

#include "common/trace.h"
#include "media/avdeleters.h"
#include "media/mediaprint.h"

namespace scrivel {
namespace {

constexpr const char* kStage = "RemuxRecording";

}  // namespace

RemuxReport RemuxRecording(const std::string& inputPath, const std::string& outputPath) {
  Trace("进入AVITOMP4函数");
  RemuxReport report;
  AVFormatContext* in = nullptr;
  int ret = avformat_open_input(&in, inputPath.c_str(), nullptr, nullptr);
  if (ret < 0) {
    MediaPrint("Could not open input file.");
    report.result = MediaResult::InputFailed;
    return report;
  }
  InputFormatPtr input(in);
  ret = avformat_find_stream_info(in, nullptr);
  if (ret < 0) {
    MediaPrint("Failed to retrieve input stream information");
    report.result = MediaResult::InputFailed;
    return report;
  }

  AVFormatContext* out = nullptr;
  ret = avformat_alloc_output_context2(&out, nullptr, "mp4", outputPath.c_str());
  if (ret < 0 || out == nullptr) {
    MediaPrint("Could not create output context\n");
    report.result = MediaResult::OutputFailed;
    return report;
  }
  OutputFormatPtr output(out);
  std::vector<int> outIndex(in->nb_streams, -1);
  int videoIn = -1;
  for (unsigned i = 0; i < in->nb_streams; ++i) {
    const AVCodecParameters* par = in->streams[i]->codecpar;
    if (par->codec_type != AVMEDIA_TYPE_VIDEO && par->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    AVStream* stream = avformat_new_stream(out, nullptr);
    if (stream == nullptr || avcodec_parameters_copy(stream->codecpar, par) < 0) {
      MediaPrint("Failed allocating output stream\n");
      report.result = MediaResult::Failed;
      return report;
    }
    stream->codecpar->codec_tag = 0;
    stream->time_base = in->streams[i]->time_base;
    outIndex[i] = stream->index;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && videoIn < 0) videoIn = static_cast<int>(i);
  }
  if (videoIn < 0) {
    MediaPrint("Could not open input file.");
    report.result = MediaResult::InputFailed;
    return report;
  }
  ret = avio_open(&out->pb, outputPath.c_str(), AVIO_FLAG_WRITE);
  if (ret < 0) {
    MediaPrint("Could not open output file '%s'", outputPath.c_str());
    report.result = MediaResult::OutputFailed;
    return report;
  }
  ret = avformat_write_header(out, nullptr);
  if (ret < 0) {
    MediaPrint("Error occurred when opening output file\n");
    report.result = MediaResult::WriteFailed;
    return report;
  }

  PacketPtr packet(av_packet_alloc());
  if (!packet) return report;
  int64_t videoEnd = 0;  // in the input video stream's time base
  // A read error is the cut end of an interrupted file: what came before stays.
  while (av_read_frame(in, packet.get()) >= 0) {
    const int from = packet->stream_index;
    if (outIndex[from] < 0) {
      av_packet_unref(packet.get());
      continue;
    }
    if (from == videoIn && packet->pts != AV_NOPTS_VALUE)
      videoEnd = std::max(videoEnd, packet->pts + packet->duration);
    packet->stream_index = outIndex[from];
    av_packet_rescale_ts(packet.get(), in->streams[from]->time_base, out->streams[outIndex[from]]->time_base);
    packet->pos = -1;
    ret = av_interleaved_write_frame(out, packet.get());
    if (ret < 0) {
      MediaPrint("Error muxing packet\n");
      ReportAvError(kStage, "av_interleaved_write_frame", ret);
      report.result = MediaResult::WriteFailed;
      return report;
    }
  }
  ret = av_write_trailer(out);
  if (ret < 0) {
    ReportAvError(kStage, "av_write_trailer", ret);
    report.result = MediaResult::WriteFailed;
    return report;
  }
  ret = avio_closep(&out->pb);
  if (ret < 0) {
    ReportAvError(kStage, "avio_closep", ret);
    report.result = MediaResult::WriteFailed;
    return report;
  }
  report.seconds = static_cast<double>(videoEnd) * av_q2d(in->streams[videoIn]->time_base);
  report.result = outIndex.size() > 1 && in->nb_streams > 1 ? MediaResult::Ok : MediaResult::VideoOnly;
  return report;
}

}  // namespace scrivel
