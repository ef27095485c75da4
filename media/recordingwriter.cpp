#include "media/recordingwriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "common/trace.h"
#include "media/encodersettings.h"
#include "media/mediaprint.h"

namespace scrivel {
namespace {

constexpr const char* kStage = "CRecordingWriter";
// A fragment is cut at every key frame and after half a second at most. The
// index (moov) goes out with the first fragment rather than before any
// packet, so that it holds the edit list that hides the AAC encoder's
// priming samples: sound and pictures both start at 0.
constexpr const char* kMovFlags = "frag_keyframe+delay_moov+default_base_moof";
constexpr const char* kFragmentMicroseconds = "500000";
constexpr size_t kSoundFrameBytes = size_t{kAacFrameSamples} * kSoundBlockAlign;
// Sound further behind the clock than this has stopped coming (half a second).
constexpr int64_t kStallBytes = kSoundBytesPerSecond / 2;
// How far behind the clock live sound may be: what a padding leaves open.
constexpr int64_t kSoundLatencyBytes = kSoundBytesPerSecond / 10;

}  // namespace

CRecordingWriter::~CRecordingWriter() {
  Abort();
  if (m_syncFd >= 0) ::close(m_syncFd);
}

void CRecordingWriter::SyncToDisk(bool now) {
  const auto at = std::chrono::steady_clock::now();
  if (m_syncFd < 0 || (!now && at - m_lastSync < kSyncInterval)) return;
  m_lastSync = at;
  // Any descriptor of the file flushes all of its written data.
  fdatasync(m_syncFd);
}

MediaResult CRecordingWriter::Open(const Options& options) {
  Trace("进入YUVTOH264函数");
  m_options = options;
  AVFormatContext* context = nullptr;
  int ret = avformat_alloc_output_context2(&context, nullptr, "mp4", options.path.c_str());
  if (ret < 0 || context == nullptr) {
    MediaPrint("Could not create output context\n");
    return MediaResult::OutputFailed;
  }
  m_format.reset(context);
  // Every fragment goes to the file as soon as the muxer cuts it.
  context->flags |= AVFMT_FLAG_FLUSH_PACKETS;
  m_packet.reset(av_packet_alloc());
  if (!m_packet) return MediaResult::Failed;

  MediaResult result = OpenVideo();
  if (result != MediaResult::Ok) return result;
  if (options.withSound && (result = OpenAudio()) != MediaResult::Ok) return result;

  ret = avio_open(&context->pb, options.path.c_str(), AVIO_FLAG_WRITE);
  if (ret < 0) {
    MediaPrint("Could not open output file '%s'", options.path.c_str());
    ReportAvError(kStage, "avio_open", ret);
    return MediaResult::OutputFailed;
  }
  ScopedDictionary muxerOptions;
  ret = av_dict_set(&muxerOptions.value, "movflags", kMovFlags, 0);
  if (ret >= 0) ret = av_dict_set(&muxerOptions.value, "frag_duration", kFragmentMicroseconds, 0);
  if (ret >= 0) ret = avformat_write_header(context, &muxerOptions.value);
  if (ret < 0) {
    MediaPrint("Error occurred when opening output file\n");
    ReportAvError(kStage, "avformat_write_header", ret);
    return MediaResult::WriteFailed;
  }
  // A power cut loses at most the last seconds: the file and its name reach
  // the disk now, its data every few seconds.
  m_syncFd = ::open(options.path.c_str(), O_RDONLY | O_CLOEXEC);
  const std::string folder = std::filesystem::path(options.path).parent_path().string();
  const int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    ::close(folderFd);
  }
  SyncToDisk(true);
  m_thread = std::thread(&CRecordingWriter::Run, this);
  return MediaResult::Ok;
}

