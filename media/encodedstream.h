#pragma once
// One encoded elementary stream being written: the muxer of the output file,
// its single stream and the encoder that feeds it. Both encoding stages build
// one of these and write through it.

#include <string>

#include "media/avdeleters.h"

namespace scrivel {

struct EncodedStream {
  OutputFormatPtr format;  // the output file's muxer (closes the file)
  AVStream* stream = nullptr;
  CodecContextPtr codec;

  // Creates the muxer with the format guessed from `path`'s name and one
  // stream. False when the context or stream cannot be created (reported).
  bool Create(const char* stage, const std::string& path);
  // Opens the output file for reading and writing; the library's result.
  int OpenFile(const std::string& path);
};

// Writes one packet that `codec` produced into stream `streamIndex` of
// `format`: its timestamps go from the encoder's time base to the stream's,
// and it is written as it is (not interleaved). The packet is emptied.
int WriteEncodedPacket(AVFormatContext* format, const AVCodecContext* codec, unsigned int streamIndex,
                       AVPacket* packet);

}  // namespace scrivel
