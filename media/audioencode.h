#pragma once
// Encodes the recorded sound of <tempFolder>"Note.pcm" (44100 Hz, stereo,
// signed 16-bit little-endian, interleaved, no header) into the AAC stream
// <tempFolder>"Note.aac" in ADTS framing, 64000 bit/s. The sound is read in
// units of one encoder frame (1024 samples x 2 channels x 2 bytes = 4096
// bytes); a trailing partial unit is not encoded. Progress and failures are
// printed on stdout.

#include <string>

#include "media/mediaresult.h"

namespace scrivel {

// `tempFolder` ends with "/". Runs on the calling thread; `progress` receives
// the fraction of units encoded.
MediaResult audio_encode_example(const std::string& tempFolder, const MediaProgress& progress = {});

}  // namespace scrivel