MediaResult CRecordingWriter::OpenVideo() {
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (encoder == nullptr) {
    MediaPrint("Can not find encoder! \n");
    return MediaResult::NoEncoder;
  }
  m_video.stream = avformat_new_stream(m_format.get(), nullptr);
  m_video.codec.reset(avcodec_alloc_context3(encoder));
  m_picture.reset(av_frame_alloc());
  if (m_video.stream == nullptr || !m_video.codec || !m_picture) return MediaResult::Failed;
  AVCodecContext* codec = m_video.codec.get();
  ConfigureVideoEncoder(codec, m_options.width, m_options.height, m_format->oformat->flags);
  ScopedDictionary options;
  int ret = VideoEncoderOptions(encoder->id, &options.value);
  if (ret < 0 || avcodec_open2(codec, encoder, &options.value) < 0) {
    MediaPrint("Failed to open encoder! \n");
    return MediaResult::EncoderFailed;
  }
  ret = avcodec_parameters_from_context(m_video.stream->codecpar, codec);
  if (ret < 0) {
    ReportAvError(kStage, "avcodec_parameters_from_context", ret);
    return MediaResult::Failed;
  }
  m_video.stream->time_base = codec->time_base;
  m_picture->format = AV_PIX_FMT_YUV420P;
  m_picture->width = m_options.width;
  m_picture->height = m_options.height;
  m_lastPicture.assign(PictureBytes(m_options.width, m_options.height), 0);
  return MediaResult::Ok;
}

MediaResult CRecordingWriter::OpenAudio() {
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (encoder == nullptr) {
    MediaPrint("Can not find encoder!\n");
    return MediaResult::NoEncoder;
  }
  m_audio.stream = avformat_new_stream(m_format.get(), nullptr);
  m_audio.codec.reset(avcodec_alloc_context3(encoder));
  m_sound.reset(av_frame_alloc());
  if (m_audio.stream == nullptr || !m_audio.codec || !m_sound) return MediaResult::Failed;
  AVCodecContext* codec = m_audio.codec.get();
  int ret = ConfigureAudioEncoder(codec, encoder, AVRational{1, kSampleRate}, m_format->oformat->flags);
  if (ret < 0 || avcodec_open2(codec, encoder, nullptr) < 0 || codec->frame_size != kAacFrameSamples) {
    MediaPrint("Failed to open encoder!\n");
    return MediaResult::EncoderFailed;
  }
  ret = avcodec_parameters_from_context(m_audio.stream->codecpar, codec);
  if (ret >= 0) ret = CreateSoundConverter(codec, m_converter);
  m_sound->nb_samples = codec->frame_size;
  m_sound->format = codec->sample_fmt;
  m_sound->sample_rate = codec->sample_rate;
  if (ret >= 0) ret = av_channel_layout_copy(&m_sound->ch_layout, &codec->ch_layout);
  if (ret >= 0) ret = av_frame_get_buffer(m_sound.get(), 0);
  if (ret < 0) {
    ReportAvError(kStage, "audio encoder set-up", ret);
    return MediaResult::Failed;
  }
  m_audio.stream->time_base = codec->time_base;
  return MediaResult::Ok;
}

void CRecordingWriter::Push(Item item, bool wait) {
  std::unique_lock lock(m_mutex);
  if (!m_thread.joinable() || m_failed) return;
  if (wait) m_room.wait(lock, [this] { return m_queuedBytes < kMaxQueuedBytes || m_failed; });
  if (m_failed) return;
  m_queuedBytes += item.data.size();
  m_queue.push_back(std::move(item));
  m_wake.notify_one();
}

void CRecordingWriter::AddPicture(std::vector<uint8_t> yuv, int second) {
  // The size from the options, not m_lastPicture's: the writer thread swaps that one.
  if (yuv.size() != PictureBytes(m_options.width, m_options.height)) return;
  Push(Item{Item::Picture, std::move(yuv), second}, true);
}

void CRecordingWriter::AddSound(const char* data, size_t bytes) {
  if (!m_audio.codec || bytes == 0) return;
  const auto* begin = reinterpret_cast<const uint8_t*>(data);
  Push(Item{Item::Sound, std::vector<uint8_t>(begin, begin + bytes), 0}, false);
}

void CRecordingWriter::EndSoundSegment(int64_t segmentBytes) {
  if (!m_audio.codec) return;
  Push(Item{Item::SegmentEnd, {}, segmentBytes}, false);
}

void CRecordingWriter::KeepSoundUp(int64_t segmentBytes) {
  if (!m_audio.codec) return;
  Push(Item{Item::KeepUp, {}, segmentBytes}, false);
}

int64_t CRecordingWriter::paddedBytes() const {
  std::lock_guard lock(m_mutex);
  return m_padded;
}

bool CRecordingWriter::failed() const {
  std::lock_guard lock(m_mutex);
  return m_failed;
}

std::string CRecordingWriter::failure() const {
  std::lock_guard lock(m_mutex);
  return m_failure;
}

int64_t CRecordingWriter::fileBytes() const {
  std::error_code error;
  const auto size = std::filesystem::file_size(m_options.path, error);
  return error ? -1 : static_cast<int64_t>(size);
}

