#include "media/avitomp4.h"

#include "common/trace.h"
#include "media/mediaprint.h"
#include "media/muxinput.h"
#include "media/recordingformat.h"

namespace scrivel {
namespace {

constexpr const char* kStage = "AVITOMP4";

// Everything one run opens; freed before the closing "Error occurred." line.
struct Mux {
  MuxInput video;
  MuxInput audio;
  bool audioPresent = true;
  OutputFormatPtr output;
  PacketPtr packet{av_packet_alloc()};
  PacketPtr filtered{av_packet_alloc()};
  int64_t frameIndex = 0;  // shared by both inputs, for invented timestamps
};

// Rescales a packet of `input` into its output stream and writes it interleaved.
int WriteOut(Mux& mux, const MuxInput& input, AVPacket* packet) {
  const AVRational from = input.stream()->time_base;
  const AVRational to = mux.output->streams[input.outIndex]->time_base;
  const auto rounding = static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
  packet->pts = av_rescale_q_rnd(packet->pts, from, to, rounding);
  packet->dts = av_rescale_q_rnd(packet->dts, from, to, rounding);
  packet->duration = av_rescale_q(packet->duration, from, to);
  packet->pos = -1;
  packet->stream_index = input.outIndex;
  MediaPrint("Write 1 Packet. size:%5d\tpts:%lld\n", packet->size, static_cast<long long>(packet->pts));
  const int ret = av_interleaved_write_frame(mux.output.get(), packet);
  if (ret < 0) MediaPrint("Error muxing packet\n");
  return ret;
}

// The input whose next packet comes first; null when both are exhausted.
MuxInput* ChooseInput(Mux& mux) {
  const bool videoLeft = !mux.video.exhausted;
  const bool audioLeft = mux.audioPresent && !mux.audio.exhausted;
  if (videoLeft && audioLeft) {
    const int order = av_compare_ts(mux.video.currentTs, mux.video.stream()->time_base, mux.audio.currentTs,
                                    mux.audio.stream()->time_base);
    return order <= 0 ? &mux.video : &mux.audio;
  }
  if (videoLeft) return &mux.video;
  if (audioLeft) return &mux.audio;
  return nullptr;
}

// Copies packets until both inputs are exhausted. Either input may end first;
// the other goes on, so neither the end of the video nor of the sound is lost.
MediaResult CopyPackets(Mux& mux, int& error, const MediaProgress& progress) {
  const int64_t videoSize = avio_size(mux.video.format->pb);
  double reported = 0;
  while (MuxInput* input = ChooseInput(mux)) {
    AVPacket* packet = mux.packet.get();
    error = ReadStreamPacket(*input, packet);
    if (error < 0) {
      input->exhausted = true;
      continue;
    }
    if (packet->pts == AV_NOPTS_VALUE && !InventTimestamps(input->stream(), packet, mux.frameIndex)) {
      ReportAvError(kStage, "timestamps for a stream without frame rate", AVERROR_INVALIDDATA);
      error = AVERROR_INVALIDDATA;
      av_packet_unref(packet);
      return MediaResult::WriteFailed;
    }
    input->currentTs = packet->pts;

    if (input->filter) {
      error = av_bsf_send_packet(input->filter.get(), packet);
      if (error < 0) {
        ReportAvError(kStage, "av_bsf_send_packet", error);
        av_packet_unref(packet);
        return MediaResult::WriteFailed;
      }
      while ((error = av_bsf_receive_packet(input->filter.get(), mux.filtered.get())) >= 0) {
        error = WriteOut(mux, *input, mux.filtered.get());
        av_packet_unref(mux.filtered.get());
        if (error < 0) return MediaResult::WriteFailed;
      }
      if (error != AVERROR(EAGAIN) && error != AVERROR_EOF) {
        ReportAvError(kStage, "av_bsf_receive_packet", error);
        return MediaResult::WriteFailed;
      }
    } else {
      error = WriteOut(mux, *input, packet);
      av_packet_unref(packet);
      if (error < 0) return MediaResult::WriteFailed;
    }

    if (progress && videoSize > 0) {
      const double done = static_cast<double>(avio_tell(mux.video.format->pb)) / static_cast<double>(videoSize);
      if (done - reported >= 0.01) progress(reported = done);
    }
  }
  return MediaResult::Ok;
}

MediaResult Run(Mux& mux, const std::string& tempFolder, const std::string& outputPath, int& error,
                const MediaProgress& progress) {
  const std::string videoPath = tempFolder + "Note.h264";
  const std::string audioPath = tempFolder + "Note.aac";
  if (!mux.packet || !mux.filtered) {
    error = AVERROR(ENOMEM);
    return MediaResult::Failed;
  }

  // The raw H.264 demuxer assumes 25 frames per second; the stream holds 10.
  ScopedDictionary videoOptions;
  error = av_dict_set_int(&videoOptions.value, "framerate", kFramesPerSecond, 0);
  if (error < 0) {
    ReportAvError(kStage, "av_dict_set", error);
    return MediaResult::Failed;
  }
  error = OpenMuxInput(mux.video, videoPath, &videoOptions.value);
  if (error < 0) return MediaResult::InputFailed;
  if (!ChooseStream(mux.video, AVMEDIA_TYPE_VIDEO)) {
    MediaPrint("Could not open input file.");
    error = AVERROR_STREAM_NOT_FOUND;
    return MediaResult::InputFailed;
  }

  error = OpenMuxInput(mux.audio, audioPath, nullptr);
  if (error < 0) {
    mux.audioPresent = false;
  } else if (!ChooseStream(mux.audio, AVMEDIA_TYPE_AUDIO)) {
    MediaPrint("Could not open input file.");
    mux.audioPresent = false;
  }

  MediaPrint("===========Input Information==========\n");
  av_dump_format(mux.video.format.get(), 0, videoPath.c_str(), 0);
  if (mux.audioPresent) av_dump_format(mux.audio.format.get(), 0, audioPath.c_str(), 0);
  MediaPrint("======================================\n");

  AVFormatContext* output = nullptr;
  error = avformat_alloc_output_context2(&output, nullptr, nullptr, outputPath.c_str());
  if (error < 0 || output == nullptr) {
    MediaPrint("Could not create output context\n");
    error = AVERROR_UNKNOWN;
    return MediaResult::OutputFailed;
  }
  mux.output.reset(output);

  error = AddOutputStream(mux.video, output);
  if (error < 0) return MediaResult::Failed;
  if (mux.audioPresent) {
    error = AddOutputStream(mux.audio, output);
    if (error < 0) return MediaResult::Failed;
  }

  MediaPrint("==========Output Information==========\n");
  av_dump_format(output, 0, outputPath.c_str(), 1);
  MediaPrint("======================================\n");

  if (!(output->oformat->flags & AVFMT_NOFILE)) {
    error = avio_open(&output->pb, outputPath.c_str(), AVIO_FLAG_WRITE);
    if (error < 0) {
      MediaPrint("Could not open output file '%s'", outputPath.c_str());
      return MediaResult::OutputFailed;
    }
  }
  error = avformat_write_header(output, nullptr);
  if (error < 0) {
    MediaPrint("Error occurred when opening output file\n");
    return MediaResult::WriteFailed;
  }

  // Only the sound needs its ADTS headers turned into the MP4's form.
  if (mux.audioPresent && mux.audio.stream()->codecpar->codec_id == AV_CODEC_ID_AAC) {
    error = AttachAdtsFilter(mux.audio);
    if (error < 0) {
      ReportAvError(kStage, "aac_adtstoasc", error);
      return MediaResult::Failed;
    }
  }

  MediaResult result = CopyPackets(mux, error, progress);
  const int trailer = av_write_trailer(output);
  if (trailer < 0) {
    ReportAvError(kStage, "av_write_trailer", trailer);
    error = trailer;
    return MediaResult::WriteFailed;
  }
  if (result != MediaResult::Ok) return result;
  if (progress) progress(1.0);
  return mux.audioPresent ? MediaResult::Ok : MediaResult::VideoOnly;
}

}  // namespace

MediaResult AVITOMP4(const std::string& tempFolder, const std::string& outputPath, const MediaProgress& progress) {
  Trace("进入AVITOMP4函数");
  if (outputPath.empty()) return MediaResult::EmptyOutputPath;

  int error = 0;
  MediaResult result;
  {
    Mux mux;
    result = Run(mux, tempFolder, outputPath, error, progress);
  }
  if (error < 0 && error != AVERROR_EOF) MediaPrint("Error occurred.\n");
  return result;
}

}  // namespace scrivel
