#pragma once
// What a media stage tells its caller, besides the lines it prints on stdout.

#include <functional>

namespace scrivel {

enum class MediaResult {
  Ok = 0,
  VideoOnly,        // AVITOMP4: written without sound (no usable "Note.aac")
  NoInput,          // the raw input file is missing or unreadable; nothing written
  EmptyOutputPath,  // AVITOMP4 was given no path; the caller shows language string 10007
  InputFailed,      // AVITOMP4: the video input cannot be opened or holds no video
  OutputFailed,     // the output cannot be created or opened
  NoEncoder,        // no encoder for the codec
  EncoderFailed,    // the encoder does not open
  ReadFailed,       // a read of the raw input came back short; the output holds what was read
  EncodeFailed,     // the encoder reported an error; the output is incomplete
  FlushFailed,      // draining the encoder failed; the output has no trailer
  WriteFailed,      // writing a packet, the header or the trailer failed
  Failed,           // any other library failure (reported on stdout)
};

// Ok and VideoOnly: a usable file was written.
bool Succeeded(MediaResult result);
const char* MediaResultName(MediaResult result);

// Called on the stage's own thread with the fraction of the input done (0 to 1).
using MediaProgress = std::function<void(double fraction)>;

}  // namespace scrivel
