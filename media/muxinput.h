#pragma once
// One input of the MP4 multiplexer: the demuxer of an elementary stream file,
// the stream taken from it, the output stream it feeds and the timestamp of
// its latest packet, by which the two inputs are interleaved.

#include <cstdint>
#include <string>

#include "media/avdeleters.h"

namespace scrivel {

struct MuxInput {
  InputFormatPtr format;
  int streamIndex = -1;       // the stream taken from the input
  int outIndex = -1;          // the output stream it is copied to
  int64_t currentTs = 0;      // in the input stream's time base
  bool exhausted = false;     // no more packets
  BitstreamFilterPtr filter;  // ADTS to MP4 AAC; none for video

  AVStream* stream() const { return format->streams[streamIndex]; }
};

// Opens `path` (with demuxer `options`, may be null) and reads its stream
// information. Prints "Could not open input file." or "Failed to retrieve
// input stream information" on failure; returns the library's result.
int OpenMuxInput(MuxInput& input, const std::string& path, AVDictionary** options);

// Takes the first usable stream of `type` (known codec, picture size or
// sample rate and channels); false when the input has none.
bool ChooseStream(MuxInput& input, AVMediaType type);

// Adds the output stream that copies the input's stream: codec parameters
// copied, codec tag cleared. Prints "Failed allocating output stream\n" or
// "Failed to copy context from input to output stream codec context\n";
// returns the library's result (AVERROR_UNKNOWN when no stream was created).
int AddOutputStream(MuxInput& input, AVFormatContext* output);

// Sets up the "aac_adtstoasc" filter for an AAC input. Library result.
int AttachAdtsFilter(MuxInput& input);

// The next packet of the chosen stream; AVERROR_EOF at the input's end.
int ReadStreamPacket(MuxInput& input, AVPacket* packet);

// Gives a packet without presentation time one from the frame counter and the
// stream's frame rate: pts = dts = frameIndex x frame time; duration = frame
// time, plus 12000 units for video. False when the stream has no frame rate.
bool InventTimestamps(const AVStream* stream, AVPacket* packet, int64_t& frameIndex);

}  // namespace scrivel