size_t CRecordingWriter::queuedBytes() const {
  std::lock_guard lock(m_mutex);
  return m_queuedBytes;
}

MediaResult CRecordingWriter::Finish(int64_t endMs) {
  if (!m_thread.joinable()) return MediaResult::Failed;
  {
    std::lock_guard lock(m_mutex);
    // Also after a failure: the thread ends on this item.
    m_queue.push_back(Item{Item::End, {}, endMs});
    m_wake.notify_one();
  }
  m_thread.join();
  std::lock_guard lock(m_mutex);
  return m_failed ? m_result : MediaResult::Ok;
}

void CRecordingWriter::Abort() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard lock(m_mutex);
    m_failed = true;
    if (m_failure.empty()) m_failure = "stopped";
    m_queue.clear();
    m_queuedBytes = 0;
    m_queue.push_back(Item{Item::End, {}, -1});
    m_wake.notify_one();
    m_room.notify_all();
  }
  m_thread.join();
}

void CRecordingWriter::Run() {
  for (;;) {
    Item item;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [this] { return !m_queue.empty(); });
      item = std::move(m_queue.front());
      m_queue.pop_front();
      m_queuedBytes -= item.data.size();
      m_room.notify_all();
      if (m_failed && item.kind != Item::End) continue;
    }
    const bool end = item.kind == Item::End;
    if (end && item.value < 0) return;  // aborted
    if (!Process(item) && !failed()) Fail("encoding", AVERROR_UNKNOWN);
    if (end) return;
  }
}

bool CRecordingWriter::Process(Item& item) {
  switch (item.kind) {
    case Item::Picture: {
      const bool first = !m_grid.hasPicture();
      const LiveFrameGrid::Placement placement = m_grid.Add(static_cast<int>(item.value));
      if (!placement.placed) return true;
      const int64_t firstSlot = m_grid.slotCount() - placement.repeats - 1;
      // Before the first picture the slots show the first picture.
      if (!first && !EncodePictureSlots(firstSlot, placement.repeats)) return false;
      m_lastPicture.swap(item.data);
      if (first) return EncodePictureSlots(firstSlot, placement.repeats + 1);
      return EncodePictureSlots(firstSlot + placement.repeats, 1);
    }
    case Item::Sound:
      return TakeSound(item.data.data(), item.data.size());
    case Item::SegmentEnd: {
      const int64_t missing = item.value - m_segmentBytes;
      m_segmentBytes = 0;
      if (missing < 0) {
        m_dropBytes += -missing;
        return true;
      }
      return PadSound(missing, item.value);
    }
    case Item::KeepUp: {
      // The sound has fallen behind the clock by more than a delivery's
      // delay: the microphone stopped. Silence keeps the clock.
      const int64_t missing = item.value - kSoundLatencyBytes - m_segmentBytes;
      if (item.value - m_segmentBytes <= kStallBytes) return true;
      return PadSound(missing, -1);
    }
    case Item::End:
      break;
  }
  if (failed()) return true;
  // The end: pictures up to the recorded time, then every encoder drained.
  const int64_t endSlot = m_grid.slotCount();
  if (!EncodePictureSlots(endSlot, m_grid.Finish(item.value))) return false;
  if (m_audio.codec && !EncodeSoundFrames(true)) return false;
  if (!Send(m_video, nullptr)) return false;
  if (m_audio.codec && !Send(m_audio, nullptr)) return false;
  const int ret = av_write_trailer(m_format.get());
  if (ret < 0) {
    Fail("av_write_trailer", ret);
    return false;
  }
  avio_closep(&m_format->pb);
  SyncToDisk(true);
  return true;
}

bool CRecordingWriter::PadSound(int64_t bytes, int64_t segmentBytes) {
  bytes -= bytes % kSoundBlockAlign;
  if (bytes <= 0) return true;
  // At a segment's end a short delivery delay is no stall worth telling.
  if (segmentBytes < 0 || bytes > kStallBytes) {
    std::lock_guard lock(m_mutex);
    m_padded += bytes;
  }
  const std::vector<uint8_t> silence(static_cast<size_t>(bytes), 0);
  const bool ok = TakeSound(silence.data(), silence.size());
  if (segmentBytes >= 0) m_segmentBytes = 0;
  return ok;
}

