#include "media/muxinput.h"

#include "media/mediaprint.h"

namespace scrivel {

int OpenMuxInput(MuxInput& input, const std::string& path, AVDictionary** options) {
  AVFormatContext* context = nullptr;
  int ret = avformat_open_input(&context, path.c_str(), nullptr, options);
  if (ret < 0) {
    MediaPrint("Could not open input file.");
    return ret;
  }
  input.format.reset(context);
  ret = avformat_find_stream_info(context, nullptr);
  if (ret < 0) MediaPrint("Failed to retrieve input stream information");
  return ret;
}

namespace {

// A stream the MP4 muxer can describe: a known codec with a picture size or a
// sample rate and channels. Damaged files can yield streams without them.
bool Usable(const AVCodecParameters* par) {
  if (par->codec_id == AV_CODEC_ID_NONE) return false;
  if (par->codec_type == AVMEDIA_TYPE_VIDEO) return par->width > 0 && par->height > 0;
  if (par->codec_type == AVMEDIA_TYPE_AUDIO) return par->sample_rate > 0 && par->ch_layout.nb_channels > 0;
  return true;
}

}  // namespace

bool ChooseStream(MuxInput& input, AVMediaType type) {
  for (unsigned int i = 0; i < input.format->nb_streams; ++i) {
    const AVCodecParameters* par = input.format->streams[i]->codecpar;
    if (par->codec_type == type && Usable(par)) {
      input.streamIndex = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

int AddOutputStream(MuxInput& input, AVFormatContext* output) {
  AVStream* out = avformat_new_stream(output, nullptr);
  if (out == nullptr) {
    MediaPrint("Failed allocating output stream\n");
    return AVERROR_UNKNOWN;
  }
  const int ret = avcodec_parameters_copy(out->codecpar, input.stream()->codecpar);
  if (ret < 0) {
    MediaPrint("Failed to copy context from input to output stream codec context\n");
    return ret;
  }
  // The input's tag belongs to its container; the MP4 muxer picks its own.
  out->codecpar->codec_tag = 0;
  // Nothing is encoded here, so there is no encoder to ask for global headers:
  // a copied stream brings its codec headers as extradata (or, for AAC, from
  // the ADTS filter), which is what a global-header format such as MP4 needs.
  input.outIndex = out->index;
  return 0;
}

int AttachAdtsFilter(MuxInput& input) {
  const AVBitStreamFilter* adtsToAsc = av_bsf_get_by_name("aac_adtstoasc");
  if (adtsToAsc == nullptr) return AVERROR_BSF_NOT_FOUND;
  AVBSFContext* filter = nullptr;
  int ret = av_bsf_alloc(adtsToAsc, &filter);
  if (ret < 0) return ret;
  input.filter.reset(filter);
  ret = avcodec_parameters_copy(filter->par_in, input.stream()->codecpar);
  if (ret < 0) return ret;
  filter->time_base_in = input.stream()->time_base;
  return av_bsf_init(filter);
}

int ReadStreamPacket(MuxInput& input, AVPacket* packet) {
  for (;;) {
    const int ret = av_read_frame(input.format.get(), packet);
    if (ret < 0) return ret;
    if (packet->stream_index == input.streamIndex) return 0;
    av_packet_unref(packet);
  }
}

bool InventTimestamps(const AVStream* stream, AVPacket* packet, int64_t& frameIndex) {
  const AVRational rate = stream->r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) return false;
  // Microseconds per frame, truncated; then into the stream's time base,
  // truncated, in exact integer arithmetic.
  const int64_t frameTime = av_rescale_q_rnd(1, av_inv_q(rate), AV_TIME_BASE_Q, AV_ROUND_DOWN);
  const AVRounding down = AV_ROUND_DOWN;
  packet->pts = av_rescale_q_rnd(frameIndex * frameTime, AV_TIME_BASE_Q, stream->time_base, down);
  packet->dts = packet->pts;
  packet->duration = av_rescale_q_rnd(frameTime, AV_TIME_BASE_Q, stream->time_base, down);
  if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) packet->duration += 12000;
  ++frameIndex;
  return true;
}

}  // namespace scrivel
