#include "media/flushencoder.h"

#include "common/trace.h"
#include "media/encodedstream.h"
#include "media/mediaprint.h"

namespace scrivel {

int flush_encoder(AVFormatContext* fmt_ctx, AVCodecContext* codec, unsigned int stream_index) {
  Trace("进入flush_encoder函数");
  // An encoder without delayed output has handed out every packet already.
  if (!(codec->codec->capabilities & AV_CODEC_CAP_DELAY)) return 0;

  PacketPtr packet(av_packet_alloc());
  if (!packet) return AVERROR(ENOMEM);
  int ret = avcodec_send_frame(codec, nullptr);
  if (ret < 0) return ret;
  for (;;) {
    ret = avcodec_receive_packet(codec, packet.get());
    if (ret == AVERROR_EOF || ret == AVERROR(EAGAIN)) return 0;
    if (ret < 0) return ret;
    MediaPrint("Flush Encoder: Succeed to encode 1 frame!\tsize:%5d\n", packet->size);
    ret = WriteEncodedPacket(fmt_ctx, codec, stream_index, packet.get());
    if (ret < 0) return ret;
  }
}

}  // namespace scrivel