bool CRecordingWriter::EncodePictureSlots(int64_t firstSlot, int64_t count) {
  for (int64_t i = 0; i < count; ++i) {
    int ret = av_image_fill_arrays(m_picture->data, m_picture->linesize, m_lastPicture.data(), AV_PIX_FMT_YUV420P,
                                   m_options.width, m_options.height, 1);
    if (ret < 0) {
      Fail("av_image_fill_arrays", ret);
      return false;
    }
    m_picture->pts = firstSlot + i;
    if (!Send(m_video, m_picture.get())) return false;
  }
  return true;
}

bool CRecordingWriter::TakeSound(const uint8_t* data, size_t bytes) {
  const size_t dropped = static_cast<size_t>(std::min<int64_t>(m_dropBytes, static_cast<int64_t>(bytes)));
  m_dropBytes -= static_cast<int64_t>(dropped);
  m_pcm.insert(m_pcm.end(), data + dropped, data + bytes);
  m_segmentBytes += static_cast<int64_t>(bytes - dropped);
  return EncodeSoundFrames(false);
}

// Encodes every whole frame of the waiting sound; with `all` also the rest,
// completed with silence.
bool CRecordingWriter::EncodeSoundFrames(bool all) {
  if (all && m_pcm.size() % kSoundFrameBytes != 0)
    m_pcm.resize((m_pcm.size() / kSoundFrameBytes + 1) * kSoundFrameBytes, 0);
  size_t offset = 0;
  for (; m_pcm.size() - offset >= kSoundFrameBytes; offset += kSoundFrameBytes) {
    int ret = av_frame_make_writable(m_sound.get());
    if (ret < 0) {
      Fail("av_frame_make_writable", ret);
      return false;
    }
    const uint8_t* source = m_pcm.data() + offset;
    if (m_converter) {
      ret = swr_convert(m_converter.get(), m_sound->data, kAacFrameSamples, &source, kAacFrameSamples);
      if (ret != kAacFrameSamples) {
        Fail("swr_convert", ret < 0 ? ret : AVERROR_BUG);
        return false;
      }
    } else {
      std::memcpy(m_sound->data[0], source, kSoundFrameBytes);
    }
    m_sound->pts = m_samples;
    m_samples += kAacFrameSamples;
    if (!Send(m_audio, m_sound.get())) return false;
  }
  m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

// Sends one frame (nullptr: the end) and writes every packet that comes out.
bool CRecordingWriter::Send(Output& output, AVFrame* frame) {
  const bool video = &output == &m_video;
  int ret = avcodec_send_frame(output.codec.get(), frame);
  if (ret < 0) {
    MediaPrint(video ? "Failed to encode! \n" : "Failed to encode!\n");
    Fail("avcodec_send_frame", ret);
    return false;
  }
  return Drain(output);
}

bool CRecordingWriter::Drain(Output& output) {
  const bool video = &output == &m_video;
  for (;;) {
    int ret = avcodec_receive_packet(output.codec.get(), m_packet.get());
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
    if (ret < 0) {
      MediaPrint(video ? "Failed to encode! \n" : "Failed to encode!\n");
      Fail("avcodec_receive_packet", ret);
      return false;
    }
    if (video)
      MediaPrint("Succeed to encode frame: %5d\tsize:%5d\n", m_packetsWritten++, m_packet->size);
    else
      MediaPrint("Succeed to encode 1 frame! \tsize:%5d\n", m_packet->size);
    m_packet->stream_index = output.stream->index;
    if (m_packet->duration == 0) m_packet->duration = video ? 1 : kAacFrameSamples;
    // The muxer may have changed the stream's time base in its header.
    av_packet_rescale_ts(m_packet.get(), output.codec->time_base, output.stream->time_base);
    MediaPrint("Write 1 Packet. size:%5d\tpts:%lld\n", m_packet->size, static_cast<long long>(m_packet->pts));
    ret = av_interleaved_write_frame(m_format.get(), m_packet.get());
    if (ret < 0) {
      MediaPrint("Error muxing packet\n");
      Fail("av_interleaved_write_frame", ret);
      return false;
    }
    SyncToDisk(false);
  }
}

void CRecordingWriter::Fail(const char* call, int error) {
  ReportAvError(kStage, call, error);
  std::lock_guard lock(m_mutex);
  if (m_failed) return;
  m_failed = true;
  m_failure = AvErr2Str(error);
  m_result = MediaResult::WriteFailed;
  m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), [](const Item& i) { return i.kind != Item::End; }),
                m_queue.end());
  m_queuedBytes = 0;
  m_room.notify_all();
}

}  // namespace scrivel
