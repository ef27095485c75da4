#include "media/mediaresult.h"

namespace scrivel {

bool Succeeded(MediaResult result) {
  return result == MediaResult::Ok || result == MediaResult::VideoOnly;
}

const char* MediaResultName(MediaResult result) {
  switch (result) {
    case MediaResult::Ok: return "Ok";
    case MediaResult::VideoOnly: return "VideoOnly";
    case MediaResult::NoInput: return "NoInput";
    case MediaResult::EmptyOutputPath: return "EmptyOutputPath";
    case MediaResult::InputFailed: return "InputFailed";
    case MediaResult::OutputFailed: return "OutputFailed";
    case MediaResult::NoEncoder: return "NoEncoder";
    case MediaResult::EncoderFailed: return "EncoderFailed";
    case MediaResult::ReadFailed: return "ReadFailed";
    case MediaResult::EncodeFailed: return "EncodeFailed";
    case MediaResult::FlushFailed: return "FlushFailed";
    case MediaResult::WriteFailed: return "WriteFailed";
    case MediaResult::Failed: return "Failed";
  }
  return "?";
}

}  // namespace scrivel
