#include "media/yuvtoh264.h"

#include <cstdio>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "common/trace.h"
#include "media/encodedstream.h"
#include "media/encodersettings.h"
#include "media/flushencoder.h"
#include "media/framegrid.h"
#include "media/mediaprint.h"
#include "media/rawinput.h"
#include "media/recordingformat.h"

namespace scrivel {
namespace {

constexpr const char* kStage = "YUVTOH264";
constexpr int kWidth = kPictureWidth;
constexpr int kHeight = kPictureHeight;

// Sends one picture (or nothing) and writes every packet that comes out.
// False on an encoding error; a failed write is reported and also ends.
bool EncodePicture(EncodedStream& out, AVFrame* frame, AVPacket* packet, int& written,
                   MediaResult& result) {
  int ret = avcodec_send_frame(out.codec.get(), frame);
  if (ret < 0) {
    MediaPrint("Failed to encode! \n");
    result = MediaResult::EncodeFailed;
    return false;
  }
  for (;;) {
    ret = avcodec_receive_packet(out.codec.get(), packet);
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) {
      MediaPrint("Failed to encode! \n");
      result = MediaResult::EncodeFailed;
      return false;
    }
    MediaPrint("Succeed to encode frame: %5d\tsize:%5d\n", written, packet->size);
    ++written;
    ret = WriteEncodedPacket(out.format.get(), out.codec.get(), 0, packet);
    if (ret < 0) {
      ReportAvError(kStage, "av_write_frame", ret);
      result = MediaResult::WriteFailed;
      return false;
    }
  }
}

}  // namespace

MediaResult YUVTOH264(const std::string& tempFolder, const std::vector<int>& frameSeconds,
                      const MediaProgress& progress) {
  Trace("进入YUVTOH264函数");
  const std::string inPath = tempFolder + "Note.yuv";
  const std::string outPath = tempFolder + "Note.h264";

  RawInput raw = OpenRawInput(inPath);
  if (!raw.file) return MediaResult::NoInput;
  std::FILE* in = raw.file.get();
  const int64_t inputSize = raw.size;

  EncodedStream out;
  if (!out.Create(kStage, outPath)) return MediaResult::Failed;
  if (out.OpenFile(outPath) < 0) {
    MediaPrint("Failed to open output file! \n");
    return MediaResult::OutputFailed;
  }
  out.stream->time_base = AVRational{1, 25};

  const AVCodecID codecId = out.format->oformat->video_codec;
  const AVCodec* encoder = avcodec_find_encoder(codecId);
  if (encoder == nullptr) {
    MediaPrint("Can not find encoder! \n");
    return MediaResult::NoEncoder;
  }
  out.codec.reset(avcodec_alloc_context3(encoder));
  if (!out.codec) {
    ReportAvError(kStage, "avcodec_alloc_context3", AVERROR(ENOMEM));
    return MediaResult::Failed;
  }
  ConfigureVideoEncoder(out.codec.get(), kWidth, kHeight, out.format->oformat->flags);

  ScopedDictionary options;
  int ret = VideoEncoderOptions(codecId, &options.value);
  if (ret < 0) {
    ReportAvError(kStage, "av_dict_set", ret);
    return MediaResult::Failed;
  }
  if (avcodec_open2(out.codec.get(), encoder, &options.value) < 0) {
    MediaPrint("Failed to open encoder! \n");
    return MediaResult::EncoderFailed;
  }
  ret = avcodec_parameters_from_context(out.stream->codecpar, out.codec.get());
  if (ret < 0) {
    ReportAvError(kStage, "avcodec_parameters_from_context", ret);
    return MediaResult::Failed;
  }
  av_dump_format(out.format.get(), 0, outPath.c_str(), 1);

  // The frame's planes point into one buffer that holds a whole picture as the
  // file stores it: Y, then U at y, then V at y * 5 / 4.
  std::vector<uint8_t> picture(kPictureBytes);
  FramePtr frame(av_frame_alloc());
  PacketPtr packet(av_packet_alloc());
  if (!frame || !packet) {
    ReportAvError(kStage, "av_frame_alloc", AVERROR(ENOMEM));
    return MediaResult::Failed;
  }
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = kWidth;
  frame->height = kHeight;
  ret = av_image_fill_arrays(frame->data, frame->linesize, picture.data(), AV_PIX_FMT_YUV420P, kWidth,
                             kHeight, 1);
  if (ret < 0) {
    ReportAvError(kStage, "av_image_fill_arrays", ret);
    return MediaResult::Failed;
  }

  ret = avformat_write_header(out.format.get(), nullptr);
  if (ret < 0) {
    ReportAvError(kStage, "avformat_write_header", ret);
    return MediaResult::WriteFailed;
  }

  MediaResult result = MediaResult::Ok;
  const auto pictureBytes = static_cast<int64_t>(kPictureBytes);
  FrameGrid grid(frameSeconds, inputSize / pictureBytes);
  int64_t loaded = -1;  // the picture now in the buffer
  int written = 0;
  double reported = 0;
  while (auto next = grid.Next()) {
    if (*next != loaded) {
      // Dropped pictures lie between the last one read and this one: skip them.
      if (*next != loaded + 1 && fseeko(in, *next * pictureBytes, SEEK_SET) != 0) {
        MediaPrint("Failed to read raw data! \n");
        result = MediaResult::ReadFailed;
        break;
      }
      const size_t got = std::fread(picture.data(), 1, picture.size(), in);
      if (got == 0) {
        MediaPrint("Failed to read raw data! \n");
        result = MediaResult::ReadFailed;
        break;
      }
      if (got < picture.size() || std::feof(in)) {
        result = MediaResult::ReadFailed;  // the file shrank under us
        break;
      }
      loaded = *next;
    }
    frame->pts = grid.slot() - 1;
    if (!EncodePicture(out, frame.get(), packet.get(), written, result)) return result;
    if (progress) {
      const double done = static_cast<double>(grid.consumed()) / static_cast<double>(grid.pictureCount());
      if (done - reported >= 0.01) progress(reported = done);
    }
  }

  if (flush_encoder(out.format.get(), out.codec.get(), 0) < 0) {
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
